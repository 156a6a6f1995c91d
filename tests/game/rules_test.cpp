// The rules that recorded runs reach only by chance: contact tests at their edges, the
// charge and its release, the tracks' wraps, the magnet's two catches, and what hits do
// to health, score and weapon level, each in a world set up by hand; and the collision
// pass against a plain full scan over seeded random worlds.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "collision_worlds.h"
#include "game/collisions.h"
#include "game/drawing.h"
#include "game/enemies.h"
#include "game/overlap.h"
#include "game/pickups.h"
#include "game/weapons.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/system/random.h"
#include "platform/system/scripted_system.h"

namespace {

GameObject Record(float x, float y, int32_t width, int32_t height, float scale = 1.0f) {
  GameObject object;
  object.x = x;
  object.y = y;
  object.width = width;
  object.height = height;
  object.scale = scale;
  return object;
}

// The start-up player and pools, nothing in play, every pickup parked far off screen.
class RulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world = WorldState{};
    ResetRand();
    world.player = Record(100.0f, 350.0f, 25, 41, 2.0f);
    for (GameObject& shot : world.projectiles) shot = Record(0.0f, 0.0f, 20, 20, 1.3f);
    for (GameObject& enemy : world.enemies) {
      enemy = Record(5000.0f, 0.0f, 45, 29, 1.5f);
      enemy.active = true;
    }
    for (GameObject& tomato : world.tomatoes) {
      tomato = Record(5000.0f, 0.0f, 25, 26);
      tomato.active = true;
    }
    for (GameObject& parm : world.parms) {
      parm = Record(5000.0f, 0.0f, 15, 27, 2.0f);
      parm.active = true;
    }
  }
  void TearDown() override { world = WorldState{}; }
};

TEST(OverlapTest, RectanglesSharingAnEdgeDoNotOverlapAndTruncationDecides) {
  EXPECT_FALSE(RectsOverlap(Record(0, 0, 10, 10), Record(10, 0, 10, 10)));
  EXPECT_TRUE(RectsOverlap(Record(0, 0, 10, 10), Record(9, 0, 10, 10)));
  EXPECT_FALSE(RectsOverlap(Record(0, 10, 10, 10), Record(0, 0, 10, 10)));
  // A shot is 20 wide at scale 1.3, which in single precision is a hair under 1.3: its
  // right edge comes to 25.99999... and cuts to 25.
  const GameObject shot = Record(0, 0, 20, 20, 1.3f);
  EXPECT_FALSE(RectsOverlap(shot, Record(25, 0, 10, 10)));
  EXPECT_FALSE(RectsOverlap(Record(25.9f, 0, 10, 10), shot));
  EXPECT_TRUE(RectsOverlap(shot, Record(24.9f, 0, 10, 10)));  // its left edge cuts to 24
}

TEST(OverlapTest, CirclesThatTouchDoNotOverlapAndCentresSitOnTheDiagonal) {
  EXPECT_FALSE(CirclesOverlap(Record(0, 0, 20, 20), Record(20, 0, 20, 20)));
  EXPECT_TRUE(CirclesOverlap(Record(0, 0, 20, 20), Record(19.9f, 0, 20, 20)));
  // 40 x 10: radius 20, centre (20, 20), below the sprite's own bottom edge.
  EXPECT_TRUE(CirclesOverlap(Record(0, 0, 40, 10), Record(19, 39, 2, 2)));
  EXPECT_FALSE(CirclesOverlap(Record(0, 0, 40, 10), Record(19, 41, 2, 2)));
  // The player (radius 41, centre +41) and an enemy (radius 33.75) just apart and just in.
  const GameObject player = Record(100, 350, 25, 41, 2.0f);
  EXPECT_FALSE(CirclesOverlap(player, Record(141 + 74.75f - 33.75f, 391 - 33.75f, 45, 29, 1.5f)));
  EXPECT_TRUE(CirclesOverlap(player, Record(141 + 74.7f - 33.75f, 391 - 33.75f, 45, 29, 1.5f)));
}

TEST_F(RulesTest, ChargeNeedsHalfTheBarAndPlacesIdleShotsBesideThePlayer) {
  world.energy = 49.9;
  EXPECT_FALSE(AddChargeShot());
  EXPECT_EQ(world.energy, 49.9);
  EXPECT_EQ(RandCount(), 0u);

  world.energy = 50.0;
  world.previousPlayerMode = MODE_PHASE;
  EXPECT_FALSE(AddChargeShot());
  world.previousPlayerMode = MODE_NORMAL;
  ASSERT_TRUE(AddChargeShot());
  EXPECT_EQ(world.energy, 49.5);
  const GameObject& shot = world.projectiles[0];
  EXPECT_TRUE(shot.active);
  EXPECT_EQ(shot.velocityX, 0.0f);
  // Heading from the first value (41 % 360), then the jitter (18467 % 20 - 10 = -3).
  EXPECT_EQ(shot.rotation, 41.0f);
  EXPECT_EQ(shot.x, 125.0f);  // the player's unscaled right edge
  EXPECT_EQ(shot.y, 357.0f);  // 350 + 20 - 10, jittered by -3
  EXPECT_EQ(world.rumbleTicks, 1);
  EXPECT_EQ(world.rumbleDuration, 20);
}

TEST_F(RulesTest, ReleaseSendsOnlyIdleShotsOffAtSpeedTwentyAndEndsTheCharge) {
  world.previousPlayerMode = MODE_CHARGE;
  ReleaseCharge();  // nothing idle: no rumble
  EXPECT_EQ(world.rumbleTicks, 0);
  EXPECT_EQ(world.previousPlayerMode, MODE_NORMAL);

  GameObject* shots = world.projectiles;
  shots[0].active = shots[1].active = shots[2].active = true;
  shots[0].rotation = 0.0f;
  shots[1].rotation = 180.0f;
  shots[2].velocityX = 12.0f;  // a volley shot in flight keeps its course
  shots[2].rotation = 90.0f;
  world.previousPlayerMode = MODE_CHARGE;
  ReleaseCharge();
  EXPECT_EQ(shots[0].velocityX, 20.0f);
  EXPECT_EQ(shots[0].velocityY, 0.0f);
  EXPECT_FLOAT_EQ(shots[1].velocityX, -20.0f);
  EXPECT_NEAR(shots[1].velocityY, 0.0f, 1e-6f);
  EXPECT_EQ(shots[2].velocityX, 12.0f);
  EXPECT_EQ(shots[2].velocityY, 0.0f);
  EXPECT_EQ(world.rumbleTicks, 1);
  EXPECT_EQ(world.rumbleDuration, 30);
  EXPECT_EQ(world.previousPlayerMode, MODE_NORMAL);
}

TEST_F(RulesTest, ShotsLeaveOnlyWhenTheirCornerPassesTheScreenEdge) {
  GameObject* shots = world.projectiles;
  shots[0].active = shots[1].active = true;
  shots[0].x = 1012.0f;
  shots[0].velocityX = 12.0f;  // reaches 1024 exactly: still in play
  shots[1].x = 1012.5f;
  shots[1].velocityX = 12.0f;
  MoveProjectiles();
  EXPECT_TRUE(shots[0].active);
  EXPECT_FALSE(shots[1].active);
  EXPECT_EQ(FindFreeProjectile(), 1);
}

TEST_F(RulesTest, EnemiesWrapStrictlyPastTheirTrackAndTheScreenHeight) {
  GameObject* enemies = world.enemies;
  const float starts[][2] = {{-96.0f, -0.5f}, {-95.0f, -1.0f}, {10240.0f, 0.5f}, {10239.0f, 1.0f}};
  for (int i = 0; i < 4; ++i) {
    enemies[i].x = starts[i][0];
    enemies[i].velocityX = starts[i][1];
  }
  enemies[4].y = 767.5f;
  enemies[4].velocityY = 1.0f;
  enemies[5].y = 0.5f;
  enemies[5].velocityY = -1.0f;
  enemies[6].y = 767.0f;
  enemies[6].velocityY = 1.0f;
  UpdateEnemies();
  EXPECT_EQ(enemies[0].x, 10240.0f);  // -96.5
  EXPECT_EQ(enemies[1].x, -96.0f);    // exactly -96 stays
  EXPECT_EQ(enemies[2].x, -96.0f);    // 10240.5
  EXPECT_EQ(enemies[3].x, 10240.0f);  // exactly 10240 stays
  EXPECT_EQ(enemies[4].y, 0.0f);
  EXPECT_EQ(enemies[5].y, 768.0f);
  EXPECT_EQ(enemies[6].y, 768.0f);
  EXPECT_EQ(RandCount(), 0u);
}

TEST_F(RulesTest, ShotsSauceThenFinishEnemiesAndEachFinishScoresAtTheNextTick) {
  GameObject& enemy = world.enemies[0];
  enemy.x = 500.0f;
  enemy.y = 100.0f;
  for (int i = 0; i < 3; ++i) {
    world.projectiles[i].active = true;
    world.projectiles[i].x = 510.0f + i;
    world.projectiles[i].y = 110.0f;
    world.projectiles[i].velocityX = 12.0f;
  }
  world.projectiles[2].x = 700.0f;  // elsewhere for now
  RunCollisionPass();
  // Both overlapping shots are used up; the enemy is sauced, not finished.
  EXPECT_FALSE(world.projectiles[0].active);
  EXPECT_FALSE(world.projectiles[1].active);
  EXPECT_FALSE(enemy.active);
  EXPECT_TRUE(enemy.sauced);

  world.projectiles[2].x = 520.0f;
  RunCollisionPass();
  EXPECT_FALSE(world.projectiles[2].active);
  EXPECT_FALSE(enemy.sauced);
  EXPECT_EQ(world.score, 0);

  UpdateEnemies();  // the finished slot comes back off screen to the right, for a point
  EXPECT_EQ(world.score, 1);
  EXPECT_TRUE(enemy.active);
  EXPECT_GE(enemy.x, 1000.0f);
  EXPECT_EQ(RandCount(), 2u);
}

TEST_F(RulesTest, CollectingASaucedEnemyHealsAndTouchingALiveOneCostsHealthAndALevel) {
  world.health = 50.0;
  world.weaponLevel = 1;
  GameObject& sauced = world.enemies[0];
  sauced.active = false;
  sauced.sauced = true;
  sauced.x = 110.0f;
  sauced.y = 360.0f;
  RunCollisionPass();
  EXPECT_EQ(world.health, 52.0);
  EXPECT_FALSE(sauced.sauced);

  GameObject& live = world.enemies[1];
  live.x = 110.0f;
  live.y = 360.0f;
  world.playerMode = MODE_PHASE;
  UpdateEnemies();  // slot 0 comes back (+1); slot 1 passes through
  EXPECT_EQ(world.health, 52.0);
  EXPECT_EQ(world.score, 1);

  live.x = 110.0f;
  live.y = 360.0f;
  world.playerMode = MODE_NORMAL;
  UpdateEnemies();  // the touch costs a point that the return gives back
  EXPECT_EQ(world.health, 37.0);
  EXPECT_EQ(world.weaponLevel, 1);
  EXPECT_EQ(world.score, 1);
  EXPECT_TRUE(live.active);
  EXPECT_GE(live.x, 1000.0f - 1.0f);
}

TEST_F(RulesTest, TheMagnetCatchesWithTheWideReachAndTheTomatosOwnCircleSeparately) {
  world.playerMode = MODE_MAGNET;
  world.energy = 50.0;
  GameObject* tomatoes = world.tomatoes;
  tomatoes[0].x = 128.0f;  // both circles catch it: 2 + 2
  tomatoes[0].y = 378.0f;
  tomatoes[1].x = 40.0f;  // only the tripled reach
  tomatoes[1].y = 310.0f;
  tomatoes[2].x = 163.0f;  // only its own circle: the tripled one's centre lies further out
  tomatoes[2].y = 413.0f;
  UpdateTomatoes();
  EXPECT_EQ(world.energy, 58.0);
  EXPECT_EQ(RandCount(), 12u);  // three come back, four values each
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(tomatoes[i].active);
    EXPECT_EQ(tomatoes[i].scale, 1.0f);
  }

  world.playerMode = MODE_PHASE;
  tomatoes[0].x = 128.0f;
  tomatoes[0].y = 378.0f;
  UpdateTomatoes();
  EXPECT_EQ(world.energy, 58.0);
}

TEST_F(RulesTest, ParmsRaiseTheLevelToFiveAndStillHealThere) {
  world.health = 90.0;
  world.weaponLevel = 5;
  world.parms[0].x = 110.0f;
  world.parms[0].y = 360.0f;
  UpdateParms();
  EXPECT_EQ(world.health, 95.0);
  EXPECT_EQ(world.weaponLevel, 5);
  EXPECT_EQ(RandCount(), 4u);  // two values it throws away, two for its return

  world.weaponLevel = 2;
  world.playerMode = MODE_MAGNET;
  world.parms[0].x = 110.0f;
  world.parms[0].y = 360.0f;
  UpdateParms();
  EXPECT_EQ(world.weaponLevel, 2);
}

intptr_t NoProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

// The game's pass tests only the shots filed near an enemy; it must use up the same shots,
// sauce and free the same enemies, heal as much and play as many sounds as the full scan.
TEST(CollisionPassTest, MatchesTheFullScanOverThousandsOfSeededWorlds) {
  ScriptedSystem system;
  SystemDriver* previous = SetSystemDriver(&system);
  WindowHandle window = CreateGameWindow("collisions", 64, 64, NoProcedure);
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
      ASSERT_EQ(flags(world.enemies[i]), flags(fullScan.enemies[i])) << "seed " << seed << " enemy " << i;
    }
    for (int i = 0; i < PROJECTILE_COUNT; ++i) {
      ASSERT_EQ(flags(world.projectiles[i]), flags(fullScan.projectiles[i])) << "seed " << seed << " shot " << i;
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

TEST(FormatNumberTest, GivesTheDigitsWithASignOnlyWhenNegative) {
  EXPECT_EQ(FormatNumber(0, 2), "0");
  EXPECT_EQ(FormatNumber(49, 2), "49");
  EXPECT_EQ(FormatNumber(-3, 2), "-3");
}

}  // namespace
