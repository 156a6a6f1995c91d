#pragma once
// The drifting pasta: live, sauced or finished, on a track that runs far off screen.

// One tick for every enemy: move the live and the sauced ones, hurt the player on touch,
// and bring each finished one back as a new live enemy worth a point.
void UpdateEnemies();
