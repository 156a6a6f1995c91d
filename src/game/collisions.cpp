#include "game/collisions.h"

#include "audio/sound_bank.h"
#include "game/overlap.h"
#include "game/run_changes.h"
#include "game/world_state.h"

namespace {

constexpr double SAUCED_HEAL = 2.0;

// Nothing moves during the pass, so each shot's rectangle is worked out once, not once
// per enemy: up to 125 x 300 tests run on every drawn frame.
Rect shotRects[PROJECTILE_COUNT];

// Every shot that overlaps the enemy is used up, each with its sound, not only the first.
template <typename OnHit>
void UseUpOverlappingShots(const Rect& enemyRect, OnHit onHit) {
  for (int32_t i = 0; i < PROJECTILE_COUNT; ++i) {
    GameObject& shot = world.projectiles[i];
    if (!shot.active || !RectsIntersect(enemyRect, shotRects[i])) continue;
    shot.active = false;
    onHit();
    PlaySoundOnce(world.squishSound);
  }
}

}  // namespace

void RunCollisionPass() {
  for (int32_t i = 0; i < PROJECTILE_COUNT; ++i) {
    if (world.projectiles[i].active) shotRects[i] = ScaledRect(world.projectiles[i]);
  }
  for (GameObject& enemy : world.enemies) {
    if (!enemy.active && !enemy.sauced) continue;
    const Rect enemyRect = ScaledRect(enemy);
    if (enemy.active) {
      UseUpOverlappingShots(enemyRect, [&enemy] {
        enemy.active = false;
        enemy.sauced = true;
      });
    }
    if (!enemy.active && enemy.sauced) {
      if (RectsOverlap(world.player, enemy)) {
        ChangeHealth(SAUCED_HEAL);
        enemy.active = false;
        enemy.sauced = false;
        PlaySoundOnce(world.squishSound);
      }
      // Runs even when the player has just collected it.
      UseUpOverlappingShots(enemyRect, [&enemy] {
        enemy.active = false;
        enemy.sauced = false;
      });
    }
  }
}
