#include "audio/sound_bank.h"
#include "game/collisions.h"
#include "game/drawing.h"
#include "game/endings.h"
#include "game/game_entry.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "input/input.h"
#include "platform/gfx/screen_label.h"
#include "platform/system/system.h"

void GameFrame(WindowHandle) {
  // Asked for on every pass, so the music comes back by itself after an ending.
  PlaySoundLooped(world.musicSound);
  if (!graphics.d3ddev) return;
  ClearFrame();
  RunFrameRules();
  // A label of ours over the frame, which is drawn as it always is; it takes nothing of
  // the run and no recording holds it.
  SetScreenLabel(ScreenLabelSlot::Centre, world.paused ? "PAUSED" : nullptr);
  DrawFrame();
}

void RunFrameRules() {
  world.frameTime = timeGetTime();
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
