// Unturned sprites at whole-pixel positions in a memory back buffer, pixel for pixel as
// SDL's software renderer draws them but without most of its cost: a sprite drawn at
// another size is stretched once and kept (SDL stretches it afresh into a scratch surface
// for every copy), and a tinted one is blended here with SDL's own integer arithmetic,
// eight channels at a time instead of one.
#include <SDL.h>

#include <cmath>
#include <iterator>

#include "platform/gfx/pixel_lanes.h"
#include "platform/gfx/render_internal.h"

namespace {

bool plainDrawing = false;

const PixelLanes COLOUR_LANES = {0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0};
const PixelLanes ALPHA_LANES = ~COLOUR_LANES;

// The part of the texture at width x height as SDL stretches it; null when it cannot be made.
SDL_Surface* Stretched(TextureImpl* texture, const Rect& source, int width, int height) {
  for (const KeptStretch& kept : texture->stretches) {
    if (kept.surface && kept.width == width && kept.height == height && kept.source == source) {
      return kept.surface;
    }
  }
  SDL_Surface* whole =
      SDL_CreateRGBSurfaceWithFormatFrom(texture->pixels.data(), texture->width, texture->height,
                                         32, texture->width * 4, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* stretched =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  const SDL_Rect from{source.left, source.top, source.right - source.left,
                      source.bottom - source.top};
  const bool made =
      whole && stretched && SDL_SoftStretchLinear(whole, &from, stretched, nullptr) == 0;
  SDL_FreeSurface(whole);
  if (!made) {
    SDL_FreeSurface(stretched);
    return nullptr;
  }
  KeptStretch& slot = texture->stretches[texture->nextStretch];
  texture->nextStretch =
      (texture->nextStretch + 1) % static_cast<int>(std::size(texture->stretches));
  SDL_FreeSurface(slot.surface);
  slot = KeptStretch{source, width, height, stretched, {}, {}, 0, 0};
  // A clear texel leaves its pixel as it is: each row is blended only where it has ink.
  slot.spans.resize(static_cast<size_t>(height) * 2);
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = PixelRow(stretched, y);
    int first = 0;
    int last = width;
    while (first < last && (row[first] >> 24) == 0) ++first;
    while (last > first && (row[last - 1] >> 24) == 0) --last;
    slot.spans[2 * y] = static_cast<uint16_t>(first);
    slot.spans[2 * y + 1] = static_cast<uint16_t>(last);
  }
  return stretched;
}

KeptStretch* KeptFor(TextureImpl* texture, const SDL_Surface* surface) {
  for (KeptStretch& kept : texture->stretches) {
    if (kept.surface == surface) return &kept;
  }
  return nullptr;
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
  const SDL_Surface* surface = stretch->surface;
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

// Gathers a slice into the pending run when it continues it, else starts a new run.
void AddSlice(DeviceImpl* device, TextureImpl* texture, const Rect& source, int x, int y,
              uint32_t color) {
  SliceRun& run = device->pendingSlices;
  const bool continues = run.count > 0 && run.texture == texture && run.source == source &&
                         run.color == color && run.y == y &&
                         (run.count == 1 ? x > run.x : x == run.x + run.step * run.count);
  if (!continues) {
    BackPixelsForWriting(device);  // draws the run before, and whatever else is waiting
    run = SliceRun{texture, source, color, x, y, 0, 0};
  } else if (run.count == 1) {
    run.step = x - run.x;
  }
  ++run.count;
}

}  // namespace

void DrawPendingSlices(DeviceImpl* device) {
  SliceRun& run = device->pendingSlices;
  if (run.count == 0) return;
  const SliceRun slices = run;
  run.count = 0;
  SDL_Surface* back = device->backPixels;
  const TextureImpl& texture = *slices.texture;
  const PixelLanes kept = KeptLanes(back);
  const PixelLanes tint = ChannelLanes(slices.color);
  // The slices on the buffer: the first and last-plus-one of them. A lone slice has no step.
  const int step = std::max(slices.step, 1);
  const int first = slices.x >= 0 ? 0 : (-slices.x + step - 1) / step;
  const int last = std::min(slices.count, (back->w - slices.x + step - 1) / step);
  for (int row = std::max(0, -slices.y);
       row < slices.source.bottom - slices.source.top && slices.y + row < back->h; ++row) {
    const uint32_t texel =
        texture.pixels[static_cast<size_t>(slices.source.top + row) * texture.width +
                       slices.source.left];
    // The texel is tinted once for the whole row.
    const PixelLanes tinted = Tinted(ChannelLanes(texel), tint);
    if (tinted[3] == 0) continue;  // a clear texel leaves every pixel as it is
    uint32_t* out = PixelRow(back, slices.y + row) + slices.x;
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

void SetPlainDrawing(bool plain) { plainDrawing = plain; }
bool PlainDrawing() { return plainDrawing; }

bool DrawUnturned(DeviceImpl* device, TextureImpl* texture, const Rect& source, Vector2 corner,
                  float width, float height, uint32_t color, bool blend) {
  if (!device->backPixels || plainDrawing) return false;
  // SDL's software renderer takes whole pixels; a fraction is left to it.
  if (corner.x != std::floor(corner.x) || corner.y != std::floor(corner.y) ||
      std::fabs(corner.x) > 1e6f || std::fabs(corner.y) > 1e6f) {
    return false;
  }
  const int x = static_cast<int>(corner.x);
  const int y = static_cast<int>(corner.y);
  const int w = std::max(static_cast<int>(width), 1);
  const int h = std::max(static_cast<int>(height), 1);
  const bool stretch = w != source.right - source.left || h != source.bottom - source.top;
  const bool tinted = blend && color != 0xFFFFFFFFu;
  SDL_ScaleMode mode = SDL_ScaleModeNearest;
  if (stretch &&
      (SDL_GetTextureScaleMode(texture->texture, &mode) != 0 || mode != SDL_ScaleModeLinear)) {
    return false;
  }
  // An untinted copy at its own size is SDL's quickest already.
  if (!stretch && !tinted) return false;
  if (!stretch && source.right - source.left == 1) {
    AddSlice(device, texture, source, x, y, color);
    return true;
  }
  SDL_Surface* from = stretch ? Stretched(texture, source, w, h) : nullptr;
  if (stretch && !from) return false;
  SDL_Surface* back = BackPixelsForWriting(device);

  if (!tinted) {
    // SDL's own blit of the kept stretch, set as its renderer sets a texture's.
    SDL_SetSurfaceColorMod(from, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
    SDL_SetSurfaceAlphaMod(from, color >> 24);
    SDL_SetSurfaceBlendMode(from, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    SDL_Rect where{x, y, w, h};
    SDL_BlitSurface(from, nullptr, back, &where);
    return true;
  }
  if (from) {
    KeptStretch* kept = KeptFor(texture, from);
    const uint32_t* keptTinted = TintedStretch(kept, color);
    BlendTintedRect(keptTinted ? keptTinted : static_cast<const uint32_t*>(from->pixels),
                    keptTinted ? w : from->pitch / 4, keptTinted, kept, x, y, w, h, color, back);
  } else {
    BlendTintedRect(
        texture->pixels.data() + static_cast<size_t>(source.top) * texture->width + source.left,
        texture->width, false, nullptr, x, y, w, h, color, back);
  }
  return true;
}
