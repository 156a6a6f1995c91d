#pragma once
// The sprite batch: textured rectangles drawn into the back buffer with a 2D transform
// and a modulating colour, between Begin and End.
#include <cstdint>

#include "platform/gfx/matrix2d.h"
#include "platform/gfx/rect.h"
#include "platform/hresult.h"

struct RenderDevice;
struct Texture;

// Blend each sprite over what is already drawn, by the alpha of texel × colour.
constexpr uint32_t D3DXSPRITE_ALPHABLEND = 0x10;

struct SpriteBatch {
  HRESULT Begin(uint32_t flags);
  HRESULT End();
  HRESULT SetTransform(const Matrix2D& transform);
  Matrix2D GetTransform() const;
  // Draws the source rectangle of the texture (null: all of it) with its corner `centre`
  // at `position` (null: both at the origin) through the transform. The colour multiplies
  // each texel: alpha is opacity, the others tint. Outside Begin/End, with no texture,
  // or with a source rectangle that misses the texture, nothing is drawn.
  HRESULT Draw(Texture* texture, const Rect* sourceRect, const Vector2* centre,
               const Vector2* position, uint32_t color);
  void Release();

 protected:
  SpriteBatch() = default;
  ~SpriteBatch() = default;
};

// Null *batch and a failure code when there is no device.
HRESULT CreateSprite(RenderDevice* device, SpriteBatch** batch);
