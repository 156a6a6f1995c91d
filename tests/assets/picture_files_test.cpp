// The pictures the build draws into the game folder: their sizes, their colour keys and
// the table top's seam. Run from the game folder, where the build leaves them. How they
// look is for a person to judge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/image_file.h"

namespace {

constexpr uint32_t MAGENTA = 0xFFFF00FF;
constexpr uint32_t PLAYER_MAGENTA = 0xFFFB00FF;
constexpr uint32_t BLACK = 0xFF000000;

ImageData Load(const char* name) {
  ImageData image;
  EXPECT_TRUE(LoadImageFile(name, &image)) << name << " is missing or unreadable";
  return image;
}

// Key pixels reachable from the border through other key pixels: the background.
std::vector<bool> Background(const ImageData& image, uint32_t key) {
  std::vector<bool> reached(image.pixels.size(), false);
  std::vector<int> pending;
  auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    size_t i = size_t(y) * size_t(image.width) + size_t(x);
    if (reached[i] || image.pixels[i] != key) return;
    reached[i] = true;
    pending.push_back(int(i));
  };
  for (int x = 0; x < image.width; ++x) visit(x, 0), visit(x, image.height - 1);
  for (int y = 0; y < image.height; ++y) visit(0, y), visit(image.width - 1, y);
  while (!pending.empty()) {
    int i = pending.back();
    pending.pop_back();
    int x = i % image.width, y = i / image.width;
    visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
  }
  return reached;
}

// The mean colour of the pixels a sprite shows, as red, green and blue.
struct Rgb {
  double r = 0, g = 0, b = 0;
};
double Distance(const Rgb& a, const Rgb& c) { return std::hypot(a.r - c.r, a.g - c.g, a.b - c.b); }

// Mean colour difference between two columns of the picture.
double ColumnDifference(const ImageData& image, int a, int b) {
  double sum = 0.0;
  for (int y = 0; y < image.height; ++y) {
    const uint32_t p = image.pixels[size_t(y) * image.width + a],
                   q = image.pixels[size_t(y) * image.width + b];
    for (int shift = 0; shift <= 16; shift += 8)
      sum += std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF));
  }
  return sum / image.height;
}

TEST(PictureFiles, SpritesHaveTheirSizesAndSitOnTheirKey) {
  const struct {
    const char* name;
    int width, height;
    uint32_t key;  // the player's is red 251: pure magenta would show as a pink box
  } sprites[] = {
      {"sauce.png", 25, 41, PLAYER_MAGENTA}, {"splat.png", 20, 20, BLACK},
      {"pastaplain.png", 45, 29, MAGENTA},   {"pastasauced.png", 45, 29, MAGENTA},
      {"tomato.png", 25, 26, MAGENTA},       {"parm.png", 15, 27, MAGENTA},
  };
  std::map<std::string, Rgb> shown;
  for (const auto& sprite : sprites) {
    SCOPED_TRACE(sprite.name);
    ImageData image = Load(sprite.name);
    ASSERT_EQ(image.width, sprite.width);
    ASSERT_EQ(image.height, sprite.height);
    // The whole border is the key; a key-coloured pixel inside the figure would load as
    // a hole; the figure is opaque and fills a good part of its frame.
    const std::vector<bool> background = Background(image, sprite.key);
    const size_t w = size_t(image.width);
    int figure = 0;
    for (size_t i = 0; i < image.pixels.size(); ++i) {
      const size_t x = i % w, y = i / w;
      const bool border = x == 0 || y == 0 || x + 1 == w || y + 1 == size_t(image.height);
      EXPECT_TRUE(background[i] || !border) << "border not the key at " << x << "," << y;
      if (background[i]) continue;
      ++figure;
      EXPECT_NE(image.pixels[i], sprite.key) << "stray key at " << x << "," << y;
      EXPECT_EQ(image.pixels[i] >> 24, 0xFFu) << "transparent at " << x << "," << y;
      Rgb& mean = shown[sprite.name];
      mean.r += (image.pixels[i] >> 16 & 0xFF), mean.g += (image.pixels[i] >> 8 & 0xFF),
          mean.b += (image.pixels[i] & 0xFF);
    }
    EXPECT_GT(figure, int(image.pixels.size()) / 4);
    Rgb& mean = shown[sprite.name];
    mean = Rgb{mean.r / figure, mean.g / figure, mean.b / figure};
  }
  // A shot is told from a tomato, and from the table under it, at a glance.
  Rgb wood;
  const ImageData table = Load("wood.png");
  for (uint32_t p : table.pixels)
    wood.r += (p >> 16 & 0xFF), wood.g += (p >> 8 & 0xFF), wood.b += (p & 0xFF);
  wood =
      Rgb{wood.r / table.pixels.size(), wood.g / table.pixels.size(), wood.b / table.pixels.size()};
  EXPECT_GE(Distance(shown["splat.png"], shown["tomato.png"]), 90.0);
  EXPECT_GE(Distance(shown["splat.png"], wood), 90.0);
}

TEST(PictureFiles, TableTopAndBarsHaveNoKeyedBlackAndTheTableTopJoinsItselfAcrossTheSeam) {
  ImageData wood = Load("wood.png");
  ASSERT_EQ(wood.width, 1024);
  ASSERT_EQ(wood.height, 768);
  EXPECT_EQ(std::count(wood.pixels.begin(), wood.pixels.end(), BLACK), 0);
  // The last column is followed on screen by the first: the step between them must
  // look like any step between neighbouring columns, not like an edge.
  double sum = 0.0;
  for (int x = 0; x + 1 < wood.width; ++x) sum += ColumnDifference(wood, x, x + 1);
  const double typical = sum / (wood.width - 1);
  EXPECT_LT(ColumnDifference(wood, wood.width - 1, 0), 2.0 * typical);
  // And the check has teeth: two unrelated columns differ far more.
  EXPECT_GT(ColumnDifference(wood, 300, 812), 2.0 * typical);

  // The bars' drawn part is the top-left column: none of it may vanish as keyed black.
  for (const auto& [name, rows] :
       {std::pair{"energyslice.tga", 32}, std::pair{"healthslice.tga", 20}}) {
    SCOPED_TRACE(name);
    ImageData bar = Load(name);
    ASSERT_GE(bar.height, rows);
    for (int y = 0; y < rows; ++y)
      EXPECT_NE(bar.pixels[size_t(y) * bar.width], BLACK) << "row " << y;
  }
}

}  // namespace
