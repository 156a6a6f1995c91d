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

void ShowPauseLabel(bool viewerPaused) {
  // Over the frame, which is drawn as it always is; it takes nothing of the run.
  SetScreenLabel(ScreenLabelSlot::Centre, world.paused || viewerPaused ? "PAUSED" : nullptr);
}
