// The sprite batch: each sprite is one textured rectangle placed by an affine transform,
// drawn straight into the back buffer in the order of the calls.
#include <SDL.h>

#include <cmath>

#include "platform/gfx/render_internal.h"

namespace {

constexpr double RADIANS_TO_DEGREES = 57.29577951308232;
// A float angle meant as a whole number of quarter turns is drawn as exactly that.
constexpr double QUARTER_TURN_SNAP_DEGREES = 1e-3;

SpriteImpl* Impl(SpriteBatch* batch) { return static_cast<SpriteImpl*>(batch); }

double SnapToQuarterTurns(double degrees) {
  const double quarters = std::round(degrees / 90.0);
  return std::fabs(degrees - quarters * 90.0) < QUARTER_TURN_SNAP_DEGREES ? quarters * 90.0
                                                                         : degrees;
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

  // The transform as SDL can draw it: scale, then a turn about the rectangle's centre.
  // A mirrored transform becomes a vertical flip; shear cannot be drawn and is dropped.
  const float scaleX = std::hypot(transform.m11, transform.m12);
  if (scaleX == 0.0f) return S_OK;
  float scaleY = (transform.m11 * transform.m22 - transform.m12 * transform.m21) / scaleX;
  const SDL_RendererFlip flip = scaleY < 0.0f ? SDL_FLIP_VERTICAL : SDL_FLIP_NONE;
  scaleY = std::fabs(scaleY);
  if (scaleY == 0.0f) return S_OK;
  const double angle =
      SnapToQuarterTurns(std::atan2(transform.m12, transform.m11) * RADIANS_TO_DEGREES);

  const Vector2 centre =
      TransformPoint(transform, Vector2{offset.x + width / 2.0f, offset.y + height / 2.0f});
  const float drawWidth = width * scaleX;
  const float drawHeight = height * scaleY;
  const SDL_FRect dest{centre.x - drawWidth / 2.0f, centre.y - drawHeight / 2.0f, drawWidth,
                       drawHeight};
  const SDL_FPoint turnCentre{drawWidth / 2.0f, drawHeight / 2.0f};
  const SDL_Rect texels{left, top, right - left, bottom - top};

  SDL_Texture* sdlTexture = texture->texture;
  SDL_SetTextureColorMod(sdlTexture, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
  SDL_SetTextureAlphaMod(sdlTexture, color >> 24);
  SDL_SetTextureBlendMode(sdlTexture, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
  // Unturned sprites take the plain copy: the software renderer's turning path makes
  // scratch surfaces for every sprite.
  const int drawn =
      angle == 0.0 && flip == SDL_FLIP_NONE
          ? SDL_RenderCopyF(device->renderer, sdlTexture, &texels, &dest)
          : SDL_RenderCopyExF(device->renderer, sdlTexture, &texels, &dest, angle, &turnCentre,
                              flip);
  return drawn == 0 ? S_OK : E_FAIL;
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

Matrix2D SpriteBatch::GetTransform() const { return static_cast<const SpriteImpl*>(this)->transform; }

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
