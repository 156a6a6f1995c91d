// The collision pass against a plain full scan over seeded random worlds: the game's pass
// tests only the shots filed near each enemy, and must come to the same end.
#include <gtest/gtest.h>

#include "../test_files.h"
#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "collision_worlds.h"
#include "game/collisions.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/system/random.h"
#include "platform/system/scripted_system.h"

namespace {

// The game's pass tests only the shots filed near an enemy; it must use up the same shots,
// sauce and free the same enemies, heal as much and play as many sounds as the full scan.
TEST(CollisionPassTest, MatchesTheFullScanOverThousandsOfSeededWorlds) {
  ScriptedSystem system;
  SystemDriver* previous = SetSystemDriver(&system);
  WindowHandle window = CreateGameWindow("collisions", 64, 64, IgnoreMessages);
  SetSoundOutputMode(SoundOutputMode::Manual);
  ASSERT_TRUE(InitSound(window));
  world = WorldState{};
  world.squishSound = LoadSound("squish.wav");
  ASSERT_NE(world.squishSound, nullptr);
  // Nothing mixes, so its one voice stays busy and every later play takes a random value.
  PlaySoundOnce(world.squishSound);
  uint64_t sounds = 0;
  for (uint32_t seed = 0; seed < 4000; ++seed) {
    MakeCollisionWorld(seed);
    const WorldState start = world;
    uint64_t before = RandCount();
    FullScanCollisionPass();
    const uint64_t fullScanSounds = RandCount() - before;
    const WorldState fullScan = world;
    world = start;
    before = RandCount();
    RunCollisionPass();
    ASSERT_EQ(RandCount() - before, fullScanSounds) << "seed " << seed;
    ASSERT_EQ(world.health, fullScan.health) << "seed " << seed;
    auto flags = [](const GameObject& object) { return object.active * 2 + object.sauced; };
    for (int i = 0; i < ENEMY_COUNT; ++i) {
      ASSERT_EQ(flags(world.enemies[i]), flags(fullScan.enemies[i]))
          << "seed " << seed << " enemy " << i;
    }
    for (int i = 0; i < PROJECTILE_COUNT; ++i) {
      ASSERT_EQ(flags(world.projectiles[i]), flags(fullScan.projectiles[i]))
          << "seed " << seed << " shot " << i;
    }
    sounds += fullScanSounds;
  }
  EXPECT_GT(sounds, 200000u);  // the worlds are full of hits
  delete world.squishSound;
  world = WorldState{};
  ReleaseSound();
  SetSoundOutputMode(SoundOutputMode::Speakers);
  DestroyGameWindow(window);
  SetSystemDriver(previous);
}

}  // namespace
