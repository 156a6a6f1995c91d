#pragma once
// The game's pass without clearing and drawing, which are most of its time: the main
// loop's own cost, and what a recording records, as in play, where every scene begins.
#include "audio/sound_bank.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "platform/system/window.h"

inline void UndrawnFrame(WindowHandle = nullptr) {
  PlaySoundLooped(world.musicSound);
  RunFrameRules();
}
