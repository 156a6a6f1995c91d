// Image bytes of any shape through the game's loaders: as a texture with or without a
// colour key, or as a plain surface, named .png or .tga. The last byte picks the way
// (bits 0-1: magenta key, no key, surface, black key; bit 2: the other extension), so
// trailing bytes, which both formats ignore, steer a seed. Whatever loads has the size
// its header claims and fits the device.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_device.h"
#include "gfx/image_loading.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/texture.h"

namespace {

constexpr unsigned char PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t MAGENTA = 0xFFFF00FF;
constexpr uint32_t NO_KEY = 0x00000000;
constexpr uint32_t BLACK = 0xFF000000;

// Loaded means the header told the truth and the device can hold it.
void CheckSize(const std::string& path, int width, int height) {
  int claimedWidth = 0, claimedHeight = 0;
  if (!ReadImageSize(path.c_str(), &claimedWidth, &claimedHeight)) __builtin_trap();
  if (width != claimedWidth || height != claimedHeight) __builtin_trap();
  const int limit = graphics.d3ddev->MaxTextureSize();
  if (width <= 0 || height <= 0 || width > limit || height > limit) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzDevice();
  const uint8_t way = size > 0 ? data[size - 1] : 0;
  const bool looksPng =
      size >= sizeof PNG_SIGNATURE && std::memcmp(data, PNG_SIGNATURE, sizeof PNG_SIGNATURE) == 0;
  const bool png = looksPng != ((way & 4) != 0);
  const std::string path = (FuzzFolder() / (png ? "image.png" : "image.tga")).string();
  if (!WriteFuzzFile(path, data, size)) return 0;

  if ((way & 3) == 2) {
    RenderSurface* surface = LoadSurface(path.c_str());
    if (surface) CheckSize(path, surface->Width(), surface->Height());
    ReleaseSurface(surface);
    return 0;
  }
  const uint32_t keys[4] = {MAGENTA, NO_KEY, 0, BLACK};
  Texture* texture = LoadTexture(path.c_str(), keys[way & 3]);
  if (texture) CheckSize(path, texture->Width(), texture->Height());
  ReleaseTexture(texture);
  return 0;
}
