// The pictures the build draws into the game folder: their sizes, their colour keys and
// the table top's seam. Run from the game folder, where the build leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/gfx/image_file.h"

namespace {

constexpr uint32_t MAGENTA = 0xFFFF00FF;
constexpr uint32_t PLAYER_MAGENTA = 0xFFFB00FF;
constexpr uint32_t BLACK = 0xFF000000;

struct Sprite {
  const char* name;
  int width;
  int height;
  uint32_t key;
};

constexpr Sprite SPRITES[] = {
    {"sauce.png", 25, 41, PLAYER_MAGENTA}, {"splat.png", 20, 20, BLACK},
    {"pastaplain.png", 45, 29, MAGENTA},   {"pastasauced.png", 45, 29, MAGENTA},
    {"tomato.png", 25, 26, MAGENTA},       {"parm.png", 15, 27, MAGENTA},
};

ImageData Load(const char* name) {
  ImageData image;
  EXPECT_TRUE(LoadImageFile(name, &image)) << name << " is missing or unreadable";
  return image;
}

uint32_t At(const ImageData& image, int x, int y) {
  return image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
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
  for (int x = 0; x < image.width; ++x) {
    visit(x, 0);
    visit(x, image.height - 1);
  }
  for (int y = 0; y < image.height; ++y) {
    visit(0, y);
    visit(image.width - 1, y);
  }
  while (!pending.empty()) {
    int i = pending.back();
    pending.pop_back();
    int x = i % image.width, y = i / image.width;
    visit(x + 1, y);
    visit(x - 1, y);
    visit(x, y + 1);
    visit(x, y - 1);
  }
  return reached;
}

double ChannelDistance(uint32_t a, uint32_t b) {
  double sum = 0.0;
  for (int shift = 0; shift <= 16; shift += 8) {
    sum += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
  }
  return sum;
}

// Mean colour difference between two columns of the picture.
double ColumnDifference(const ImageData& image, int a, int b) {
  double sum = 0.0;
  for (int y = 0; y < image.height; ++y) sum += ChannelDistance(At(image, a, y), At(image, b, y));
  return sum / image.height;
}

TEST(PictureFiles, SpritesHaveTheirSizesSitOnTheirKeyAndHaveADarkOutline) {
  for (const Sprite& sprite : SPRITES) {
    SCOPED_TRACE(sprite.name);
    ImageData image = Load(sprite.name);
    ASSERT_EQ(image.width, sprite.width);
    ASSERT_EQ(image.height, sprite.height);

    // The whole border is the key (the player's is red 251: pure magenta would show as a
    // pink box); a key-coloured pixel inside the figure would load as a hole. The cartoon
    // style: the figure's rim, where it meets the background, is a dark line, so that it
    // stands off the wood at any tint.
    std::vector<bool> background = Background(image, sprite.key);
    const size_t w = size_t(image.width);
    int figure = 0, rim = 0;
    for (size_t i = 0; i < image.pixels.size(); ++i) {
      const size_t x = i % w, y = i / w;
      const bool border = x == 0 || y == 0 || x + 1 == w || y + 1 == size_t(image.height);
      EXPECT_TRUE(background[i] || !border) << "border not the key at " << x << "," << y;
      if (background[i]) continue;
      ++figure;
      EXPECT_NE(image.pixels[i], sprite.key) << "stray key at " << x << "," << y;
      EXPECT_EQ(image.pixels[i] >> 24, 0xFFu) << "every drawn pixel is opaque";
      if (border) continue;
      if (!background[i - 1] && !background[i + 1] && !background[i - w] && !background[i + w])
        continue;
      ++rim;
      const uint32_t pixel = image.pixels[i];
      EXPECT_LT(std::max({pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF}), 110u)
          << "light rim pixel at " << x << "," << y;
    }
    // The figure fills a good part of its frame: not a blank or a speck.
    EXPECT_GT(figure, int(image.pixels.size()) / 4);
    EXPECT_GT(rim, 20);
  }
}

TEST(PictureFiles, TableTopIsFullScreenWithoutKeyedBlackAndJoinsItselfAcrossTheSeam) {
  ImageData wood = Load("wood.png");
  ASSERT_EQ(wood.width, 1024);
  ASSERT_EQ(wood.height, 768);
  EXPECT_EQ(std::count(wood.pixels.begin(), wood.pixels.end(), BLACK), 0);

  // The last column is followed on screen by the first: the step between them must
  // look like any step between neighbouring columns, not like an edge.
  double sum = 0.0;
  for (int x = 0; x + 1 < wood.width; ++x) sum += ColumnDifference(wood, x, x + 1);
  const double typical = sum / (wood.width - 1);
  const double seam = ColumnDifference(wood, wood.width - 1, 0);
  EXPECT_LT(seam, 2.0 * typical) << "seam " << seam << ", typical step " << typical;
  // And the check has teeth: two unrelated columns differ far more.
  EXPECT_GT(ColumnDifference(wood, 300, 812), 2.0 * typical);

  // Same look on both sides: the columns by the seam have the picture's brightness.
  auto columnMean = [&](int x) {
    double total = 0.0;
    for (int y = 0; y < wood.height; ++y) total += ChannelDistance(At(wood, x, y), 0xFF000000);
    return total / wood.height;
  };
  EXPECT_NEAR(columnMean(0), columnMean(wood.width - 1), 0.1 * columnMean(wood.width / 2));
}

TEST(PictureFiles, BarSlicesAreShadedColumnsOfTheirOwnColours) {
  // The drawn part is the top-left column: none of it may vanish as keyed black, and a
  // rounded bar has a light and a dark part. Its mean green, returned.
  const auto column = [](const ImageData& image, int rows) {
    EXPECT_GE(image.height, rows);
    double green = 0.0, low = 1e9, high = 0.0;
    for (int y = 0; y < std::min(rows, image.height); ++y) {
      const uint32_t pixel = At(image, 0, y);
      EXPECT_NE(pixel, BLACK) << "row " << y;
      green += double((pixel >> 8) & 0xFF) / rows;
      low = std::min(low, ChannelDistance(pixel, BLACK));
      high = std::max(high, ChannelDistance(pixel, BLACK));
    }
    EXPECT_GT(high - low, 150.0);
    return green;
  };
  // Gold carries far more green than red does: the two bars must not look alike.
  EXPECT_GT(column(Load("energyslice.tga"), 32), column(Load("healthslice.tga"), 20) + 60.0);
}

}  // namespace
