#include "game/pickups.h"

#include "audio/sound_bank.h"
#include "game/overlap.h"
#include "game/run_changes.h"
#include "game/world_state.h"
#include "platform/system/random.h"

namespace {

constexpr float PICKUP_RETURN_X = 2048.0f;
constexpr double TOMATO_ENERGY = 2.0;
constexpr float MAGNET_REACH = 3.0f;
constexpr float MAGNET_PULL = 6.0f;
constexpr double PARM_HEALTH = 5.0;

// Pickups only drift sideways; one that leaves on the left comes back at 2048.
void MovePickup(GameObject& pickup) {
  pickup.x += pickup.velocityX;
  if (pickup.x < -pickup.width) pickup.x = PICKUP_RETURN_X;
  if (pickup.x > WORLD_WIDTH) pickup.x = 0.0f;
}

// One step towards the centre of the player's unscaled frame.
float PulledTowards(float coordinate, double centre) {
  if (coordinate < centre) return coordinate + MAGNET_PULL;
  if (coordinate > centre) return coordinate - MAGNET_PULL;
  return coordinate;
}

void AbsorbTomato(GameObject& tomato) {
  const GameObject& player = world.player;
  const float ownScale = tomato.scale;
  tomato.scale = ownScale * MAGNET_REACH;
  if (CirclesOverlap(player, tomato)) {
    ChangeEnergy(TOMATO_ENERGY);
    PlaySoundOnce(world.accordionSound);
    tomato.x = PulledTowards(tomato.x, player.x + player.width / 2.0);
    tomato.y = PulledTowards(tomato.y, player.y + player.height / 2.0);
    tomato.active = false;
  }
  tomato.scale = ownScale;
  // The wide reach and the tomato's own circle are separate catches, each worth energy.
  if (CirclesOverlap(player, tomato)) {
    PlaySoundOnce(world.accordionSound);
    ChangeEnergy(TOMATO_ENERGY);
    tomato.active = false;
  }
}

}  // namespace

void UpdateTomatoes() {
  for (GameObject& tomato : world.tomatoes) {
    if (tomato.active) {
      MovePickup(tomato);
      if (world.playerMode == MODE_MAGNET) AbsorbTomato(tomato);
    }
    if (!tomato.active) {
      tomato.velocityX = static_cast<float>(-(Rand() % 21));
      tomato.velocityY = static_cast<float>(((Rand() % 7) - 5) / 10.0);
      tomato.x = static_cast<float>(Rand() % 2048);
      tomato.y = static_cast<float>(Rand() % 768);
      MovePickup(tomato);
      tomato.active = true;
    }
  }
}

void UpdateParms() {
  for (GameObject& parm : world.parms) {
    if (parm.active) {
      MovePickup(parm);
      if (world.playerMode == MODE_NORMAL && CirclesOverlap(world.player, parm)) {
        ChangeHealth(PARM_HEALTH);
        // Drawn and then replaced at once by the return below; kept for the sequence.
        parm.x = static_cast<float>(Rand() % 2048);
        parm.y = static_cast<float>(Rand() % 768);
        parm.active = false;
        world.weaponLevel += 1;
        PlaySoundOnce(world.squishSound);
        if (world.weaponLevel > 5) world.weaponLevel = 5;
      }
    }
    if (!parm.active) {
      parm.x = static_cast<float>(Rand() % 2048);
      parm.y = static_cast<float>(Rand() % 768);
      MovePickup(parm);
      parm.active = true;
    }
  }
}
