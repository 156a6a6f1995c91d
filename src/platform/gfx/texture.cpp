// Textures: ARGB pixels kept in memory and held by the renderer for drawing.
#include <SDL.h>

#include <cstdio>
#include <utility>

#include "platform/gfx/render_internal.h"

bool BuildTexture(TextureImpl* texture) {
  DeviceImpl* device = texture->device;
  if (!device) return false;
  texture->texture = SDL_CreateTexture(device->renderer, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STATIC, texture->width, texture->height);
  if (!texture->texture) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a %d x %d texture (%s)\n", texture->width,
                 texture->height, SDL_GetError());
    return false;
  }
  SDL_SetTextureBlendMode(texture->texture, SDL_BLENDMODE_BLEND);
  // Scaled and turned sprites are sampled smoothly.
  SDL_SetTextureScaleMode(texture->texture, SDL_ScaleModeLinear);
  SDL_UpdateTexture(texture->texture, nullptr, texture->pixels.data(), texture->width * 4);
  return true;
}

TextureImpl* NewTexture(DeviceImpl* device, std::vector<uint32_t>&& pixels, int width, int height) {
  if (!device || width <= 0 || height <= 0 || width > device->maxTextureSize ||
      height > device->maxTextureSize || pixels.size() != static_cast<size_t>(width) * height) {
    return nullptr;
  }
  TextureImpl* texture = new TextureImpl;
  texture->device = device;
  texture->width = width;
  texture->height = height;
  texture->pixels = std::move(pixels);
  texture->version = FreshVersion();
  if (!BuildTexture(texture)) {
    delete texture;
    return nullptr;
  }
  device->textures.push_back(texture);
  return texture;
}

void DestroyTexture(TextureImpl* texture) {
  if (!texture) return;
  if (texture->device) {
    Unregister(texture->device->textures, texture);
    // A released texture must not stay behind in the stage that meshes draw with.
    if (texture->device->stageTexture == texture) texture->device->stageTexture = nullptr;
    if (texture->device->pendingSlices.texture == texture) DrawPendingSlices(texture->device);
    texture->device->kept.Forget(texture->version);
    if (texture->texture) SDL_DestroyTexture(texture->texture);
  }
  delete texture;
}

HRESULT RenderDevice::CreateTextureFromPixels(ImageData&& image, Texture** result) {
  if (!result) return D3DERR_INVALIDCALL;
  *result = nullptr;
  TextureImpl* texture = NewTexture(static_cast<DeviceImpl*>(this), std::move(image.pixels),
                                    image.width, image.height);
  if (!texture) return D3DERR_INVALIDCALL;
  *result = texture;
  return S_OK;
}

void Texture::Release() { DestroyTexture(static_cast<TextureImpl*>(this)); }

HRESULT Texture::LockRect(LockedRect* locked, const Rect* rect, uint32_t flags) {
  TextureImpl* texture = static_cast<TextureImpl*>(this);
  const Rect area = rect ? *rect : Rect{0, 0, texture->width, texture->height};
  if (!locked || flags != 0 || texture->locked || area.left < 0 || area.top < 0 ||
      area.left >= area.right || area.top >= area.bottom || area.right > texture->width ||
      area.bottom > texture->height) {
    return D3DERR_INVALIDCALL;
  }
  // Slices still to be blended read these pixels as they were drawn with.
  DeviceImpl* device = texture->device;
  if (device && device->pendingSlices.texture == texture) DrawPendingSlices(device);
  texture->locked = true;
  locked->pitch = texture->width * 4;
  locked->bits =
      texture->pixels.data() + static_cast<size_t>(area.top) * texture->width + area.left;
  return S_OK;
}

HRESULT Texture::UnlockRect() {
  TextureImpl* texture = static_cast<TextureImpl*>(this);
  if (!texture->locked) return D3DERR_INVALIDCALL;
  texture->locked = false;
  // Nothing kept from the pixels as they were can be found for what they are now.
  if (texture->device) texture->device->kept.Forget(texture->version);
  texture->version = FreshVersion();
  if (texture->texture) {
    SDL_UpdateTexture(texture->texture, nullptr, texture->pixels.data(), texture->width * 4);
  }
  return S_OK;
}

int Texture::Width() const { return static_cast<const TextureImpl*>(this)->width; }
int Texture::Height() const { return static_cast<const TextureImpl*>(this)->height; }
