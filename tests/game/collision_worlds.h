#pragma once
// The collision pass as a plain scan of every enemy against every shot, which the game's
// pass must match exactly, and seeded random worlds for both: for the collision pass's test
// and the benchmark. Also the screen filled with every enemy and every shot, for the
// benchmarks and the renderers' test.
#include <random>

#include "audio/sound_bank.h"
#include "game/overlap.h"
#include "game/run_changes.h"
#include "game/world_state.h"

inline void FullScanCollisionPass() {
  Rect shotRects[PROJECTILE_COUNT];
  for (int i = 0; i < PROJECTILE_COUNT; ++i) {
    if (world.projectiles[i].active) shotRects[i] = ScaledRect(world.projectiles[i]);
  }
  auto useUpShots = [&](GameObject& enemy, bool sauce) {
    const Rect enemyRect = ScaledRect(enemy);
    for (int i = 0; i < PROJECTILE_COUNT; ++i) {
      GameObject& shot = world.projectiles[i];
      if (!shot.active || !RectsIntersect(enemyRect, shotRects[i])) continue;
      shot.active = false;
      enemy.active = false;
      enemy.sauced = sauce;
      PlaySoundOnce(world.squishSound);
    }
  };
  for (GameObject& enemy : world.enemies) {
    if (enemy.active) useUpShots(enemy, true);
    if (!enemy.active && enemy.sauced) {
      if (RectsOverlap(world.player, enemy)) {
        ChangeHealth(2.0);
        enemy.active = enemy.sauced = false;
        PlaySoundOnce(world.squishSound);
      }
      useUpShots(enemy, false);
    }
  }
}

// Enemies and shots crowded onto a small patch or spread over the screen and beyond, a
// few far off (past 32 bits too) or at odd scales, enemies live, sauced or free, and the
// player among them.
inline void MakeCollisionWorld(uint32_t seed) {
  std::mt19937 random(seed);
  auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  auto chance = [&](double p) { return uniform(0.0, 1.0) < p; };
  const double spread = chance(0.5) ? 150.0 : 1100.0;
  const double left = uniform(-400.0, 1000.0), top = uniform(-300.0, 800.0);
  const double farOff[] = {-3e9, -2147483648.0, -2147483520.0, -1e6, -64.5, 2147483520.0, 1e6, 3e9};
  auto place = [&](GameObject& object, int32_t width, int32_t height, float scale) {
    object.x = static_cast<float>(chance(0.04) ? farOff[random() % 8] : left + uniform(0, spread));
    object.y = static_cast<float>(chance(0.04) ? farOff[random() % 8] : top + uniform(0, spread));
    object.width = chance(0.02) ? -width : width;
    object.height = height;
    const float odd[] = {0.0f, -1.5f, 0.01f, 1.3f, 7.77f, 64.0f, 1e6f, -1e6f, 1e30f};
    object.scale = chance(0.1) ? odd[random() % 9] : scale;
  };
  for (GameObject& enemy : world.enemies) {
    place(enemy, 45, 29, 1.5f);
    const uint32_t state = random() % 10;
    enemy.active = state < 5;
    enemy.sauced = state >= 5 && state < 8;
  }
  for (GameObject& shot : world.projectiles) {
    place(shot, 20, 20, 1.3f);
    shot.active = chance(0.7);
  }
  place(world.player, 25, 41, 2.0f);
  world.health = uniform(0.0, 100.0);
}

// Every enemy live on screen in the upper half, every projectile in flight in the lower
// half, turned every which way: the pass does all its 125 x 300 tests and changes nothing.
inline void FillTheScreen() {
  for (int i = 0; i < ENEMY_COUNT; ++i) {
    GameObject& enemy = world.enemies[i];
    enemy.active = true;
    enemy.sauced = false;
    enemy.x = static_cast<float>((i * 37) % 950);
    enemy.y = static_cast<float>((i * 53) % 300);
  }
  for (int i = 0; i < PROJECTILE_COUNT; ++i) {
    GameObject& shot = world.projectiles[i];
    shot.active = true;
    shot.x = static_cast<float>((i * 29) % 1000);
    shot.y = static_cast<float>(400 + (i * 17) % 340);
    shot.velocityX = 0.0f;  // waiting: a tick leaves them where they are
    shot.rotation = static_cast<float>((i * 7) % 360);
  }
}
