#pragma once
// What the game says of itself. A problem is always one line on standard error; what the
// game chose (the renderer, the fonts, the folders, the sound layer's failed calls) is
// said only when the player asks for it with --verbose, so that a start with nothing
// wrong prints nothing.
#include <cstdarg>

void SetVerbose(bool verbose);
bool Verbose();

// "zorbly-frondles: " and the formatted line on standard error, with --verbose only.
void SayChosen(const char* format, ...) __attribute__((format(printf, 1, 2)));

// With --verbose, the folders the game uses: the player's settings, the kept recordings
// and the game's own files.
void SayChosenFolders();
