#include "game/enemies.h"

#include "audio/sound_bank.h"
#include "game/overlap.h"
#include "game/run_changes.h"
#include "game/world_state.h"
#include "platform/system/random.h"

namespace {

constexpr float TRACK_START = -96.0f;
constexpr float TRACK_END = static_cast<float>(WORLD_WIDTH);
constexpr double TOUCH_DAMAGE = 15.0;

void MoveEnemy(GameObject& enemy) {
  enemy.x += enemy.velocityX;
  if (enemy.x < TRACK_START) enemy.x = TRACK_END;
  if (enemy.x > TRACK_END) enemy.x = TRACK_START;
  enemy.y += enemy.velocityY;
  if (enemy.y < 0.0f) enemy.y = static_cast<float>(SCREEN_HEIGHT);
  if (enemy.y > SCREEN_HEIGHT) enemy.y = 0.0f;
}

}  // namespace

void UpdateEnemies() {
  for (GameObject& enemy : world.enemies) {
    if (enemy.active) {
      MoveEnemy(enemy);
      if (CirclesOverlap(world.player, enemy) && world.playerMode != MODE_PHASE) {
        ChangeHealth(-TOUCH_DAMAGE);
        enemy.active = false;
        // Taken back at once below, when the slot comes back: a touch costs no point.
        world.score -= 1;
        world.weaponLevel -= 1;
        PlaySoundOnce(world.splatSound);
        if (world.weaponLevel < 1) world.weaponLevel = 1;
      }
    }
    if (!enemy.active && enemy.sauced) MoveEnemy(enemy);
    if (!enemy.active && !enemy.sauced) {
      enemy.x = static_cast<float>(Rand() % 1024 + 1000);
      enemy.y = static_cast<float>(Rand() % 768);
      MoveEnemy(enemy);
      enemy.active = true;
      enemy.sauced = false;
      world.score += 1;
    }
  }
}
