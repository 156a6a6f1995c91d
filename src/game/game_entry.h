#pragma once
// The three calls through which the program's shell runs the game.
#include "platform/system/window.h"

// Brings the world up for the window; false when the game cannot start.
bool GameStartup(WindowHandle window);
// One pass of the main loop.
void GameFrame(WindowHandle window);
// Releases what start-up acquired.
void GameShutdown();
