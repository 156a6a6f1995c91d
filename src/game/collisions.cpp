#include "game/collisions.h"

#include "audio/sound_bank.h"
#include "game/overlap.h"
#include "game/run_changes.h"
#include "game/world_state.h"

namespace {

constexpr double SAUCED_HEAL = 2.0;

// Every shot that overlaps the enemy is used up, each with its sound, not only the first.
template <typename OnHit>
void UseUpOverlappingShots(const GameObject& enemy, OnHit onHit) {
  for (GameObject& shot : world.projectiles) {
    if (!shot.active || !RectsOverlap(enemy, shot)) continue;
    shot.active = false;
    onHit();
    PlaySoundOnce(world.squishSound);
  }
}

}  // namespace

void RunCollisionPass() {
  for (GameObject& enemy : world.enemies) {
    if (enemy.active) {
      UseUpOverlappingShots(enemy, [&enemy] {
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
      UseUpOverlappingShots(enemy, [&enemy] {
        enemy.active = false;
        enemy.sauced = false;
      });
    }
  }
}
