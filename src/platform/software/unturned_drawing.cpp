// Unturned sprites at whole-pixel positions in a back buffer in memory, pixel for pixel as
// SDL's software renderer draws them but without most of its cost: a sprite drawn at
// another size is stretched once and kept (SDL stretches it afresh into a scratch surface
// for every copy), and a tinted one is blended here with SDL's own integer arithmetic,
// eight channels at a time instead of one.
#include <SDL.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/software/pixel_lanes.h"
#include "platform/software/software_drawing.h"

namespace {

const PixelLanes COLOUR_LANES = {0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0};
const PixelLanes ALPHA_LANES = ~COLOUR_LANES;

// The part of the texels at width x height as SDL stretches it, kept; null when it cannot
// be made.
KeptStretch* Stretched(KeptImage& kept, const TexelImage& image, const Rect& source, int width,
                       int height) {
  for (KeptStretch& stretch : kept.stretches) {
    if (stretch.surface && stretch.width == width && stretch.height == height &&
        stretch.source == source) {
      return &stretch;
    }
  }
  // SDL only reads the texels: nothing is written through this surface.
  SDL_Surface* whole = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(image.texels), image.width, image.height, 32, image.width * 4,
      SDL_PIXELFORMAT_ARGB8888);
  SurfacePointer stretched(
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
  const SDL_Rect from{source.left, source.top, source.right - source.left,
                      source.bottom - source.top};
  const bool made =
      whole && stretched && SDL_SoftStretchLinear(whole, &from, stretched.get(), nullptr) == 0;
  SDL_FreeSurface(whole);
  if (!made) return nullptr;
  KeptStretch& slot = kept.stretches[kept.nextStretch];
  kept.nextStretch = (kept.nextStretch + 1) % static_cast<int>(std::size(kept.stretches));
  slot = KeptStretch{source, width, height, std::move(stretched), {}, {}, 0, 0};
  // A clear texel leaves its pixel as it is: each row is blended only where it has ink.
  slot.spans.resize(static_cast<size_t>(height) * 2);
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = PixelRow(slot.surface.get(), y);
    int first = 0;
    int last = width;
    while (first < last && (row[first] >> 24) == 0) ++first;
    while (last > first && (row[last - 1] >> 24) == 0) --last;
    slot.spans[2 * y] = static_cast<uint16_t>(first);
    slot.spans[2 * y + 1] = static_cast<uint16_t>(last);
  }
  return &slot;
}

// SDL's tinted blend in two steps: the texel's channels scaled by the tint and its colour
// by its alpha; then that over the destination by what the alpha leaves. Every division
// rounds down.
inline PixelLanes Tinted(PixelLanes texels, PixelLanes tint) {
  texels = Divide255(texels * tint);
  const PixelLanes alpha = AlphaLanes(texels);
  return (Divide255(texels * alpha) & COLOUR_LANES) | (alpha & ALPHA_LANES);
}

inline PixelLanes Over(PixelLanes tinted, PixelLanes dest, PixelLanes kept) {
  return (tinted + Divide255((255 - AlphaLanes(tinted)) * dest)) & kept;
}

// `source` tinted over `dest`; already tinted when TINTED.
template <bool TINTED>
void BlendTintedRow(const uint32_t* source, uint32_t* dest, int count, PixelLanes tint,
                    PixelLanes kept) {
  const auto tinted = [tint](PixelLanes texels) { return TINTED ? texels : Tinted(texels, tint); };
  int i = 0;
  for (; i + 2 <= count; i += 2)
    StoreTwo(dest + i, Over(tinted(LoadTwo(source + i)), LoadTwo(dest + i), kept));
  if (i < count)
    dest[i] = FirstOf(Over(tinted(LoadPair(source[i], 0)), LoadPair(dest[i], 0), kept));
}

// The kept stretch tinted, once the same tint comes twice running; null until then.
const uint32_t* TintedStretch(KeptStretch* stretch, uint32_t color) {
  if (!stretch->tinted.empty() && stretch->tint == color) return stretch->tinted.data();
  const bool again = stretch->lastTint == color;
  stretch->lastTint = color;
  if (!again) return nullptr;
  const SDL_Surface* surface = stretch->surface.get();
  stretch->tinted.resize(static_cast<size_t>(surface->w) * surface->h);
  const PixelLanes tint = ChannelLanes(color);
  for (int y = 0; y < surface->h; ++y) {
    const uint32_t* row = PixelRow(surface, y);
    uint32_t* out = stretch->tinted.data() + static_cast<size_t>(y) * surface->w;
    for (int x = 0; x < surface->w; ++x) out[x] = FirstOf(Tinted(LoadPair(row[x], 0), tint));
  }
  stretch->tint = color;
  return stretch->tinted.data();
}

// Without an alpha channel of its own the back buffer's spare byte is written 0, as SDL does.
PixelLanes KeptLanes(const SDL_Surface* back) {
  return SDL_ISPIXELFORMAT_ALPHA(back->format->format) ? SameLanes(0xFFFF) : COLOUR_LANES;
}

// The texels, width x height from `texels` `pitch` apart, blended tinted at (x, y) of the
// back buffer, clipped to it (already tinted when `tinted`); a kept stretch's rows only
// where they have ink.
void BlendTintedRect(const uint32_t* texels, int pitch, bool tinted, const KeptStretch* stretch,
                     int x, int y, int width, int height, uint32_t color, SDL_Surface* back) {
  const int left = std::max(0, -x);
  const int right = std::min(width, back->w - x);
  const PixelLanes kept = KeptLanes(back);
  const PixelLanes tint = ChannelLanes(color);
  const auto blendRow = tinted ? BlendTintedRow<true> : BlendTintedRow<false>;
  for (int row = std::max(0, -y); row < std::min(height, back->h - y); ++row) {
    uint32_t* out = PixelRow(back, y + row) + x;
    const int first = stretch ? std::max<int>(left, stretch->spans[2 * row]) : left;
    const int last = stretch ? std::min<int>(right, stretch->spans[2 * row + 1]) : right;
    if (row + 1 < height) __builtin_prefetch(reinterpret_cast<uint8_t*>(out + first) + back->pitch);
    if (first < last) {
      blendRow(texels + static_cast<size_t>(row) * pitch + first, out + first, last - first, tint,
               kept);
    }
  }
}

}  // namespace

void BlendSlices(const TexelImage& image, const Rect& source, uint32_t color, int x, int y,
                 int step, int count, SDL_Surface* back) {
  const PixelLanes kept = KeptLanes(back);
  const PixelLanes tint = ChannelLanes(color);
  // The slices on the buffer: the first and last-plus-one of them. A lone slice has no step.
  step = std::max(step, 1);
  const int first = x >= 0 ? 0 : (-x + step - 1) / step;
  const int last = std::min(count, (back->w - x + step - 1) / step);
  for (int row = std::max(0, -y); row < source.bottom - source.top && y + row < back->h; ++row) {
    const uint32_t texel =
        image.texels[static_cast<size_t>(source.top + row) * image.width + source.left];
    // The texel is tinted once for the whole row.
    const PixelLanes tinted = Tinted(ChannelLanes(texel), tint);
    if (tinted[3] == 0) continue;  // a clear texel leaves every pixel as it is
    uint32_t* out = PixelRow(back, y + row) + x;
    int i = first;
    for (; i + 1 < last; i += 2) {
      uint32_t* a = out + i * step;
      uint32_t* b = a + step;
      const uint64_t both = PackTwo(Over(tinted, LoadPair(*a, *b), kept));
      *a = static_cast<uint32_t>(both);
      *b = static_cast<uint32_t>(both >> 32);
    }
    if (i < last) out[i * step] = FirstOf(Over(tinted, LoadPair(out[i * step], 0), kept));
  }
}

bool DrawUnturned(KeptDrawings& drawings, const TexelImage& image, const Rect& source, int x, int y,
                  int width, int height, uint32_t color, bool blend, SDL_Surface* back) {
  const bool stretch = width != source.right - source.left || height != source.bottom - source.top;
  const bool tinted = blend && color != 0xFFFFFFFFu;
  if (!stretch && !tinted) return false;
  KeptStretch* kept =
      stretch ? Stretched(drawings.For(image), image, source, width, height) : nullptr;
  if (stretch && !kept) return false;
  if (!tinted) {
    // SDL's own blit of the kept stretch, set as its renderer sets a texture's.
    SDL_Surface* from = kept->surface.get();
    SDL_SetSurfaceColorMod(from, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
    SDL_SetSurfaceAlphaMod(from, color >> 24);
    SDL_SetSurfaceBlendMode(from, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    SDL_Rect where{x, y, width, height};
    SDL_BlitSurface(from, nullptr, back, &where);
    return true;
  }
  if (kept) {
    const uint32_t* keptTinted = TintedStretch(kept, color);
    const SDL_Surface* from = kept->surface.get();
    BlendTintedRect(keptTinted ? keptTinted : static_cast<const uint32_t*>(from->pixels),
                    keptTinted ? width : from->pitch / 4, keptTinted, kept, x, y, width, height,
                    color, back);
  } else {
    BlendTintedRect(image.texels + static_cast<size_t>(source.top) * image.width + source.left,
                    image.width, false, nullptr, x, y, width, height, color, back);
  }
  return true;
}
