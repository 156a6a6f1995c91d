// Sprites land where the transform puts them, show the frame asked for, and blend by
// their colour in draw order.
#include "gfx/sprite_drawing.h"

#include <tuple>

#include "game/world_state.h"
#include "gfx/image_loading.h"
#include "gfx_fixture.h"
#include "platform/gfx/texture.h"

namespace {

constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t WHITE = 0xFFFFFFFF;
constexpr uint32_t RED = 0xFFFF0000;

using SpriteDrawingTest = GfxTest;

// Left, top, right and bottom, to compare at once.
std::tuple<int, int, int, int> Sides(const Rect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

TEST_F(SpriteDrawingTest, TheScaledPlayerCoversItsRectangleAndTurnsClockwiseAboutItsCentre) {
  // The player's size: 25 × 41, its top rows red so that the turn's direction shows.
  const std::string path =
      WriteImage("player.png", 25, 41, [](int, int y) { return y < 4 ? RED : WHITE; });
  Texture* texture = LoadTexture(path.c_str(), 0xFFFB00FF);
  ASSERT_NE(texture, nullptr);

  ImageData upright =
      DrawFrame(BLACK, [&] { DrawSprite(texture, 100, 350, 25, 41, 0, 1, 0.0f, 2.0f, WHITE); });
  EXPECT_EQ(Sides(Covered(upright, BLACK)), std::tuple(100, 350, 150, 432));
  EXPECT_EQ(At(upright, 125, 353), RED);
  EXPECT_EQ(At(upright, 125, 370), WHITE);

  // A quarter turn about (125, 391): 82 wide, 50 high, the red top edge now on the right.
  const float quarterTurn = static_cast<float>(90.0 * DEG_TO_RAD);
  ImageData turned = DrawFrame(
      BLACK, [&] { DrawSprite(texture, 100, 350, 25, 41, 0, 1, quarterTurn, 2.0f, WHITE); });
  EXPECT_EQ(Sides(Covered(turned, BLACK)), std::tuple(125 - 41, 391 - 25, 125 + 41, 391 + 25));
  EXPECT_EQ(At(turned, 162, 391), RED);
  EXPECT_EQ(At(turned, 90, 391), WHITE);

  ReleaseTexture(texture);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(SpriteDrawingTest,
       FrameFiveOfAThreeColumnSheetIsItsThirdColumnSecondRowAndStrangeSheetsDrawWhatExists) {
  // 3 columns × 2 rows of 20 × 10 frames, each its own colour.
  const uint32_t frameColors[6] = {0xFF100000, 0xFF200000, 0xFF300000,
                                   0xFF400000, 0xFF500000, 0xFF00C0C0};
  Texture* sheet =
      LoadTexture(WriteImage("sheet.png", 60, 20,
                             [&](int x, int y) { return frameColors[(y / 10) * 3 + x / 20]; })
                      .c_str(),
                  0xFFFF00FF);
  Texture* slice =
      LoadTexture(WriteImage("slice.tga", 1, 20, [](int, int) { return RED; }).c_str(), 0xFF000000);
  ASSERT_NE(sheet, nullptr);
  ASSERT_NE(slice, nullptr);
  ImageData image = DrawFrame(BLACK, [&] {
    DrawSprite(sheet, 200, 300, 20, 10, 5, 3, 0.0f, 1.0f, WHITE);
    // A 1 × 32 slice of a 1 × 20 image shows the 20 rows there are.
    DrawSpriteTransformed(slice, 10, 0, 1, 32, 0, 1, 0.0f, 1.0f, 1.0f, WHITE);
    DrawSprite(slice, 30, 0, 1, 20, 0, 0, 0.0f, 1.0f, WHITE);  // no columns
    DrawSprite(slice, 40, 0, 1, 20, 7, 1, 0.0f, 1.0f, WHITE);  // past the sheet
    DrawSprite(slice, 50, 0, 1, 20, 0, 1, 0.0f, 0.0f, WHITE);  // scaled to nothing
  });
  EXPECT_EQ(Sides(Covered(image, BLACK, 0, 100)), std::tuple(10, 0, 11, 20));
  EXPECT_EQ(Sides(Covered(image, BLACK, 100)), std::tuple(200, 300, 220, 310));
  for (int y = 300; y < 310; ++y) {
    for (int x = 200; x < 220; ++x) ASSERT_EQ(At(image, x, y), frameColors[5]) << x << "," << y;
  }
  ReleaseTexture(sheet);
  ReleaseTexture(slice);
}

TEST_F(SpriteDrawingTest, TheColourSetsOpacityAndTintAndLaterSpritesBlendOverEarlierOnes) {
  const std::string path = WriteImage("tile.png", 10, 10, [](int, int) { return 0xFF40C080u; });
  Texture* tile = LoadTexture(path.c_str(), 0xFF000000);
  ASSERT_NE(tile, nullptr);
  const uint32_t background = 0xFF000064;
  ImageData image = DrawFrame(background, [&] {
    DrawSprite(tile, 0, 0, 10, 10, 0, 1, 0.0f, 1.0f, 0xC8FFFFFF);   // 200/255 opaque
    DrawSprite(tile, 20, 0, 10, 10, 0, 1, 0.0f, 1.0f, 0xFFFF0000);  // red channel only
    DrawSprite(tile, 40, 0, 10, 10, 0, 1, 0.0f, 1.0f, WHITE);
    DrawSprite(tile, 45, 0, 10, 10, 0, 1, 0.0f, 1.0f, 0x80FF0000);  // half over the last
    DrawSprite(nullptr, 60, 0, 10, 10, 0, 1, 0.0f, 1.0f, WHITE);    // a failed load
  });
  auto near = [](uint32_t actual, int r, int g, int b) {
    auto channel = [&](int shift, int expected) {
      return std::abs(static_cast<int>((actual >> shift) & 0xFF) - expected) <= 2;
    };
    return channel(16, r) && channel(8, g) && channel(0, b);
  };
  auto blend = [](int source, int dest, int alpha) {
    return (source * alpha + dest * (255 - alpha)) / 255;
  };
  EXPECT_TRUE(
      near(At(image, 5, 5), blend(0x40, 0, 200), blend(0xC0, 0, 200), blend(0x80, 0x64, 200)))
      << std::hex << At(image, 5, 5);
  EXPECT_TRUE(near(At(image, 25, 5), 0x40, 0, 0)) << std::hex << At(image, 25, 5);
  EXPECT_EQ(At(image, 42, 5), 0xFF40C080u);
  EXPECT_TRUE(
      near(At(image, 47, 5), blend(0x40, 0x40, 128), blend(0, 0xC0, 128), blend(0, 0x80, 128)))
      << std::hex << At(image, 47, 5);
  EXPECT_TRUE(near(At(image, 52, 5), blend(0x40, 0, 128), 0, blend(0, 0x64, 128)));
  for (int x = 60; x < 70; ++x) EXPECT_EQ(At(image, x, 5), background);
  ReleaseTexture(tile);
}

}  // namespace
