#pragma once
// Sprites drawn on the processor into a 32-bit surface of ARGB's layout (the back buffer in
// memory), from a texture's texels: what the device asks for, with nothing of the device's
// own. What is kept between drawings is kept in the KeptDrawings passed in.
#include <SDL.h>

#include <cstdint>

#include "platform/gfx/matrix2d.h"
#include "platform/gfx/rect.h"
#include "platform/software/kept_drawings.h"

// Row y of a 32-bit surface.
inline uint32_t* PixelRow(const SDL_Surface* surface, int y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                     static_cast<size_t>(y) * surface->pitch);
}

// `source` of the texels, its local top-left at `offset`, through any affine transform:
// filtered as a GPU filters, tinted by the ARGB colour and blended (else copied) over what
// is there. A look at one turn, scale and place within a pixel is kept and used again.
void DrawTurned(KeptDrawings& kept, const TexelImage& image, const Rect& source,
                const Matrix2D& transform, Vector2 offset, uint32_t color, bool blend,
                SDL_Surface* target);

// `source` of the texels at whole-pixel (x, y), width x height, exactly as SDL's software
// renderer draws a texture that scales linearly: another size is stretched once and kept,
// a tint blended with SDL's own integer arithmetic. False, having drawn nothing, for an
// untinted copy at its own size (SDL's renderer is as quick) or a stretch that cannot be made.
bool DrawUnturned(KeptDrawings& kept, const TexelImage& image, const Rect& source, int x, int y,
                  int width, int height, uint32_t color, bool blend, SDL_Surface* target);

// `count` copies of a one-texel-wide `source`, tinted and blended `step` pixels apart along
// a row from (x, y), as DrawUnturned would blend each: each texel row is tinted once.
void BlendSlices(const TexelImage& image, const Rect& source, uint32_t color, int x, int y,
                 int step, int count, SDL_Surface* target);
