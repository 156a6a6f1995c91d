#include "game/player_keys.h"

#include "audio/sound_keys.h"
#include "game/world_state.h"
#include "platform/gfx/screen_label.h"
#include "platform/input/key_codes.h"

uint8_t HandlePlayerKey(const Message& message, bool* viewerPaused) {
  if (message.message != MSG_KEYDOWN) return 0;
  const uint8_t key = KeyCodeFromScancode(static_cast<int>(message.wParam));
  const bool repeat = message.lParam != 0;
  HandleSoundKey(key, repeat);
  if (key == DIK_P && !repeat && viewerPaused) {
    *viewerPaused = !*viewerPaused;
    ShowPauseLabel(*viewerPaused);
  }
  return key;
}

const char* const CONTROLS_LEGEND =
    "\tkeyboard\tgamepad\n"
    "move\tarrow keys or W A S D\tleft stick\n"
    "fire\tSpace\tA\n"
    "phase: pasta pass through you\thold Z\thold B\n"
    "magnet: draws in tomatoes\thold X\thold X\n"
    "charge: gathers shots, let go to fire\thold C\thold Y\n"
    "energy\thold E\thold right trigger\n"
    "weapon level 1 to 5\tF1 to F5\n"
    "pause\tP\tStart\n"
    "full screen\tAlt+Enter\n"
    "sound: mute, down, up\tM, -, =\n"
    "quit\tEsc\tBack\n"
    "the two bars\ttop: energy\tbottom: health";

void ShowPauseLabel(bool viewerPaused) {
  // Over the frame, which is drawn as it always is; it takes nothing of the run.
  SetScreenLabel(ScreenLabelSlot::Centre, world.paused || viewerPaused ? "PAUSED" : nullptr);
  SetScreenLabel(ScreenLabelSlot::Legend, world.paused ? CONTROLS_LEGEND : nullptr);
}
