#pragma once
// The player's own volume: M mutes and unmutes, - and = step it through ten levels, and
// each change is shown for a second in a label and kept in the settings file for the
// next run. It sets the output's gain only: the game's sounds play, end and are chosen
// as at any volume, so a run, its recording and its replay are the same at every setting.
#include <cstdint>

// Sets the output to the player's settings (audio/sound_settings.h): full volume, after
// one line on standard error, when there are none to be had.
void LoadSoundSettings();

// A key pressed (its key code; `repeat` when the key is held): true when it was one of
// the sound's keys. A held - or = goes on stepping; M toggles once per press.
bool HandleSoundKey(uint8_t key, bool repeat);
