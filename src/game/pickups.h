#pragma once
// Tomatoes (energy, collected by the magnet) and parms (health and weapon level,
// collected in the normal mode). A pickup that is taken comes back at once elsewhere.

void UpdateTomatoes();
void UpdateParms();
