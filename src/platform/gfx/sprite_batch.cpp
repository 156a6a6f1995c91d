// The sprite batch: each sprite is one textured rectangle placed by an affine transform,
// drawn straight into the back buffer in the order of the calls.
#include <SDL.h>

#include <cmath>

#include "platform/gfx/render_internal.h"

namespace {

SpriteImpl* Impl(SpriteBatch* batch) { return static_cast<SpriteImpl*>(batch); }

// The texels as two textured triangles placed by the transform, for the renderer's own
// drawing of a turned rectangle.
HRESULT DrawAsTriangles(DeviceImpl* device, TextureImpl* texture, const Rect& texels,
                        const Matrix2D& transform, Vector2 offset, uint32_t color, bool blend) {
  const float width = static_cast<float>(texels.right - texels.left);
  const float height = static_cast<float>(texels.bottom - texels.top);
  const float u0 = static_cast<float>(texels.left) / texture->width;
  const float v0 = static_cast<float>(texels.top) / texture->height;
  const float u1 = static_cast<float>(texels.right) / texture->width;
  const float v1 = static_cast<float>(texels.bottom) / texture->height;
  const SDL_Color tint{static_cast<Uint8>(color >> 16), static_cast<Uint8>(color >> 8),
                       static_cast<Uint8>(color), static_cast<Uint8>(color >> 24)};
  const Vector2 corners[4] = {offset,
                              {offset.x + width, offset.y},
                              {offset.x + width, offset.y + height},
                              {offset.x, offset.y + height}};
  const float uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
  SDL_Vertex vertices[4];
  for (int i = 0; i < 4; ++i) {
    const Vector2 at = TransformPoint(transform, corners[i]);
    vertices[i] = SDL_Vertex{{at.x, at.y}, tint, {uv[i][0], uv[i][1]}};
  }
  static const int QUAD[6] = {0, 1, 2, 0, 2, 3};
  SDL_SetTextureBlendMode(texture->texture, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
  return SDL_RenderGeometry(device->renderer, texture->texture, vertices, 4, QUAD, 6) == 0 ? S_OK
                                                                                           : E_FAIL;
}

}  // namespace

HRESULT DrawTextureRect(DeviceImpl* device, TextureImpl* texture, const Rect& source,
                        const Matrix2D& transform, Vector2 offset, uint32_t color, bool blend) {
  if (!device || !texture || texture->device != device || !texture->texture) {
    return D3DERR_INVALIDCALL;
  }
  // Only the part of the rectangle that lies on the texture is drawn, where it lies.
  const int left = std::max(source.left, 0);
  const int top = std::max(source.top, 0);
  const int right = std::min(source.right, texture->width);
  const int bottom = std::min(source.bottom, texture->height);
  if (left >= right || top >= bottom) return D3DERR_INVALIDCALL;
  offset.x += static_cast<float>(left - source.left);
  offset.y += static_cast<float>(top - source.top);
  const float width = static_cast<float>(right - left);
  const float height = static_cast<float>(bottom - top);
  const Rect texels{left, top, right, bottom};

  SDL_Texture* sdlTexture = texture->texture;
  const float drawWidth = width * transform.m11;
  const float drawHeight = height * transform.m22;
  if (transform.m12 == 0.0f && transform.m21 == 0.0f && drawWidth > 0.0f && drawHeight > 0.0f) {
    // Unturned and unmirrored: the plain copy.
    const Vector2 corner = TransformPoint(transform, offset);
    if (DrawUnturnedItself(device, texture, texels, corner, drawWidth, drawHeight, color, blend))
      return S_OK;
    if (device->backPixels) DrawPendingSlices(device);
    SDL_SetTextureColorMod(sdlTexture, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
    SDL_SetTextureAlphaMod(sdlTexture, color >> 24);
    SDL_SetTextureBlendMode(sdlTexture, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    const SDL_FRect dest{corner.x, corner.y, drawWidth, drawHeight};
    const SDL_Rect from{left, top, right - left, bottom - top};
    return SDL_RenderCopyF(device->renderer, sdlTexture, &from, &dest) == 0 ? S_OK : E_FAIL;
  }
  // Anything else goes through the whole transform: the software renderer would make
  // scratch surfaces for every turned copy. On the processor the device draws it itself,
  // elsewhere it is two textured triangles.
  if (SDL_Surface* back = BackPixelsForWriting(device)) {
    DrawTurned(device->kept, Texels(*texture), texels, transform, offset, color, blend, back);
    return S_OK;
  }
  return DrawAsTriangles(device, texture, texels, transform, offset, color, blend);
}

HRESULT CreateSprite(RenderDevice* device, SpriteBatch** result) {
  if (!result) return D3DERR_INVALIDCALL;
  *result = nullptr;
  if (!device) return D3DERR_INVALIDCALL;
  SpriteImpl* batch = new SpriteImpl;
  batch->device = static_cast<DeviceImpl*>(device);
  batch->device->sprites.push_back(batch);
  *result = batch;
  return S_OK;
}

void SpriteBatch::Release() {
  SpriteImpl* batch = Impl(this);
  if (batch->device) Unregister(batch->device->sprites, batch);
  delete batch;
}

HRESULT SpriteBatch::Begin(uint32_t flags) {
  SpriteImpl* batch = Impl(this);
  if (batch->begun || !batch->device) return D3DERR_INVALIDCALL;
  if (!RecoverDevice(batch->device)) return D3DERR_DEVICELOST;
  TargetBackBufferForDrawing(batch->device);
  batch->begun = true;
  batch->flags = flags;
  return S_OK;
}

HRESULT SpriteBatch::End() {
  SpriteImpl* batch = Impl(this);
  if (!batch->begun) return D3DERR_INVALIDCALL;
  batch->begun = false;
  return S_OK;
}

HRESULT SpriteBatch::SetTransform(const Matrix2D& transform) {
  Impl(this)->transform = transform;
  return S_OK;
}

Matrix2D SpriteBatch::GetTransform() const {
  return static_cast<const SpriteImpl*>(this)->transform;
}

HRESULT SpriteBatch::Draw(Texture* texture, const Rect* sourceRect, const Vector2* centre,
                          const Vector2* position, uint32_t color) {
  SpriteImpl* batch = Impl(this);
  if (!batch->begun || !texture) return D3DERR_INVALIDCALL;
  TextureImpl* image = static_cast<TextureImpl*>(texture);
  const Rect source = sourceRect ? *sourceRect : Rect{0, 0, image->width, image->height};
  Vector2 offset;
  if (position) offset = *position;
  if (centre) {
    offset.x -= centre->x;
    offset.y -= centre->y;
  }
  return DrawTextureRect(batch->device, image, source, batch->transform, offset, color,
                         batch->flags & D3DXSPRITE_ALPHABLEND);
}
