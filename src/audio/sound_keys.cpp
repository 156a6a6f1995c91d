#include "audio/sound_keys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/sound_settings.h"
#include "platform/audio/sound_device.h"
#include "platform/gfx/screen_label.h"
#include "platform/input/key_codes.h"

namespace {

// Even steps to the ear: level 1 is 27 dB under full.
constexpr double DECIBELS_PER_LEVEL = 3.0;
constexpr uint32_t LABEL_MS = 1000;

SoundSettings settings;

void Apply() {
  const double gain = std::pow(10.0, (settings.volume - VOLUME_LEVELS) * DECIBELS_PER_LEVEL / 20.0);
  SetOutputVolume(settings.muted ? 0.0f : static_cast<float>(gain));
}

}  // namespace

void LoadSoundSettings() {
  LoadSoundSettingsFile(&settings);
  Apply();
}

bool HandleSoundKey(uint8_t key, bool repeat) {
  const int volumeBefore = settings.volume;
  const bool mutedBefore = settings.muted;
  int step = 0;
  switch (key) {
    case DIK_M:
      if (repeat) return true;
      settings.muted = !settings.muted;
      break;
    case DIK_MINUS:
    case DIK_SUBTRACT: step = -1; break;
    case DIK_EQUALS:
    case DIK_ADD: step = 1; break;
    default: return false;
  }
  if (step != 0) {
    // A volume key brings a muted game back, a step from where it was.
    settings.muted = false;
    settings.volume = std::clamp(settings.volume + step, 1, VOLUME_LEVELS);
  }
  Apply();
  char label[16];
  if (settings.muted) std::snprintf(label, sizeof label, "MUTED");
  else std::snprintf(label, sizeof label, "VOLUME %d/%d", settings.volume, VOLUME_LEVELS);
  SetScreenLabel(ScreenLabelSlot::Volume, label, LABEL_MS);
  if (settings.volume != volumeBefore || settings.muted != mutedBefore) {
    SaveSoundSettingsFile(settings);
  }
  return true;
}
