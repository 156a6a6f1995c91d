// Turned, mirrored or sheared sprites drawn straight into a back buffer in memory: each
// pixel whose centre lies inside the transformed rectangle takes the four texels around
// the point it maps back to, weighed by distance (as a GPU's linear filter does), tinted
// and blended over what is there. No scratch surface, no division per pixel; two pixels
// at a time.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/gfx/pixel_lanes.h"
#include "platform/gfx/render_internal.h"

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

// The rectangle's texels inside a border of their edge texels, kept with the texture.
const uint32_t* Bordered(TextureImpl& texture, const Rect& source) {
  const Rect& kept = texture.borderedSource;
  if (!texture.bordered.empty() && kept.left == source.left && kept.top == source.top &&
      kept.right == source.right && kept.bottom == source.bottom) {
    return texture.bordered.data();
  }
  const int columns = source.right - source.left;
  const int rows = source.bottom - source.top;
  texture.bordered.resize(static_cast<size_t>(columns + 2) * (rows + 2));
  for (int y = -1; y <= rows; ++y) {
    const int from = source.top + std::clamp(y, 0, rows - 1);
    for (int x = -1; x <= columns; ++x) {
      texture.bordered[static_cast<size_t>(y + 1) * (columns + 2) + x + 1] =
          texture.pixels[static_cast<size_t>(from) * texture.width + source.left +
                         std::clamp(x, 0, columns - 1)];
    }
  }
  texture.borderedSource = source;
  Rect ink{columns, rows, 0, 0};
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      if (texture.bordered[static_cast<size_t>(y + 1) * (columns + 2) + x + 1] >> 24) {
        ink = Rect{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                   std::max(ink.bottom, y + 1)};
      }
    }
  }
  texture.borderedInk = ink;
  return texture.bordered.data();
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

inline uint64_t Word(const uint32_t* pixels) {
  uint64_t word;
  std::memcpy(&word, pixels, sizeof word);
  return word;
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
  for (int i = 0; i < count; i += 2, u += 2 * uStep, v += 2 * vStep, across += acrossStep, down += downStep) {
    // The texel above and left of each sample; an odd last pixel takes its own sample twice
    // and writes one.
    const bool pair = i + 1 < count;
    const uint32_t* p = texels + (v >> 16) * pitch + (u >> 16);
    const uint32_t* q = pair ? texels + ((v + vStep) >> 16) * pitch + ((u + uStep) >> 16) : p;
    const uint64_t pTop = Word(p), pBottom = Word(p + pitch);
    const uint64_t qTop = Word(q), qBottom = Word(q + pitch);
    if (BLENDED && ((pTop | pBottom | qTop | qBottom) & ALPHAS) == 0) continue;
    // Down each sample's two columns, then across them.
    const PixelLanes downWeights = down >> 8;
    const PixelLanes pColumns = Lerp(WidenWord(pTop), WidenWord(pBottom),
                                     __builtin_shufflevector(downWeights, downWeights, 0, 1, 2, 3, 0, 1, 2, 3));
    const PixelLanes qColumns = Lerp(WidenWord(qTop), WidenWord(qBottom),
                                     __builtin_shufflevector(downWeights, downWeights, 4, 5, 6, 7, 4, 5, 6, 7));
    PixelLanes filtered = Lerp(__builtin_shufflevector(pColumns, qColumns, 0, 1, 2, 3, 8, 9, 10, 11),
                               __builtin_shufflevector(pColumns, qColumns, 4, 5, 6, 7, 12, 13, 14, 15),
                               across >> 8);
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

// The target's rows [first, last) that the corners of the rectangle from `from` to `to`
// (in texels from the source's top left) span, turned.
void RowsCovered(const Matrix2D& transform, Vector2 offset, Vector2 from, Vector2 to, int height,
                 int* first, int* last) {
  double top = 1e30, bottom = -1e30;
  for (const Vector2 corner : {from, to, Vector2{from.x, to.y}, Vector2{to.x, from.y}}) {
    const Vector2 at = TransformPoint(transform, Vector2{offset.x + corner.x, offset.y + corner.y});
    top = std::min(top, static_cast<double>(at.y));
    bottom = std::max(bottom, static_cast<double>(at.y));
  }
  *first = static_cast<int>(std::clamp(std::floor(top), 0.0, static_cast<double>(height)));
  *last = static_cast<int>(std::clamp(std::ceil(bottom) + 1.0, 0.0, static_cast<double>(height)));
}

RowDrawer ChooseRowDrawer(bool tinted, bool blend) {
  if (tinted) return blend ? DrawRow<true, true> : DrawRow<true, false>;
  return blend ? DrawRow<false, true> : DrawRow<false, false>;
}

}  // namespace

void DrawAffine(TextureImpl& texture, const Rect& source, const Matrix2D& transform, Vector2 offset,
                uint32_t color, bool blend, SDL_Surface* target) {
  const double det = static_cast<double>(transform.m11) * transform.m22 -
                     static_cast<double>(transform.m12) * transform.m21;
  if (std::fabs(det) < 1e-12) return;
  const int columns = source.right - source.left;
  const int rows = source.bottom - source.top;
  // Screen to the rectangle's texels: s = a x + b y + c, t = d x + e y + f.
  const double a = transform.m22 / det, b = -transform.m21 / det;
  const double d = -transform.m12 / det, e = transform.m11 / det;
  const double c = -(a * transform.dx + b * transform.dy) - offset.x;
  const double f = -(d * transform.dx + e * transform.dy) - offset.y;

  const Rows shared{Bordered(texture, source), columns + 2, Fixed(a), Fixed(d),
                    ChannelLanes(color)};
  // Blended, a pixel further than half a texel from any ink leaves what is there.
  const Rect& ink = texture.borderedInk;
  const double sFrom = blend ? std::max(0.0, ink.left - 0.5) : 0.0;
  const double sTo = blend ? std::min<double>(columns, ink.right + 0.5) : columns;
  const double tFrom = blend ? std::max(0.0, ink.top - 0.5) : 0.0;
  const double tTo = blend ? std::min<double>(rows, ink.bottom + 0.5) : rows;
  int firstRow = 0, lastRow = 0;
  RowsCovered(transform, offset, Vector2{static_cast<float>(sFrom), static_cast<float>(tFrom)},
              Vector2{static_cast<float>(sTo), static_cast<float>(tTo)}, target->h, &firstRow, &lastRow);
  const RowDrawer drawRow = ChooseRowDrawer(color != 0xFFFFFFFFu, blend);
  // Where a sample's four texels all lie inside the border.
  const auto inside = [columns, rows](int32_t u, int32_t v) {
    return u >= 0 && v >= 0 && (u >> 16) <= columns && (v >> 16) <= rows;
  };
  const double aInverse = a != 0.0 ? 1.0 / a : 0.0;
  const double dInverse = d != 0.0 ? 1.0 / d : 0.0;
  // s and t at the centre of pixel x of row y: s0 + a x and t0 + d x, s0 and t0 stepping
  // by b and e from row to row.
  double s0 = a * 0.5 + b * (firstRow + 0.5) + c;
  double t0 = d * 0.5 + e * (firstRow + 0.5) + f;
  for (int y = firstRow; y < lastRow; ++y, s0 += b, t0 += e) {
    int first = 0;
    int last = target->w;
    Narrow(s0, a, aInverse, sFrom, sTo, &first, &last);
    Narrow(t0, d, dInverse, tFrom, tTo, &first, &last);
    if (first >= last) continue;
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
    uint32_t* out = PixelRow(target, y);
    // The next row's pixels are on their way while this row is drawn.
    if (y + 1 < lastRow)
      __builtin_prefetch(reinterpret_cast<uint8_t*>(out + first) + target->pitch);
    drawRow(shared, u, v, out + first, last - first);
  }
}
