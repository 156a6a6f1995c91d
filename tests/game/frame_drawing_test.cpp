// The drawn frame on a device that draws into memory: the scrolled table, the bars and the
// score where they belong, the enemies' drawing bounds, and each mode's look drawn from
// the random values the rules give it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>

#include "../gfx/gfx_fixture.h"
#include "game/angles.h"
#include "game/drawing.h"
#include "game/endings.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "gfx/sprite_drawing.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/system/random.h"
#include "platform/system/system.h"
#include "record/headless_game.h"

namespace {

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(game.Start()); }
  void TearDown() override {
    if (scoreFont) world.fontScore = scoreFont;
  }

  // Only the player over the table: no bars, no score (its font is put back at the end).
  void ClearTheTable() {
    for (GameObject& enemy : world.enemies) enemy.x = 5000.0f;
    for (GameObject& tomato : world.tomatoes) tomato.active = false;
    for (GameObject& parm : world.parms) parm.active = false;
    world.energy = world.health = 0.0;
    scoreFont = std::exchange(world.fontScore, nullptr);
  }

  static ImageData Draw() {
    ClearFrame();
    DrawFrame();
    return GfxTest::ReadBackBuffer();
  }
  static constexpr auto At = GfxTest::At;

  HeadlessGame game;
  Font* scoreFont = nullptr;
};

TEST_F(FrameTest, TheTableIsTheWoodScrolledAcrossItsJoinPixelForPixel) {
  ClearTheTable();
  world.player.x = 5000.0f;
  ImageData wood;
  ASSERT_TRUE(LoadImageFile("wood.png", &wood));
  // Across the join, and at the far end of the scroll, where the window ends exactly at
  // the background's right edge.
  for (const int scroll : {700, 1024}) {
    world.backgroundScroll = scroll;
    const ImageData screen = Draw();
    for (int y = 0; y < 768; ++y) {
      for (int x = 0; x < 1024; ++x) {
        ASSERT_EQ(At(screen, x, y), At(wood, (x + scroll) % 1024, y) | 0xFF000000)
            << x << "," << y << " at scroll " << scroll;
      }
    }
  }
}

TEST_F(FrameTest, FullEnergyAndHalfHealthDrawTheirSlicesOnly) {
  ClearTheTable();
  const ImageData bare = Draw();
  world.energy = 100.0;
  world.health = 50.0;
  world.fontScore = scoreFont;
  const ImageData full = Draw();
  // Energy: 500 slices, one every 2 pixels from x 10 to x 1008, 32 high from the top;
  // health 50: 250 slices from x 10 to x 508, 20 high from y 747.
  const struct {
    int x, y;
    bool drawn;
  } POINTS[] = {{9, 10, false},    {10, 10, true},    {11, 10, false},  {1008, 31, true},
                {1010, 10, false}, {1008, 32, false}, {508, 747, true}, {508, 766, true},
                {510, 750, false}, {508, 746, false}, {508, 767, false}};
  for (const auto& point : POINTS) {
    EXPECT_EQ(At(full, point.x, point.y) != At(bare, point.x, point.y), point.drawn)
        << point.x << "," << point.y;
  }
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

// A run's question shows over the world as it ends: the health bar emptied behind a death,
// the final score behind a win, the player in its plain look whatever its mode. Drawing
// it takes no random value and changes nothing of the run.
TEST_F(FrameTest, TheQuestionShowsOverTheWorldAsItEnds) {
  game.system.defaultAnswer = IDYES;
  const struct {
    double health;
    int32_t score;
    void (*check)();
  } ENDINGS[] = {{0.0, 12, CheckDeath}, {40.0, 50, CheckWin}};
  for (const auto& ending : ENDINGS) {
    world.health = 10.0;
    world.score = ending.score - 1;
    world.playerMode = MODE_PHASE;
    const ImageData before = Draw();
    world.health = ending.health;
    world.score = ending.score;
    const WorldState atTheEnd = world;
    const unsigned long long draws = RandCount();
    const size_t questions = game.system.questions.size();
    ending.check();
    ASSERT_EQ(game.system.questions.size(), questions + 1);
    EXPECT_EQ(RandCount(), draws);
    EXPECT_EQ(world.previousPlayerMode, atTheEnd.previousPlayerMode);
    EXPECT_EQ(world.wobbleAngle, atTheEnd.wobbleAngle);
    const ImageData backdrop = GfxTest::ReadBackBuffer();

    world = atTheEnd;
    world.playerMode = MODE_NORMAL;
    const ImageData expected = Draw();
    EXPECT_TRUE(backdrop.pixels == expected.pixels) << "score " << ending.score;
    EXPECT_FALSE(backdrop.pixels == before.pixels) << "score " << ending.score;
  }
}

// Each look drawn by hand from the values the sequence gives at that point, over the
// bare clear colour, must match the game's frame pixel for pixel. (How many values each
// look takes, and the mode it leaves as the last drawn, are the recorded runs' checks:
// modes.zfr, charge.zfr, collisions.zfr.)
TEST_F(FrameTest, EachModesLookIsDrawnFromItsRandomValues) {
  ClearTheTable();
  RenderSurface* table = std::exchange(world.backgroundSurface, nullptr);
  world.player.x = 300.7f;
  world.player.y = 200.2f;
  const int32_t X = 300, Y = 200;
  for (const int32_t mode : {MODE_NORMAL, MODE_PHASE, MODE_MAGNET, MODE_CHARGE, MODE_MAGNET}) {
    world.playerMode = mode;
    const unsigned long long start = RandCount();
    const double angle = world.wobbleAngle, offset = world.wobbleOffset, step = world.wobbleStep;
    const ImageData drawn = Draw();

    ResetRand();
    for (unsigned long long i = 0; i < start; ++i) Rand();
    const auto sprite = [](int32_t x, int32_t y, float rotation, uint32_t color) {
      DrawSprite(world.texPlayer, x, y, 25, 41, 0, 1, rotation, 2.0f, color);
    };
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000064, 1.0f, 0);
    graphics.d3ddev->BeginScene();
    graphics.spriteBatch->Begin(D3DXSPRITE_ALPHABLEND);
    if (mode == MODE_NORMAL) sprite(X, Y, 0.0f, 0xFFFFFFFF);
    for (int copy = 0; copy < 4 && mode == MODE_PHASE; ++copy) {
      const uint32_t color = static_cast<uint32_t>(Rand() % 150) << 24 | 0x00320000;
      const int32_t dx = Rand() % 12 - 6;
      sprite(X + dx, Y + Rand() % 12 - 6, 0.0f, color);
    }
    if (mode == MODE_MAGNET) {
      const uint32_t color = static_cast<uint32_t>(Rand() % 100 + 150) << 24 | 0x00FF0000;
      const double a = WrapDegrees(angle - 3.0), o = offset + step * 0.2;
      sprite(static_cast<int32_t>(world.player.x + std::cos(a) + o),
             static_cast<int32_t>(world.player.y + std::sin(a) + o),
             static_cast<float>(a * (3.1415926535 / 180.0)), color);
    }
    for (int copy = 0; copy < 4 && mode == MODE_CHARGE; ++copy) {
      const uint32_t color = static_cast<uint32_t>(Rand() % 100 + 150) << 24 | 0x00960000;
      sprite(X + Rand() % 12 - 6, Y, 0.0f, color);
    }
    graphics.spriteBatch->End();
    graphics.d3ddev->EndScene();
    EXPECT_TRUE(drawn.pixels == GfxTest::ReadBackBuffer().pixels) << "mode " << mode;
  }
  world.backgroundSurface = table;

  // The wobble turns 3 degrees a frame, and sways 0.2 a frame, turning back once past 4 or
  // -4 (twenty steps of 0.2 in doubles come to a hair over 4): after 120 frames both are
  // back at the start, the sway on its way down.
  for (int frame = 0; frame < 118; ++frame) Draw();
  EXPECT_EQ(world.wobbleAngle, 0.0);
  EXPECT_NEAR(world.wobbleOffset, 0.0, 1e-9);
  EXPECT_EQ(world.wobbleStep, -1.0);
}

}  // namespace
