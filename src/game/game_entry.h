#pragma once
// The calls through which the program's shell runs the game.
#include "platform/system/window.h"

// Brings the world up for the window; false when the game cannot start.
bool GameStartup(WindowHandle window);
// One pass of the main loop.
void GameFrame(WindowHandle window);
// The pass's rules without its clearing and drawing: the clock, the tick when one is due,
// the collisions and the endings.
void RunFrameRules();
// Releases what start-up acquired.
void GameShutdown();

// The window lost or regained the keyboard focus, or was minimised or restored. Left, a
// running game pauses and its rumble stops; back, it resumes only if leaving paused it.
void GameWindowFocus(bool focused);
void GameWindowMinimised(bool minimised);
