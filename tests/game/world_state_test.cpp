// The world as it stands before start-up: every record at its constructor defaults,
// every run variable at its start value.
#include <gtest/gtest.h>

#include "game/world_state.h"

namespace {

void ExpectConstructorDefaults(const GameObject& object) {
  EXPECT_FALSE(object.active);
  EXPECT_FALSE(object.sauced);
  EXPECT_EQ(object.x, 0.0f);
  EXPECT_EQ(object.y, 0.0f);
  EXPECT_EQ(object.width, 0);
  EXPECT_EQ(object.height, 0);
  EXPECT_EQ(object.scale, 1.0f);
  EXPECT_EQ(object.rotation, 0.0f);
  EXPECT_EQ(object.velocityX, 0.0f);
  EXPECT_EQ(object.velocityY, 0.0f);
  EXPECT_EQ(object.color, 0xFFFFFFFFu);
}

// The process's own instance, untouched by any test before this one in this program.
TEST(WorldStateTest, BeforeStartupEveryRecordHasItsDefaultsAndEveryVariableItsStartValue) {
  ExpectConstructorDefaults(world.player);
  for (const GameObject& enemy : world.enemies) ExpectConstructorDefaults(enemy);
  for (const GameObject& tomato : world.tomatoes) ExpectConstructorDefaults(tomato);
  for (const GameObject& parm : world.parms) ExpectConstructorDefaults(parm);
  for (const GameObject& projectile : world.projectiles) ExpectConstructorDefaults(projectile);

  EXPECT_EQ(world.score, 0);
  EXPECT_EQ(world.weaponLevel, 1);
  EXPECT_EQ(world.energy, 100.0);
  EXPECT_EQ(world.health, 100.0);
  EXPECT_EQ(world.playerMode, MODE_NORMAL);
  EXPECT_EQ(world.previousPlayerMode, MODE_NORMAL);
  EXPECT_FALSE(world.paused);
  EXPECT_FALSE(world.quitRequested);
  EXPECT_EQ(world.frameTime, 0u);
  EXPECT_EQ(world.lastTickTime, 0u);
  EXPECT_EQ(world.lastShotTime, 0u);
  EXPECT_EQ(world.rumbleTicks, 0);
  EXPECT_EQ(world.rumbleDuration, 100);
  EXPECT_EQ(world.backgroundScroll, 0.0);
  EXPECT_EQ(world.wobbleAngle, 0.0);
  EXPECT_EQ(world.wobbleOffset, 0.0);
  EXPECT_EQ(world.wobbleStep, 1.0);
  EXPECT_EQ(world.texPlayer, nullptr);
  EXPECT_EQ(world.musicSound, nullptr);
  EXPECT_EQ(world.d3ddev, nullptr);
  EXPECT_EQ(world.backgroundSurface, nullptr);
}

TEST(WorldStateTest, PoolsHaveTheirCapacities) {
  EXPECT_EQ(std::size(world.enemies), 125u);
  EXPECT_EQ(std::size(world.tomatoes), 100u);
  EXPECT_EQ(std::size(world.parms), 5u);
  EXPECT_EQ(std::size(world.projectiles), 300u);
}

TEST(WorldStateTest, AnglesUsePiToTenDecimals) {
  EXPECT_DOUBLE_EQ(DEG_TO_RAD * 180.0, 3.1415926535);
  EXPECT_NE(DEG_TO_RAD * 180.0, 3.14159265358979323846);
  EXPECT_DOUBLE_EQ(RAD_TO_DEG * 3.1415926535, 180.0);
  EXPECT_EQ(DEG_TO_RAD, 3.1415926535 / 180.0);
}

}  // namespace
