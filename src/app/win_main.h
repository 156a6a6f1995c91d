#pragma once
// The program's shell: open the window, start the game, run the loop, shut down. The top
// layer: it may use every folder below it, and nothing includes it.
#include "app/options.h"
#include "game/game_entry.h"

// Until the game's next tick is due (15 ms after the last; at once when it is already),
// every message that comes is dispatched as it comes, without drawing. A quit request
// ends the wait at once.
void WaitForNextTick(Message* lastMessage);

// Runs the program with the given game and returns the process's exit code: non-zero
// when the window cannot be opened or the game cannot start.
int RunProgram(const GameEntryPoints& game, const ProgramOptions& options);

// The program's entry: the options, then RunProgram with the game's own GameStartup,
// GameFrame and GameShutdown.
int WinMain(int argc, const char* const* argv);
