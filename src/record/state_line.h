#pragma once
// The world's numbers as a recording's state line holds them and zf-replay prints them:
// "score=… health=… energy=… wl=… mode=… prev=… paused=… quit=… lastShot=… rumble=…
// scroll=… px=… py=… proj=… live=… sauced=… rand=…".
#include <cstddef>

// Writes the world's fields; returns the length.
size_t FormatWorldState(char* out, size_t size);

// Compares a state line's fields, by name, with the world's (FormatWorldState's text).
// False, with the first field that differs ("score=4, recorded 3"), when they differ.
bool SameState(const char* recorded, size_t recordedLength, const char* now, char* difference,
               size_t size);
