// Image files through SDL2_image (PNG and TGA in) and stb_image_write (TGA out).
#include "platform/gfx/image_file.h"

#include <SDL.h>
#include <SDL_image.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

bool HasTgaExtension(const char* fileName) {
  const size_t length = std::strlen(fileName);
  return length >= 4 && strcasecmp(fileName + length - 4, ".tga") == 0;
}

bool SizeIsUsable(int width, int height) {
  // Also keeps width × height × 4 within what an SDL surface can address.
  return width > 0 && height > 0 && width <= 65536 && height <= 65536 &&
         static_cast<int64_t>(width) * height <= (int64_t{1} << 26);
}

// A 32-bit true-colour TGA whose header gives no bits to alpha holds padding in the
// fourth byte; paint programs write such files, meaning them opaque.
bool IsTgaWithoutAlpha(SDL_RWops* file) {
  unsigned char header[18];
  const Sint64 start = SDL_RWtell(file);
  const bool read = SDL_RWread(file, header, sizeof header, 1) == 1;
  SDL_RWseek(file, start, RW_SEEK_SET);
  if (!read) return false;
  const unsigned char imageType = header[2];
  const unsigned char bitsPerPixel = header[16];
  const unsigned char alphaBits = header[17] & 0x0F;
  const bool trueColor = imageType == 2 || imageType == 10;  // plain or run-length coded
  return trueColor && bitsPerPixel == 32 && alphaBits == 0;
}

}  // namespace

bool LoadImageFile(const char* fileName, ImageData* image) {
  if (!fileName || !image) return false;
  SDL_RWops* file = SDL_RWFromFile(fileName, "rb");
  if (!file) {
    std::fprintf(stderr, "zorbly-frondles: cannot open image \"%s\" (%s)\n", fileName,
                 SDL_GetError());
    return false;
  }
  // A TGA has no magic number, so only its name says what it is.
  const bool tga = HasTgaExtension(fileName);
  const bool forceOpaque = tga && IsTgaWithoutAlpha(file);
  SDL_Surface* decoded = tga ? IMG_LoadTyped_RW(file, 1, "TGA") : IMG_Load_RW(file, 1);
  if (!decoded) {
    std::fprintf(stderr, "zorbly-frondles: cannot read image \"%s\" (%s)\n", fileName,
                 IMG_GetError());
    return false;
  }
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(decoded);
  if (!argb) {
    std::fprintf(stderr, "zorbly-frondles: cannot convert image \"%s\" (%s)\n", fileName,
                 SDL_GetError());
    return false;
  }
  if (!SizeIsUsable(argb->w, argb->h)) {
    std::fprintf(stderr, "zorbly-frondles: image \"%s\" has an unusable size %d x %d\n",
                 fileName, argb->w, argb->h);
    SDL_FreeSurface(argb);
    return false;
  }

  image->width = argb->w;
  image->height = argb->h;
  image->pixels.resize(static_cast<size_t>(argb->w) * argb->h);
  const auto* source = static_cast<const unsigned char*>(argb->pixels);
  for (int row = 0; row < argb->h; ++row) {
    std::memcpy(&image->pixels[static_cast<size_t>(row) * argb->w], source + row * argb->pitch,
                static_cast<size_t>(argb->w) * 4);
  }
  SDL_FreeSurface(argb);
  if (forceOpaque) {
    for (uint32_t& pixel : image->pixels) pixel |= 0xFF000000u;
  }
  return true;
}

bool SaveImagePng(const char* fileName, int width, int height, const uint32_t* pixels) {
  if (!fileName || !pixels || !SizeIsUsable(width, height)) return false;
  // The surface only borrows the pixels; SDL never writes through it here.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) {
    std::fprintf(stderr, "zorbly-frondles: cannot write \"%s\" (%s)\n", fileName, SDL_GetError());
    return false;
  }
  const bool saved = IMG_SavePNG(surface, fileName) == 0;
  if (!saved) {
    std::fprintf(stderr, "zorbly-frondles: cannot write \"%s\" (%s)\n", fileName, IMG_GetError());
  }
  SDL_FreeSurface(surface);
  return saved;
}

bool SaveImageTga(const char* fileName, int width, int height, const uint32_t* pixels) {
  if (!fileName || !pixels || !SizeIsUsable(width, height)) return false;
  // stb takes bytes in R, G, B, A order.
  const size_t count = static_cast<size_t>(width) * height;
  std::vector<unsigned char> rgba(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t argb = pixels[i];
    rgba[i * 4 + 0] = static_cast<unsigned char>(argb >> 16);
    rgba[i * 4 + 1] = static_cast<unsigned char>(argb >> 8);
    rgba[i * 4 + 2] = static_cast<unsigned char>(argb);
    rgba[i * 4 + 3] = static_cast<unsigned char>(argb >> 24);
  }
  stbi_write_tga_with_rle = 0;  // uncompressed, as the game's own slices are
  const bool saved = stbi_write_tga(fileName, width, height, 4, rgba.data()) != 0;
  if (!saved) std::fprintf(stderr, "zorbly-frondles: cannot write \"%s\"\n", fileName);
  return saved;
}
