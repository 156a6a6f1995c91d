#pragma once
// The player's own keys and the pause label, for the game and the replay viewer alike.
// They are ours, not the game's rules: no run or recording holds them (a recorded
// message carries no key), so a replay is the same whatever the player presses.
#include <cstdint>

#include "platform/system/window.h"

// A window message's key press: M, - and = set the sound; with viewerPaused (the replay
// viewer's own pause), P also pauses and resumes it. The key's code, for the caller's
// other keys; 0 for any other message.
uint8_t HandlePlayerKey(const Message& message, bool* viewerPaused);

// "PAUSED" in the middle of the picture while the game or the viewer is paused, and
// under it, while the game is, the controls and what the bars are.
void ShowPauseLabel(bool viewerPaused);

// The controls for keyboard and gamepad, a line each in three columns (tab-separated),
// then what the two bars are: for the start card and the pause's legend.
extern const char* const CONTROLS_LEGEND;
