// Settings files of any shape within the size the game reads (libFuzzer's own 4096 bytes):
// what is read holds a volume of 1 to 10, and written back it is read again as the same
// settings, the keys the game does not know and all, within that size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/sound_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SoundSettings read, again;
  std::string problem;
  if (size > SETTINGS_MAX_BYTES ||
      !ParseSoundSettings({reinterpret_cast<const char*>(data), size}, &read, &problem)) {
    return 0;
  }
  const std::string text = FormatSoundSettings(read);
  if (read.volume < 1 || read.volume > VOLUME_LEVELS || text.size() > SETTINGS_MAX_BYTES ||
      !ParseSoundSettings(text, &again, &problem) || again.volume != read.volume ||
      again.muted != read.muted || again.otherKeys != read.otherKeys) {
    __builtin_trap();
  }
  return 0;
}
