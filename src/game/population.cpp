#include "game/population.h"

#include "game/world_state.h"
#include "platform/system/random.h"

// Each Rand() below is a separate draw, taken in the order written; products and
// quotients are worked in double and kept as float.

void PutPlayerAtStart() {
  world.player.x = 100.0f;
  world.player.y = 350.0f;
}

void PlacePlayer() {
  PutPlayerAtStart();
  world.player.width = 25;
  world.player.height = 41;
  world.player.scale = 2.0f;
}

void PopulateProjectiles() {
  for (GameObject& shot : world.projectiles) {
    shot.active = false;
    shot.x = 0.0f;
    shot.y = 0.0f;
    shot.width = 20;
    shot.height = 20;
    shot.scale = 1.3f;
  }
}

// Off screen to the right, between x 1000 and 2023; some never move sideways.
void PopulateEnemies() {
  for (GameObject& enemy : world.enemies) {
    enemy.active = true;
    enemy.width = 45;
    enemy.height = 29;
    enemy.x = static_cast<float>(Rand() % 1024 + 1000);
    enemy.y = static_cast<float>(Rand() % 768);
    enemy.velocityX = static_cast<float>((Rand() % 8) * -1.3);
    enemy.velocityY = static_cast<float>(Rand() % 3);
    enemy.scale = 1.5f;
  }
}

void PopulateTomatoes() {
  for (GameObject& tomato : world.tomatoes) {
    tomato.active = true;
    tomato.color = 0xFFFFFFFF;
    tomato.width = 25;
    tomato.height = 26;
    tomato.scale = 1.0f;
    tomato.rotation = static_cast<float>(Rand() % 360);
    tomato.velocityX = static_cast<float>((Rand() % 21) * -2.0);
    tomato.velocityY = static_cast<float>(((Rand() % 7) - 5) / 20.0);
    tomato.x = static_cast<float>(Rand() % 2048);
    tomato.y = static_cast<float>(Rand() % 768);
  }
}

void PopulateParms() {
  for (GameObject& parm : world.parms) {
    parm.active = true;
    parm.color = 0xFFFFFFFF;
    parm.width = 15;
    parm.height = 27;
    parm.scale = 2.0f;
    parm.rotation = static_cast<float>(Rand() % 360);
    parm.velocityX = static_cast<float>((Rand() % 17) * -1.0);
    parm.velocityY = static_cast<float>((Rand() % 3) / 20.0);
    parm.x = static_cast<float>(Rand() % 2048);
    parm.y = static_cast<float>(Rand() % 768);
  }
}
