#pragma once
// The level: where the player starts and the first arrangement of every pool, drawn
// from the one random sequence in a fixed order so that every run starts alike.

// Where every run starts: the player's position only.
void PutPlayerAtStart();
// The start position and the player's size.
void PlacePlayer();
void PopulateProjectiles();
void PopulateEnemies();
void PopulateTomatoes();
void PopulateParms();
