#include "audio/sound_keys.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/audio/sound_device.h"
#include "platform/gfx/screen_label.h"
#include "platform/input/key_codes.h"
#include "platform/system/asset_path.h"

namespace {

constexpr int VOLUME_LEVELS = 10;
// Even steps to the ear: level 1 is 27 dB under full.
constexpr double DECIBELS_PER_LEVEL = 3.0;
constexpr uint32_t LABEL_MS = 1000;

struct SoundSettings {
  int volume = VOLUME_LEVELS;
  bool muted = false;
};
SoundSettings settings;

std::string SettingsPath() {
  const std::string folder = ConfigFolder();
  return folder.empty() ? folder : folder + "/settings";
}

void Apply() {
  const double gain = std::pow(10.0, (settings.volume - VOLUME_LEVELS) * DECIBELS_PER_LEVEL / 20.0);
  SetOutputVolume(settings.muted ? 0.0f : static_cast<float>(gain));
}

// One "key=value" line; false when it is not one. Keys the game does not know are left
// alone, for a later version's sake.
bool ReadSetting(const char* line, SoundSettings* read) {
  char key[32];
  char value[32];
  int end = 0;
  if (std::sscanf(line, "%31[a-z]=%31s %n", key, value, &end) != 2 || line[end] != '\0')
    return false;
  if (std::strcmp(key, "volume") == 0) {
    char* stop = nullptr;
    const long level = std::strtol(value, &stop, 10);
    if (*stop != '\0' || level < 1 || level > VOLUME_LEVELS) return false;
    read->volume = static_cast<int>(level);
  } else if (std::strcmp(key, "muted") == 0) {
    if (std::strcmp(value, "yes") != 0 && std::strcmp(value, "no") != 0) return false;
    read->muted = value[0] == 'y';
  }
  return true;
}

// The settings in the file, or false after saying why they cannot be had.
bool ReadSettings(const std::string& path, SoundSettings* read) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  const int openError = file ? 0 : errno;
  if (openError == ENOENT) {
    std::fprintf(stderr,
                 "zorbly-frondles: no settings in \"%s\" yet: the sound is at full volume "
                 "(M mutes, - and = set the volume); they are kept there from now on\n",
                 path.c_str());
    return false;
  }
  char line[256];
  int number = 0;
  int damaged = 0;
  while (file && !damaged && std::fgets(line, sizeof line, file)) {
    ++number;
    const char* text = line + std::strspn(line, " \t\r\n");
    if (*text != '#' && *text != '\0' && !ReadSetting(text, read)) damaged = number;
  }
  const int error = !file ? openError : std::ferror(file) ? errno : 0;
  if (file) std::fclose(file);
  if (error != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: cannot read the settings \"%s\" (%s); the sound is at "
                 "full volume\n",
                 path.c_str(), std::strerror(error));
    return false;
  }
  if (damaged != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: the settings \"%s\" are damaged at line %d; the sound is "
                 "at full volume\n",
                 path.c_str(), damaged);
    return false;
  }
  return true;
}

// Written whole beside the file and then put in its place, so that a crash leaves the
// old settings or the new, never half of them. 0, or the reason it could not be.
int WriteSettings(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return error.value();
  const std::string written = path + ".new";
  std::FILE* file = std::fopen(written.c_str(), "w");
  if (!file) return errno;
  const bool complete =
      std::fprintf(file,
                   "# Zorbly Frondles: the sound as the player left it with M, - and =.\n"
                   "volume=%d\nmuted=%s\n",
                   settings.volume, settings.muted ? "yes" : "no") > 0;
  if (std::fclose(file) == 0 && complete && std::rename(written.c_str(), path.c_str()) == 0)
    return 0;
  const int reason = errno != 0 ? errno : EIO;
  std::remove(written.c_str());
  return reason;
}

void KeepSettings() {
  static bool reported = false;
  const std::string path = SettingsPath();
  const int reason = path.empty() ? 0 : WriteSettings(path);
  if (!path.empty() && reason == 0) return;
  // Said once: the player may press on, and the sound still changes.
  if (reported) return;
  reported = true;
  std::fprintf(stderr,
               "zorbly-frondles: cannot keep the sound settings in \"%s\" (%s); they last "
               "until the game ends\n",
               path.empty() ? "~/.config" : path.c_str(),
               path.empty() ? "neither XDG_CONFIG_HOME nor HOME is set" : std::strerror(reason));
}

}  // namespace

void LoadSoundSettings() {
  settings = SoundSettings{};
  const std::string path = SettingsPath();
  SoundSettings read;
  if (path.empty()) {
    std::fprintf(stderr,
                 "zorbly-frondles: no folder for the settings (neither XDG_CONFIG_HOME "
                 "nor HOME is set); the sound is at full volume\n");
  } else if (ReadSettings(path, &read)) {
    settings = read;
  } else if (!std::filesystem::exists(path)) {
    // The first run writes the defaults, so that its line is said once, not every run.
    KeepSettings();
  }
  Apply();
}

bool HandleSoundKey(uint8_t key, bool repeat) {
  const SoundSettings before = settings;
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
  if (settings.volume != before.volume || settings.muted != before.muted) KeepSettings();
  return true;
}
