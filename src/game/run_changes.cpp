#include "game/run_changes.h"

#include "game/world_state.h"
#include "input/input.h"

namespace {
double Clamped(double value) {
  if (value < 0.0) return 0.0;
  if (value > 100.0) return 100.0;
  return value;
}
}  // namespace

void ChangeEnergy(double delta) { world.energy = Clamped(world.energy + delta); }

void ChangeHealth(double delta) { world.health = Clamped(world.health + delta); }

void StartRumble(uint32_t userIndex, uint16_t speed, int32_t duration) {
  world.rumbleTicks = 1;
  world.rumbleDuration = duration;
  SetGamepadVibration(userIndex, speed);
}

void CountDownRumble() {
  if (world.rumbleTicks <= 0) return;
  ++world.rumbleTicks;
  if (world.rumbleTicks > world.rumbleDuration) {
    SetGamepadVibration(0, 0);
    world.rumbleTicks = 0;
  }
}
