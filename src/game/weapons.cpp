#include "game/weapons.h"

#include "audio/sound_bank.h"
#include "game/angles.h"
#include "game/run_changes.h"
#include "game/world_state.h"
#include "platform/system/random.h"
#include "platform/system/system.h"

namespace {

constexpr uint32_t SHOT_COOLDOWN_MS = 100;
constexpr double SHOT_COST = 1.0;
constexpr double VOLLEY_SPEED = 12.0;
constexpr double CHARGE_MINIMUM = 50.0;
constexpr double CHARGE_COST = 0.5;
constexpr double RELEASE_SPEED = 20.0;

struct VolleyShot {
  int32_t offsetX;
  int32_t offsetY;
  int32_t heading;  // degrees
};

struct Volley {
  int32_t count;
  VolleyShot shots[4];
};

// By weapon level 1 to 5. Level 5 is two straight shots and two spread by 4 degrees.
constexpr Volley VOLLEYS[] = {
    {1, {{0, 0, 0}}},
    {2, {{0, -10, 0}, {0, 10, 0}}},
    {3, {{0, 0, 0}, {0, -16, 0}, {0, 16, 0}}},
    {4, {{8, -12, 0}, {8, 12, 0}, {0, -32, 0}, {0, 32, 0}}},
    {4, {{0, -12, 0}, {0, 12, 0}, {0, -20, -4}, {0, 20, 4}}},
};

// The centre of the player's unscaled frame, measured from its corner, with the shot
// centred on it vertically.
float ShotTop(const GameObject& shot) {
  return world.player.y + world.player.height / 2 - shot.height / 2;
}

}  // namespace

int32_t FindFreeProjectile() {
  for (int32_t i = 0; i < PROJECTILE_COUNT; ++i) {
    if (!world.projectiles[i].active) return i;
  }
  return -1;
}

void FireWeapon() {
  if (timeGetTime() - world.lastShotTime < SHOT_COOLDOWN_MS) return;
  world.lastShotTime = timeGetTime();
  ChangeEnergy(-SHOT_COST);
  // The cooldown has started even when the bar is too low to shoot.
  if (world.energy < 1.0) {
    world.energy = 0.0;
    return;
  }
  PlaySoundOnce(world.accordionSound);
  StartRumble(0, 25000, 10);

  if (world.weaponLevel < 1 || world.weaponLevel > 5) return;
  const Volley& volley = VOLLEYS[world.weaponLevel - 1];
  for (int32_t n = 0; n < volley.count; ++n) {
    const int32_t slot = FindFreeProjectile();
    if (slot < 0) return;  // the pool is full: the rest of the volley is dropped
    const VolleyShot& entry = volley.shots[n];
    GameObject& shot = world.projectiles[slot];
    shot.active = true;
    shot.rotation = static_cast<float>(entry.heading);
    if (entry.heading == 0) {
      shot.velocityX = static_cast<float>(VOLLEY_SPEED);
      shot.velocityY = 0.0f;
    } else {
      shot.velocityX = static_cast<float>(VOLLEY_SPEED * CosDeg(entry.heading));
      shot.velocityY = static_cast<float>(VOLLEY_SPEED * SinDeg(entry.heading));
    }
    shot.x = world.player.x + world.player.width / 2 + entry.offsetX;
    shot.y = ShotTop(shot) + entry.offsetY;
  }
}

bool AddChargeShot() {
  if (world.energy < CHARGE_MINIMUM) return false;
  if (world.previousPlayerMode == MODE_MAGNET || world.previousPlayerMode == MODE_PHASE) {
    return false;
  }
  ChangeEnergy(-CHARGE_COST);
  PlaySoundOnce(world.gearsSound);
  StartRumble(0, 20000, 20);

  const int32_t slot = FindFreeProjectile();
  if (slot < 0) return true;  // the charge goes on with nothing added
  GameObject& shot = world.projectiles[slot];
  shot.active = true;
  shot.velocityX = 0.0f;
  shot.velocityY = 0.0f;
  // The heading is drawn before the jitter.
  shot.rotation = static_cast<float>(Rand() % 360);
  shot.x = world.player.x + world.player.width;
  shot.y = ShotTop(shot);
  shot.y += Rand() % 20 - 10;
  return true;
}

void ReleaseCharge() {
  int32_t launched = 0;
  for (GameObject& shot : world.projectiles) {
    // An idle shot is one that has never had a horizontal speed.
    if (!shot.active || shot.velocityX != 0.0f) continue;
    ++launched;
    shot.velocityX = static_cast<float>(CosDeg(shot.rotation) * RELEASE_SPEED);
    shot.velocityY = static_cast<float>(SinDeg(shot.rotation) * RELEASE_SPEED);
  }
  if (launched > 0) {
    StopSound(world.gearsSound);
    PlaySoundOnce(world.accordionSound);
    StartRumble(0, 40000, 30);
  }
  world.previousPlayerMode = MODE_NORMAL;
}

void MoveProjectiles() {
  for (GameObject& shot : world.projectiles) {
    if (!shot.active) continue;
    shot.x += shot.velocityX;
    shot.y += shot.velocityY;
    // Only the corner counts, not the size.
    if (shot.x < 0.0f || shot.x > SCREEN_WIDTH || shot.y < 0.0f || shot.y > SCREEN_HEIGHT) {
      shot.active = false;
    }
  }
}
