#include "gfx/image_loading.h"

#include <cstddef>
#include <cstdio>
#include <utility>

#include "gfx/graphics_device.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/texture.h"

namespace {

constexpr uint32_t TRANSPARENT_BLACK = 0x00000000;
constexpr uint32_t SURFACE_OPAQUE = 0xFF000000;

void ApplyColorKey(ImageData* image, uint32_t colorKey) {
  for (uint32_t& pixel : image->pixels) {
    if (pixel == colorKey) pixel = TRANSPARENT_BLACK;
  }
}

// The header's size is held against the device's limit before anything is decoded.
bool LoadImageForDevice(const char* fileName, ImageData* image) {
  if (!graphics.d3ddev || !fileName) return false;
  return LoadImageFile(fileName, image, graphics.d3ddev->MaxTextureSize());
}

}  // namespace

uint32_t* LockedRow(const LockedRect& locked, int y) {
  return reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.bits) +
                                     static_cast<ptrdiff_t>(y) * locked.pitch);
}

void CopySurfaceRow(const uint32_t* pixels, int width, uint32_t* surfaceRow) {
  // Keying opaque black makes it transparent black, which on a surface without alpha is
  // black again: only the alpha byte changes.
  for (int x = 0; x < width; ++x) surfaceRow[x] = pixels[x] | SURFACE_OPAQUE;
}

Texture* LoadTexture(const char* fileName, uint32_t colorKey) {
  ImageData image;
  if (!LoadImageForDevice(fileName, &image)) return nullptr;
  ApplyColorKey(&image, colorKey);
  Texture* texture = nullptr;
  if (FAILED(graphics.d3ddev->CreateTextureFromPixels(std::move(image), &texture))) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a texture of \"%s\"\n", fileName);
    return nullptr;
  }
  return texture;
}

RenderSurface* LoadSurface(const char* fileName) {
  if (!graphics.d3ddev || !fileName) return nullptr;
  RenderSurface* surface = nullptr;
  LockedRect locked;
  ImageRows rows;
  rows.start = [&](int width, int height) {
    if (FAILED(graphics.d3ddev->CreateOffscreenPlainSurface(
            static_cast<uint32_t>(width), static_cast<uint32_t>(height), D3DFMT_X8R8G8B8,
            D3DPOOL_DEFAULT, &surface, nullptr))) {
      std::fprintf(stderr, "zorbly-frondles: cannot make a surface for \"%s\"\n", fileName);
      return false;
    }
    return SUCCEEDED(surface->LockRect(&locked, nullptr, 0));
  };
  rows.row = [&](int y, const uint32_t* pixels) {
    CopySurfaceRow(pixels, surface->Width(), LockedRow(locked, y));
  };
  const bool read = DecodeImageFile(fileName, rows, graphics.d3ddev->MaxTextureSize());
  if (surface) surface->UnlockRect();
  if (!read) ReleaseSurface(surface);
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
