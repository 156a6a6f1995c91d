#pragma once
// The level: where the player starts and the first arrangement of every pool, drawn
// from the one random sequence in a fixed order so that every run starts alike.

void PlacePlayer();
void PopulateProjectiles();
void PopulateEnemies();
void PopulateTomatoes();
void PopulateParms();
