// Draws the application icon from the game's own art: the player standing on a rounded
// tile of the table top, one PNG per size, laid out as an icon theme's folders.
// Usage: zf_make_icons <output folder> <icon name> <size>...
// writes <output folder>/<size>x<size>/apps/<icon name>.png for each size.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "assets/art.h"
#include "assets/palette.h"
#include "platform/gfx/image_file.h"

namespace {

constexpr uint32_t TRANSPARENT = 0x00000000u;
constexpr uint32_t RIM = Rgb(58, 32, 18);  // the dark wood of the planks' gaps
// Where on the table the tile is cut from: inside a plank, away from its joint.
constexpr int WOOD_LEFT = 300;
constexpr int WOOD_TOP = 140;

struct Premultiplied {
  double a = 0, r = 0, g = 0, b = 0;
};

Premultiplied Spread(uint32_t argb) {
  double a = (argb >> 24) / 255.0;
  return {a, a * ((argb >> 16) & 0xFF), a * ((argb >> 8) & 0xFF), a * (argb & 0xFF)};
}

// The sprite's key colour is its background: see-through here.
uint32_t SpritePixel(const Canvas& sprite, int x, int y) {
  uint32_t argb = GetPixel(sprite, x, y);
  return argb == KEY_PLAYER ? TRANSPARENT : argb;
}

// The sprite's colour over one output pixel of side `step` sprite pixels starting at
// (x, y): the plain nearest pixel when upscaling keeps the pixel art crisp; an area average
// when the icon is smaller than the sprite, so the eyes do not drop out.
uint32_t SampleSprite(const Canvas& sprite, double x, double y, double step) {
  if (step <= 1.0) return SpritePixel(sprite, int(std::floor(x)), int(std::floor(y)));
  Premultiplied sum;
  double weight = 0;
  for (int sy = int(std::floor(y)); sy < int(std::ceil(y + step)); ++sy) {
    for (int sx = int(std::floor(x)); sx < int(std::ceil(x + step)); ++sx) {
      double w = (std::min(x + step, sx + 1.0) - std::max(x, double(sx))) *
                 (std::min(y + step, sy + 1.0) - std::max(y, double(sy)));
      Premultiplied p = Spread(SpritePixel(sprite, sx, sy));
      sum.a += w * p.a;
      sum.r += w * p.r;
      sum.g += w * p.g;
      sum.b += w * p.b;
      weight += w;
    }
  }
  double a = sum.a / weight;
  if (a <= 0.0) return TRANSPARENT;
  auto channel = [&](double v) { return uint32_t(std::lround(std::clamp(v / sum.a, 0.0, 255.0))); };
  return (uint32_t(std::lround(a * 255.0)) << 24) | (channel(sum.r) << 16) | (channel(sum.g) << 8) |
         channel(sum.b);
}

uint32_t Over(uint32_t top, uint32_t bottom) {
  double alpha = (top >> 24) / 255.0;
  if (alpha >= 1.0) return top;
  if (alpha <= 0.0) return bottom;
  return MixColor(bottom | 0xFF000000u, top | 0xFF000000u, alpha);
}

// Signed distance to a rounded square of side `size` with corner radius `radius`.
double RoundedSquare(double x, double y, double size, double radius) {
  double half = size / 2.0;
  double qx = std::abs(x - half) - (half - radius);
  double qy = std::abs(y - half) - (half - radius);
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

Canvas DrawIcon(const Canvas& sprite, const Canvas& wood, int size) {
  // Whole-number enlargements only, so every sprite pixel becomes an even block.
  const int margin = std::max(2, size / 16);
  const double fit = double(size - 2 * margin) / std::max(sprite.width, sprite.height);
  const double scale = fit >= 1.0 ? std::floor(fit) : fit;
  const int blockSize = std::max(1, int(scale));
  const double spriteWidth = sprite.width * scale;
  const double spriteHeight = sprite.height * scale;
  const double left = std::floor((size - spriteWidth) / 2.0);
  const double top = std::floor((size - spriteHeight) / 2.0);
  const double radius = size * 0.2;
  const double rimWidth = blockSize;

  Canvas icon = MakeCanvas(size, size, TRANSPARENT);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double edge = RoundedSquare(x + 0.5, y + 0.5, size, radius);
      if (edge > 0.0) continue;
      uint32_t color = edge > -rimWidth
                           ? RIM
                           : GetPixel(wood, WOOD_LEFT + x / blockSize, WOOD_TOP + y / blockSize);
      double sx = (x - left) / scale;
      double sy = (y - top) / scale;
      if (sx >= 0 && sy >= 0 && sx < sprite.width && sy < sprite.height)
        color = Over(SampleSprite(sprite, sx, sy, 1.0 / scale), color);
      // A half-covered edge pixel gets half the tile, so the corners are smooth.
      double coverage = std::clamp(0.5 - edge, 0.0, 1.0);
      icon.pixels[size_t(y) * size + x] =
          (uint32_t(std::lround(coverage * 255.0)) << 24) | (color & 0x00FFFFFFu);
    }
  }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: zf_make_icons <output folder> <icon name> <size>...\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const std::string name = argv[2];
  const Canvas sprite = DrawSauce();
  const Canvas wood = DrawWood();
  bool allWritten = true;
  for (int i = 3; i < argc; ++i) {
    char* end = nullptr;
    long size = std::strtol(argv[i], &end, 10);
    if (*end != '\0' || size < 16 || size > 1024) {
      std::fprintf(stderr, "zf_make_icons: not an icon size from 16 to 1024: %s\n", argv[i]);
      return 2;
    }
    const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path appsFolder = folder / sizeName / "apps";
    std::error_code error;
    std::filesystem::create_directories(appsFolder, error);
    const std::string path = (appsFolder / (name + ".png")).string();
    Canvas icon = DrawIcon(sprite, wood, int(size));
    if (!SaveImagePng(path.c_str(), icon.width, icon.height, icon.pixels.data())) {
      std::fprintf(stderr, "zf_make_icons: cannot write %s\n", path.c_str());
      allWritten = false;
    }
  }
  return allWritten ? 0 : 1;
}
