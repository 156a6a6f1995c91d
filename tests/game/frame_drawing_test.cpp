// Start-up, the drawn frame and shutdown, on a device that draws into memory: the world
// start-up makes, the scrolled table, the bars and the score where they belong, the
// enemies' drawing bounds, the random values each mode's look takes, and everything
// released at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "game/drawing.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/render_device.h"
#include "platform/system/random.h"
#include "replay/headless_game.h"

namespace {

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }

  void Start() { ASSERT_TRUE(game.Start()); }
  void Stop() { game.Stop(); }

  // Only the player and the HUD over the table.
  void ClearTheTable() {
    for (GameObject& enemy : world.enemies) enemy.x = 5000.0f;
    for (GameObject& tomato : world.tomatoes) tomato.active = false;
    for (GameObject& parm : world.parms) parm.active = false;
  }

  ImageData Draw() {
    ClearFrame();
    DrawFrame();
    ImageData image;
    EXPECT_EQ(world.backBuffer->ReadPixels(&image), S_OK);
    return image;
  }

  static uint32_t At(const ImageData& image, int x, int y) {
    return image.pixels[static_cast<size_t>(y) * image.width + x];
  }

  HeadlessGame game;
};

// Where start-up places things is the recorded start-up's check; here a second start in
// the same process places them the same.
TEST_F(FrameTest, StartupPlacesTheSameWorldEveryTime) {
  GameObject enemies[ENEMY_COUNT], tomatoes[TOMATO_COUNT];
  std::copy(std::begin(world.enemies), std::end(world.enemies), enemies);
  std::copy(std::begin(world.tomatoes), std::end(world.tomatoes), tomatoes);
  Stop();
  ResetRand();
  Start();
  for (int i = 0; i < ENEMY_COUNT; ++i) {
    EXPECT_EQ(world.enemies[i].x, enemies[i].x);
    EXPECT_EQ(world.enemies[i].y, enemies[i].y);
    EXPECT_EQ(world.enemies[i].velocityX, enemies[i].velocityX);
  }
  for (int i = 0; i < TOMATO_COUNT; ++i) {
    EXPECT_EQ(world.tomatoes[i].x, tomatoes[i].x);
    EXPECT_EQ(world.tomatoes[i].rotation, tomatoes[i].rotation);
  }
}

TEST_F(FrameTest, TheTableIsTheWoodScrolledAcrossItsJoinPixelForPixel) {
  ClearTheTable();
  world.player.x = 5000.0f;
  world.energy = world.health = 0.0;
  Font* font = std::exchange(world.fontScore, nullptr);
  world.backgroundScroll = 700.0;
  const ImageData screen = Draw();
  world.fontScore = font;
  ImageData wood;
  ASSERT_TRUE(LoadImageFile("wood.png", &wood));
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(At(screen, x, y), At(wood, (x + 700) % 1024, y) | 0xFF000000) << x << "," << y;
    }
  }
}

TEST_F(FrameTest, FullEnergyAndHalfHealthDrawTheirSlicesOnly) {
  ClearTheTable();
  Font* font = world.fontScore;
  world.fontScore = nullptr;
  world.energy = 0.0;
  world.health = 0.0;
  const ImageData bare = Draw();
  world.energy = 100.0;
  world.health = 50.0;
  world.fontScore = font;
  const ImageData full = Draw();
  // Energy: 500 slices, one every 2 pixels from x 10 to x 1008, 32 high from the top.
  EXPECT_EQ(At(full, 9, 10), At(bare, 9, 10));
  EXPECT_NE(At(full, 10, 10), At(bare, 10, 10));
  EXPECT_EQ(At(full, 11, 10), At(bare, 11, 10));
  EXPECT_NE(At(full, 1008, 31), At(bare, 1008, 31));
  EXPECT_EQ(At(full, 1010, 10), At(bare, 1010, 10));
  EXPECT_EQ(At(full, 1008, 32), At(bare, 1008, 32));
  // Health 50: 250 slices from x 10 to x 508, 20 high from y 747.
  EXPECT_NE(At(full, 508, 747), At(bare, 508, 747));
  EXPECT_NE(At(full, 508, 766), At(bare, 508, 766));
  EXPECT_EQ(At(full, 510, 750), At(bare, 510, 750));
  EXPECT_EQ(At(full, 508, 746), At(bare, 508, 746));
  // The score: light text from (900, 40), nothing left of it or above it.
  int lightPixels = 0;
  for (int y = 40; y < 70; ++y) {
    for (int x = 900; x < 1024; ++x) {
      const uint32_t p = At(full, x, y);
      if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200) ++lightPixels;
    }
  }
  EXPECT_GT(lightPixels, 50);
  for (int y = 33; y < 80; ++y) EXPECT_EQ(At(full, 899, y), At(bare, 899, y)) << y;
  EXPECT_EQ(At(full, 950, 38), At(bare, 950, 38));
}

TEST_F(FrameTest, EnemiesAreDrawnOnlyRightOfMinus96) {
  ClearTheTable();
  const ImageData bare = Draw();
  GameObject& enemy = world.enemies[0];
  enemy.y = 300.0f;
  enemy.scale = 3.0f;  // 135 wide, so one at -96 would still reach onto the screen
  enemy.x = -96.0f;
  EXPECT_EQ(At(Draw(), 10, 320), At(bare, 10, 320));
  enemy.x = -95.9f;
  bool drawn = false;
  const ImageData left = Draw();
  for (int y = 300; y < 387 && !drawn; ++y) {
    for (int x = 0; x < 39 && !drawn; ++x) drawn = At(left, x, y) != At(bare, x, y);
  }
  EXPECT_TRUE(drawn);
}

TEST_F(FrameTest, EachModesLookTakesItsRandomValuesAndTheWobbleComesRound) {
  ClearTheTable();
  const int32_t modes[] = {MODE_NORMAL, MODE_PHASE, MODE_MAGNET, MODE_CHARGE};
  const unsigned long long values[] = {0, 12, 1, 8};
  for (int i = 0; i < 4; ++i) {
    world.playerMode = modes[i];
    const unsigned long long before = RandCount();
    Draw();
    EXPECT_EQ(RandCount() - before, values[i]) << "mode " << modes[i];
    EXPECT_EQ(world.previousPlayerMode, modes[i]);
  }
  world.playerMode = MODE_MAGNET;
  for (int frame = 0; frame < 119; ++frame) Draw();
  EXPECT_EQ(world.wobbleAngle, 0.0);  // 120 frames of 3 degrees
  EXPECT_GE(world.wobbleOffset, -4.2);
  EXPECT_LE(world.wobbleOffset, 4.2);
}

TEST_F(FrameTest, ShutdownReleasesEveryHandle) {
  Stop();
  EXPECT_EQ(world.d3ddev, nullptr);
  EXPECT_EQ(world.texPlayer, nullptr);
  EXPECT_EQ(world.fontScore, nullptr);
  EXPECT_EQ(world.backgroundSurface, nullptr);
  Start();
}

}  // namespace
