// Turned, mirrored or sheared sprites drawn into a back buffer in memory: each pixel whose
// centre lies inside the transformed rectangle takes the four texels around the point it
// maps back to, weighed by distance (as a GPU's linear filter does), tinted and blended
// over what is there. No scratch surface, no division per pixel; two pixels at a time.
// What a sprite looks like at one turn, scale and place within a pixel (its origin taken
// to the nearest 64th) is kept for its texels: a shot flying at the same heading, or a
// tomato drifting, is blended from its look again without filtering a texel.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/software/pixel_lanes.h"
#include "platform/software/software_drawing.h"

namespace {

constexpr uint16_t OPAQUE_LANES[8] = {0, 0, 0, 255, 0, 0, 0, 255};
constexpr double ONE = 65536.0;  // texel positions in 16.16 fixed point

// Whole numbers up or down without the library's call, for values well inside int's range.
int Floor(double value) {
  const int whole = static_cast<int>(value);
  return whole - (value < whole);
}
int Ceiling(double value) {
  const int whole = static_cast<int>(value);
  return whole + (value > whole);
}

int32_t Fixed(double value) { return Floor(value * ONE + 0.5); }

// Narrows [*first, *last) to the pixels x of a row where lowest <= start + step × x <
// highest; `inverse` is 1 / step, or 0 when the step is 0.
inline void Narrow(double start, double step, double inverse, double lowest, double highest,
                   int* first, int* last) {
  if (step == 0.0) {
    if (start < lowest || start >= highest) *last = *first;
    return;
  }
  double from = (lowest - start) * inverse;
  double to = (highest - start) * inverse;
  if (step < 0.0) std::swap(from, to);
  *first = std::max(*first, Ceiling(std::max(from, -1.0e9)));
  *last = std::min(*last, Ceiling(std::min(to, 1.0e9)));
}

// The rectangle's texels inside a border of their edge texels, kept with the rest.
const uint32_t* Bordered(KeptImage& kept, const TexelImage& image, const Rect& source) {
  if (!kept.bordered.empty() && kept.borderedSource == source) return kept.bordered.data();
  const int columns = source.right - source.left;
  const int rows = source.bottom - source.top;
  kept.bordered.resize(static_cast<size_t>(columns + 2) * (rows + 2));
  for (int y = -1; y <= rows; ++y) {
    const int from = source.top + std::clamp(y, 0, rows - 1);
    for (int x = -1; x <= columns; ++x) {
      kept.bordered[static_cast<size_t>(y + 1) * (columns + 2) + x + 1] =
          image.texels[static_cast<size_t>(from) * image.width + source.left +
                       std::clamp(x, 0, columns - 1)];
    }
  }
  kept.borderedSource = source;
  Rect ink{columns, rows, 0, 0};
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      if (kept.bordered[static_cast<size_t>(y + 1) * (columns + 2) + x + 1] >> 24) {
        ink = Rect{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                   std::max(ink.bottom, y + 1)};
      }
    }
  }
  kept.borderedInk = ink;
  return kept.bordered.data();
}

// (from × (256 − weight) + to × weight) / 256 rounded down, for weights below 256: the
// lanes wrap on the way, and the sum fits them again.
inline PixelLanes Lerp(PixelLanes from, PixelLanes to, PixelLanes weight) {
  return ((from << 8) + (to - from) * weight) >> 8;
}

// Where two neighbouring samples lie between texels, as the 16-bit fractions of their
// positions (which wrap as the positions do): the first in the low four lanes, the second
// in the high four.
inline PixelLanes Fractions(int32_t first, int32_t second) {
  const uint16_t a = static_cast<uint16_t>(first), b = static_cast<uint16_t>(second);
  return PixelLanes{a, a, a, a, b, b, b, b};
}

// Two texels over two destination pixels by their alphas, rounded as a GPU rounds; the
// spare byte is left opaque.
inline PixelLanes Blend(PixelLanes texels, PixelLanes dest) {
  const PixelLanes alpha = AlphaLanes(texels);
  PixelLanes opaque;
  std::memcpy(&opaque, OPAQUE_LANES, sizeof opaque);
  return Round255(texels * alpha + dest * (SameLanes(255) - alpha)) | opaque;
}

// What every row of one sprite shares.
struct Rows {
  const uint32_t* texels;  // bordered
  int pitch;
  int32_t uStep, vStep;
  PixelLanes tint;
};

template <bool TINTED, bool BLENDED>
void DrawRow(const Rows& rows, int32_t u, int32_t v, uint32_t* out, int count) {
  constexpr uint64_t ALPHAS = 0xFF000000FF000000u;
  const uint32_t* texels = rows.texels;
  const int pitch = rows.pitch;
  const int32_t uStep = rows.uStep;
  const int32_t vStep = rows.vStep;
  PixelLanes across = Fractions(u, u + uStep);
  PixelLanes down = Fractions(v, v + vStep);
  const PixelLanes acrossStep = SameLanes(static_cast<uint16_t>(2 * uStep));
  const PixelLanes downStep = SameLanes(static_cast<uint16_t>(2 * vStep));
  for (int i = 0; i < count;
       i += 2, u += 2 * uStep, v += 2 * vStep, across += acrossStep, down += downStep) {
    // The texel above and left of each sample; an odd last pixel takes its own sample twice
    // and writes one.
    const bool pair = i + 1 < count;
    const uint32_t* p = texels + (v >> 16) * pitch + (u >> 16);
    const uint32_t* q = pair ? texels + ((v + vStep) >> 16) * pitch + ((u + uStep) >> 16) : p;
    const uint64_t pTop = LoadWord(p), pBottom = LoadWord(p + pitch);
    const uint64_t qTop = LoadWord(q), qBottom = LoadWord(q + pitch);
    if (BLENDED && ((pTop | pBottom | qTop | qBottom) & ALPHAS) == 0) continue;
    // Down each sample's two columns, then across them.
    const PixelLanes downWeights = down >> 8;
    const PixelLanes pColumns =
        Lerp(WidenWord(pTop), WidenWord(pBottom),
             __builtin_shufflevector(downWeights, downWeights, 0, 1, 2, 3, 0, 1, 2, 3));
    const PixelLanes qColumns =
        Lerp(WidenWord(qTop), WidenWord(qBottom),
             __builtin_shufflevector(downWeights, downWeights, 4, 5, 6, 7, 4, 5, 6, 7));
    PixelLanes filtered =
        Lerp(__builtin_shufflevector(pColumns, qColumns, 0, 1, 2, 3, 8, 9, 10, 11),
             __builtin_shufflevector(pColumns, qColumns, 4, 5, 6, 7, 12, 13, 14, 15), across >> 8);
    if (TINTED) filtered = Round255(filtered * rows.tint);
    if (BLENDED) filtered = Blend(filtered, pair ? LoadTwo(out + i) : LoadPair(out[i], 0));
    if (pair) {
      StoreTwo(out + i, filtered);
    } else {
      out[i] = FirstOf(filtered);
    }
  }
}

using RowDrawer = void (*)(const Rows&, int32_t, int32_t, uint32_t*, int);

RowDrawer ChooseRowDrawer(bool tinted, bool blend) {
  if (tinted) return blend ? DrawRow<true, true> : DrawRow<true, false>;
  return blend ? DrawRow<false, true> : DrawRow<false, false>;
}

// The part of the source that shows: blended, a pixel further than half a texel from any
// ink leaves what is there.
struct Shown {
  double sFrom, sTo, tFrom, tTo;
};

Shown ShownPart(const KeptImage& kept, int columns, int rows, bool blend) {
  if (!blend) return Shown{0.0, static_cast<double>(columns), 0.0, static_cast<double>(rows)};
  const Rect& ink = kept.borderedInk;
  return Shown{std::max(0.0, ink.left - 0.5), std::min<double>(columns, ink.right + 0.5),
               std::max(0.0, ink.top - 0.5), std::min<double>(rows, ink.bottom + 0.5)};
}

// Where turned texels go: `width` x `height` pixels, rows `pitch` apart, and for a look
// each row's first and last-plus-one pixel drawn.
struct Canvas {
  uint32_t* pixels;
  int pitch, width, height;
  uint16_t* spans;
};

// The source's bordered texels, filtered and tinted, through `local` (which places the
// source's top left on the canvas), each row where it shows: blended over the canvas or
// written.
void DrawThrough(const uint32_t* bordered, const Rect& source, const Matrix2D& local,
                 const Shown& shown, uint32_t color, bool blend, const Canvas& canvas) {
  const double det =
      static_cast<double>(local.m11) * local.m22 - static_cast<double>(local.m12) * local.m21;
  const int columns = source.right - source.left;
  const int rows = source.bottom - source.top;
  // Pixels to the rectangle's texels: s = a x + b y + c, t = d x + e y + f.
  const double a = local.m22 / det, b = -local.m21 / det;
  const double d = -local.m12 / det, e = local.m11 / det;
  const double c = -(a * local.dx + b * local.dy);
  const double f = -(d * local.dx + e * local.dy);
  const Rows shared{bordered, columns + 2, Fixed(a), Fixed(d), ChannelLanes(color)};
  const RowDrawer drawRow = ChooseRowDrawer(color != 0xFFFFFFFFu, blend);
  // Where a sample's four texels all lie inside the border.
  const auto inside = [columns, rows](int32_t u, int32_t v) {
    return u >= 0 && v >= 0 && (u >> 16) <= columns && (v >> 16) <= rows;
  };
  const double aInverse = a != 0.0 ? 1.0 / a : 0.0;
  const double dInverse = d != 0.0 ? 1.0 / d : 0.0;
  // s and t at the centre of pixel x of row y: s0 + a x and t0 + d x, s0 and t0 stepping
  // by b and e from row to row.
  double s0 = a * 0.5 + b * 0.5 + c;
  double t0 = d * 0.5 + e * 0.5 + f;
  for (int y = 0; y < canvas.height; ++y, s0 += b, t0 += e) {
    int first = 0;
    int last = canvas.width;
    Narrow(s0, a, aInverse, shown.sFrom, shown.sTo, &first, &last);
    Narrow(t0, d, dInverse, shown.tFrom, shown.tTo, &first, &last);
    if (first >= last) continue;  // a look's spans start empty
    // Texel centres lie half a texel in, and the border one texel out.
    int32_t u = Fixed(s0 + a * first + 0.5);
    int32_t v = Fixed(t0 + d * first + 0.5);
    // Rounding could take an end of the row a hair outside; the samples between its two
    // ends lie inside when both do.
    while (first < last && !inside(u, v)) ++first, u += shared.uStep, v += shared.vStep;
    while (first < last &&
           !inside(u + shared.uStep * (last - 1 - first), v + shared.vStep * (last - 1 - first))) {
      --last;
    }
    if (canvas.spans) {
      canvas.spans[2 * y] = static_cast<uint16_t>(first);
      canvas.spans[2 * y + 1] = static_cast<uint16_t>(last);
    }
    drawRow(shared, u, v, canvas.pixels + static_cast<size_t>(y) * canvas.pitch + first,
            last - first);
  }
}

constexpr size_t LOOK_SETS = 256;
constexpr size_t LOOK_WAYS = 4;
constexpr double LOOK_SIDE = 250.0;  // larger sprites are drawn straight, with no look kept

// Where a look's origin lies: the whole pixel and, in 64ths, the place within it.
struct Placing {
  int x, y;
  int fracX, fracY;
};

Placing Place(Vector2 origin) {
  const auto split = [](double at, int* whole, int* frac) {
    const double sixtyFourths = std::floor(at * 64.0 + 0.5);
    *whole = Floor(sixtyFourths / 64.0);
    *frac = static_cast<int>(sixtyFourths - *whole * 64.0);
  };
  Placing placing{};
  split(origin.x, &placing.x, &placing.fracX);
  split(origin.y, &placing.y, &placing.fracY);
  return placing;
}

bool Shows(const TurnedLook& look, const Rect& source, const Matrix2D& m, const Placing& at,
           uint32_t color, bool blend) {
  return look.fracX == at.fracX && look.fracY == at.fracY && look.m11 == m.m11 &&
         look.m12 == m.m12 && look.m21 == m.m21 && look.m22 == m.m22 && look.color == color &&
         look.blend == blend && look.source == source;
}

// The set a look belongs in, from what it shows.
size_t LookSet(const Rect& source, const Matrix2D& m, const Placing& at, uint32_t color) {
  uint64_t hash = 14695981039346656037u;
  const auto mix = [&hash](uint64_t value) { hash = (hash ^ value) * 1099511628211u; };
  for (const float value : {m.m11, m.m12, m.m21, m.m22}) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    mix(bits);
  }
  mix(static_cast<uint64_t>(at.fracX) << 8 | static_cast<uint64_t>(at.fracY));
  mix(color);
  mix(static_cast<uint32_t>(source.left) ^ static_cast<uint32_t>(source.top) << 16);
  return static_cast<size_t>(hash >> 40) % LOOK_SETS;
}

// A look's place and size from the pixel its origin lies in: the shown part's corners
// turned, and a pixel around. False for one too large to keep.
struct Frame {
  int left, top, width, height;
};

bool FrameLook(const Matrix2D& linear, const Shown& shown, const Placing& at, Frame* frame) {
  double left = 1e30, top = 1e30, right = -1e30, bottom = -1e30;
  for (const double s : {shown.sFrom, shown.sTo}) {
    for (const double t : {shown.tFrom, shown.tTo}) {
      const Vector2 corner =
          TransformPoint(linear, Vector2{static_cast<float>(s), static_cast<float>(t)});
      left = std::min(left, static_cast<double>(corner.x));
      right = std::max(right, static_cast<double>(corner.x));
      top = std::min(top, static_cast<double>(corner.y));
      bottom = std::max(bottom, static_cast<double>(corner.y));
    }
  }
  if (!(right - left < LOOK_SIDE && bottom - top < LOOK_SIDE)) return false;
  const double fracX = at.fracX / 64.0, fracY = at.fracY / 64.0;
  frame->left = Floor(left + fracX) - 1;
  frame->top = Floor(top + fracY) - 1;
  frame->width = Ceiling(right + fracX) + 2 - frame->left;
  frame->height = Ceiling(bottom + fracY) + 2 - frame->top;
  return true;
}

// Makes the look in the slot: the source through the transform's turn and scale, its top
// left `at` within its pixel.
void MakeLook(const KeptImage& kept, const Rect& source, const Matrix2D& transform,
              const Placing& at, uint32_t color, bool blend, const Shown& shown, const Frame& frame,
              TurnedLook* look) {
  look->source = source;
  look->m11 = transform.m11, look->m12 = transform.m12, look->m21 = transform.m21,
  look->m22 = transform.m22;
  look->fracX = at.fracX, look->fracY = at.fracY;
  look->color = color;
  look->blend = blend;
  look->left = frame.left, look->top = frame.top, look->width = frame.width,
  look->height = frame.height;
  look->pixels.assign(static_cast<size_t>(frame.width) * frame.height, 0);
  look->spans.assign(static_cast<size_t>(frame.height) * 2, 0);
  Matrix2D local = transform;
  local.dx = static_cast<float>(at.fracX / 64.0 - frame.left);
  local.dy = static_cast<float>(at.fracY / 64.0 - frame.top);
  DrawThrough(
      kept.bordered.data(), source, local, shown, color, false,
      Canvas{look->pixels.data(), frame.width, frame.width, frame.height, look->spans.data()});
}

// The look kept for the texels, made if new (in place of its set's least recently used).
const TurnedLook& FindLook(KeptImage& kept, const Rect& source, const Matrix2D& transform,
                           const Placing& at, uint32_t color, bool blend, const Shown& shown,
                           const Frame& frame) {
  if (kept.looks.empty()) kept.looks.resize(LOOK_SETS * LOOK_WAYS);
  TurnedLook* set = &kept.looks[LookSet(source, transform, at, color) * LOOK_WAYS];
  TurnedLook* oldest = set;
  for (TurnedLook* look = set; look < set + LOOK_WAYS; ++look) {
    if (Shows(*look, source, transform, at, color, blend)) {
      look->lastUse = ++kept.lookClock;
      return *look;
    }
    if (look->lastUse < oldest->lastUse) oldest = look;
  }
  MakeLook(kept, source, transform, at, color, blend, shown, frame, oldest);
  oldest->lastUse = ++kept.lookClock;
  return *oldest;
}

// The look at its place in the target, clipped to it: blended over what is there, or copied.
void DrawLook(const TurnedLook& look, const Placing& at, bool blend, SDL_Surface* target) {
  const int x = at.x + look.left;
  const int y = at.y + look.top;
  for (int row = std::max(0, -y); row < look.height && y + row < target->h; ++row) {
    const int first = std::max<int>(look.spans[2 * row], -x);
    const int last = std::min<int>(look.spans[2 * row + 1], target->w - x);
    if (first >= last) continue;
    const uint32_t* in = look.pixels.data() + static_cast<size_t>(row) * look.width;
    uint32_t* out = PixelRow(target, y + row) + x;
    if (!blend) {
      std::memcpy(out + first, in + first, static_cast<size_t>(last - first) * 4);
      continue;
    }
    int i = first;
    for (; i + 1 < last; i += 2) {
      if (((in[i] | in[i + 1]) >> 24) == 0) continue;  // clear: what is there stays
      StoreTwo(out + i, Blend(LoadTwo(in + i), LoadTwo(out + i)));
    }
    if (i < last && (in[i] >> 24) != 0)
      out[i] = FirstOf(Blend(LoadPair(in[i], 0), LoadPair(out[i], 0)));
  }
}

}  // namespace

void DrawTurned(KeptDrawings& drawings, const TexelImage& image, const Rect& source,
                const Matrix2D& transform, Vector2 offset, uint32_t color, bool blend,
                SDL_Surface* target) {
  const double det = static_cast<double>(transform.m11) * transform.m22 -
                     static_cast<double>(transform.m12) * transform.m21;
  if (std::fabs(det) < 1e-12) return;
  KeptImage& kept = drawings.For(image);
  const uint32_t* bordered = Bordered(kept, image, source);  // and so its ink
  const Shown shown =
      ShownPart(kept, source.right - source.left, source.bottom - source.top, blend);
  // Where the source's top left lands.
  Matrix2D linear = transform;
  linear.dx = linear.dy = 0.0f;
  const Vector2 turned = TransformPoint(linear, offset);
  const Vector2 origin{turned.x + transform.dx, turned.y + transform.dy};
  const Placing at = Place(origin);
  Frame frame{};
  if (!(std::fabs(origin.x) < 1e6f && std::fabs(origin.y) < 1e6f) ||
      !FrameLook(linear, shown, at, &frame)) {
    // Too large, or too far off, to keep: straight into the target.
    linear.dx = origin.x, linear.dy = origin.y;
    DrawThrough(bordered, source, linear, shown, color, blend,
                Canvas{PixelRow(target, 0), target->pitch / 4, target->w, target->h, nullptr});
    return;
  }
  const int x = at.x + frame.left, y = at.y + frame.top;
  if (x >= target->w || y >= target->h || x + frame.width <= 0 || y + frame.height <= 0) return;
  DrawLook(FindLook(kept, source, transform, at, color, blend, shown, frame), at, blend, target);
}
