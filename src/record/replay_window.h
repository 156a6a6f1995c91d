#pragma once
// zorbly-frondles --replay FILE: a recorded run played back in the window at its
// recorded pace, with its pictures and sounds; Esc stops it and P pauses it, and every
// other input is left alone. Its questions show with their recorded answers a moment.
#include "game/game_entry.h"

// The program's exit status: 2, after one line, for a file that is no recording, is
// damaged, is not a regular file or is larger than any recording; 128 + the signal's
// number, after one line, when Ctrl-C or SIGTERM stops it. With playerVolume the player's sound
// settings apply, and M, - and = set them.
int PlayRecording(const GameEntryPoints& game, const char* path, bool playerVolume);
