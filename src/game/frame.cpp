#include "audio/sound_bank.h"
#include "game/collisions.h"
#include "game/drawing.h"
#include "game/endings.h"
#include "game/game_entry.h"
#include "game/player_keys.h"
#include "game/run_result.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "input/input.h"
#include "platform/system/system.h"

void GameFrame(WindowHandle) {
  // Asked for on every pass, so the music comes back by itself after an ending.
  PlaySoundLooped(world.musicSound);
  if (!graphics.d3ddev) return;
  ClearFrame();
  RunFrameRules();
  // Frames are drawn only while the replay viewer, if any, is not paused.
  ShowPauseLabel(false);
  DrawFrame();
}

void RunFrameRules() {
  world.frameTime = timeGetTime();
  CountPlayedTime();
  // At most one tick per pass and no catching up after a stall; the difference is
  // unsigned, so the clock may wrap.
  if (world.frameTime - world.lastTickTime > TICK_GAP_MS) RunTick();
  RunCollisionPass();
  CheckDeath();
  CheckWin();
}

namespace {

void FollowWindow() {
  const bool away = world.windowUnfocused || world.windowMinimised;
  if (away) {
    if (!world.paused) {
      world.paused = true;
      world.pausedByLeaving = true;
    }
    // The pad would go on shaking in the player's hands while the game stands still.
    SetGamepadVibration(0, 0);
    world.rumbleTicks = 0;
  } else if (world.pausedByLeaving) {
    world.paused = false;
    world.pausedByLeaving = false;
  }
}

}  // namespace

void GameWindowFocus(bool focused) {
  world.windowUnfocused = !focused;
  FollowWindow();
}

void GameWindowMinimised(bool minimised) {
  world.windowMinimised = minimised;
  FollowWindow();
}
