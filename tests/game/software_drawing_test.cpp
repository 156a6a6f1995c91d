// On the processor the device draws unturned sprites, bar slices, clears and the table its
// own quicker ways: each of the game's frames, drawn both ways from the same world and
// random values, must come out as SDL's renderer draws it, pixel for pixel, and the same
// again after the other frames.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "../gfx/gfx_fixture.h"
#include "collision_worlds.h"
#include "game/drawing.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/random.h"
#include "record/headless_game.h"

namespace {

ImageData DrawnFrame(bool plain) {
  const WorldState before = world;
  SetPlainDrawing(plain);
  ResetRand();
  ClearFrame();
  DrawFrame();
  SetPlainDrawing(false);
  world = before;
  return GfxTest::ReadBackBuffer();
}

TEST(SoftwareDrawingTest, EveryFrameComesOutAsSdlsRendererDrawsIt) {
  HeadlessGame game;
  ASSERT_TRUE(game.Start());
  const struct {
    const char* name;
    void (*setUp)();
  } scenes[] = {
      {"start-up", [] {}},
      {"phase", [] { world.playerMode = MODE_PHASE; }},
      {"magnet", [] { world.playerMode = MODE_MAGNET; }},
      {"charge", [] { world.playerMode = MODE_CHARGE; }},
      {"300 projectiles",
       [] {
         world.playerMode = MODE_NORMAL;
         FillTheScreen();
       }},
      // Pasta cut by every edge, plain and sauced, and short bars.
      {"edges",
       [] {
         for (int i = 0; i < ENEMY_COUNT; ++i) {
           world.enemies[i].x = static_cast<float>(-90 + (i * 53) % 1120);
           world.enemies[i].y = static_cast<float>(-30 + (i * 37) % 800);
           world.enemies[i].sauced = i % 3 == 0;
         }
         world.energy = 37.3;
         world.health = 0.1;
       }},
  };
  std::vector<std::pair<WorldState, ImageData>> drawn;
  for (const auto& scene : scenes) {
    scene.setUp();
    drawn.emplace_back(world, DrawnFrame(true));
    EXPECT_TRUE(drawn.back().second.pixels == DrawnFrame(false).pixels) << scene.name;
  }
  // Turned sprites come from the looks the other scenes left: each the same again.
  for (size_t i = drawn.size(); i-- > 0;) {
    world = drawn[i].first;
    EXPECT_TRUE(DrawnFrame(false).pixels == drawn[i].second.pixels) << scenes[i].name << ", again";
  }
}

}  // namespace
