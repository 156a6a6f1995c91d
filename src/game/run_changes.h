#pragma once
// The small changes every rule makes to a run: energy, health and the pad's rumble.
#include <cstdint>

// Adds delta and keeps the bar within 0 to 100.
void ChangeEnergy(double delta);
void ChangeHealth(double delta);
// Runs the pad's motors at speed for duration ticks, counting this one; a new rumble
// replaces a running one.
void StartRumble(uint32_t userIndex, uint16_t speed, int32_t duration);
// One tick of a running rumble; stops the motors once its duration is over.
void CountDownRumble();
