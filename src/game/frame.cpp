#include "audio/sound_bank.h"
#include "game/collisions.h"
#include "game/drawing.h"
#include "game/endings.h"
#include "game/game_entry.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "platform/system/system.h"

void GameFrame(WindowHandle) {
  // Asked for on every pass, so the music comes back by itself after an ending.
  PlaySoundLooped(world.musicSound);
  if (!world.d3ddev) return;
  ClearFrame();
  world.frameTime = timeGetTime();
  // At most one tick per pass and no catching up after a stall; the difference is
  // unsigned, so the clock may wrap.
  if (world.frameTime - world.lastTickTime > TICK_GAP_MS) RunTick();
  RunCollisionPass();
  CheckDeath();
  CheckWin();
  DrawFrame();
}
