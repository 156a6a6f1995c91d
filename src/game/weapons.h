#pragma once
#include <cstdint>

// The player's one weapon: volleys, the charge and its release, and shots in flight.

// The lowest free projectile slot, or -1 when all are in play.
int32_t FindFreeProjectile();
// A volley of the current weapon level, at most once per 100 ms and for 1 energy.
void FireWeapon();
// One idle shot beside the player per tick of charging; false when the charge is refused
// (too little energy, or the last frame showed phase or magnet).
bool AddChargeShot();
// Sends every idle shot off along its heading; ends the charge either way.
void ReleaseCharge();
// One tick of flight; a shot whose corner leaves the screen is free again.
void MoveProjectiles();
