#pragma once
// The calls through which the program's shell runs the game, and one pass of its main
// loop, which the shell and the recorded-run harness both run.
#include <cstdint>

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
// Our start card over the table, after start-up and before the run: false when the
// player ends the program there instead of playing.
bool GreetPlayer();

// The window lost or regained the keyboard focus, or was minimised or restored. Left, a
// running game pauses and its rumble stops; back, it resumes only if leaving paused it.
void GameWindowFocus(bool focused);
void GameWindowMinimised(bool minimised);

// The game as the shell runs it; tests and benchmarks put their own frames in.
struct GameEntryPoints {
  bool (*startup)(WindowHandle window);
  void (*frame)(WindowHandle window);
  void (*shutdown)();
};
inline constexpr GameEntryPoints GAME_ENTRY_POINTS{GameStartup, GameFrame, GameShutdown};

// The game window's procedure: a close ends the run, leaving the window pauses it.
intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// One pass of the main loop: at most one message is taken and dispatched, then one frame
// runs whatever came. The last message taken is kept in *lastMessage.
void RunPass(const GameEntryPoints& game, WindowHandle window, Message* lastMessage);
