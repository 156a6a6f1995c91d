#include "game/game_entry.h"

// The tick, the collisions, the endings and the drawing take their places here as
// they arrive.
void GameFrame(WindowHandle) {}
