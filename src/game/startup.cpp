#include "game/game_entry.h"

// Start-up and shutdown bring up and release the devices, the assets and the level as
// those pieces arrive; until then the world keeps its start values.
bool GameStartup(WindowHandle) { return true; }

void GameShutdown() {}
