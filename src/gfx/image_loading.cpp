#include "gfx/image_loading.h"

#include <cstdio>

#include "game/world_state.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/texture.h"

namespace {

constexpr uint32_t TRANSPARENT_BLACK = 0x00000000;
// Opaque black: on a surface without alpha, keying it changes nothing visible.
constexpr uint32_t SURFACE_COLOR_KEY = 0xFF000000;

void ApplyColorKey(ImageData* image, uint32_t colorKey) {
  for (uint32_t& pixel : image->pixels) {
    if (pixel == colorKey) pixel = TRANSPARENT_BLACK;
  }
}

// The header's size is held against the device's limit before anything is decoded.
bool LoadImageForDevice(const char* fileName, ImageData* image) {
  if (!world.d3ddev || !fileName) return false;
  return LoadImageFile(fileName, image, world.d3ddev->MaxTextureSize());
}

}  // namespace

Texture* LoadTexture(const char* fileName, uint32_t colorKey) {
  ImageData image;
  if (!LoadImageForDevice(fileName, &image)) return nullptr;
  ApplyColorKey(&image, colorKey);
  Texture* texture = nullptr;
  if (FAILED(world.d3ddev->CreateTextureFromPixels(image, &texture))) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a texture of \"%s\"\n", fileName);
    return nullptr;
  }
  return texture;
}

RenderSurface* LoadSurface(const char* fileName) {
  ImageData image;
  if (!LoadImageForDevice(fileName, &image)) return nullptr;
  RenderSurface* surface = nullptr;
  if (FAILED(world.d3ddev->CreateOffscreenPlainSurface(
          static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height),
          D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &surface, nullptr))) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a surface for \"%s\"\n", fileName);
    return nullptr;
  }
  ApplyColorKey(&image, SURFACE_COLOR_KEY);
  if (FAILED(surface->LoadPixels(image))) {
    std::fprintf(stderr, "zorbly-frondles: cannot fill the surface for \"%s\"\n", fileName);
    surface->Release();
    return nullptr;
  }
  return surface;
}

void ReleaseTexture(Texture*& texture) {
  if (!texture) return;
  texture->Release();
  texture = nullptr;
}

void ReleaseSurface(RenderSurface*& surface) {
  if (!surface) return;
  surface->Release();
  surface = nullptr;
}
