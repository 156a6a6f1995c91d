#include "audio/sound_settings.h"

#include <algorithm>
#include <cstdio>

#include "platform/system/player_files.h"
#include "platform/system/verbose.h"

namespace {

constexpr std::string_view HEADER =
    "# Zorbly Frondles: the sound as the player left it with M, - and =.\n";

bool IsKey(std::string_view key) {
  return !key.empty() && key.size() <= 31 && key[0] >= 'a' && key[0] <= 'z' &&
         std::all_of(key.begin(), key.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
         });
}

bool IsValue(std::string_view value) {
  return !value.empty() && value.size() <= 63 &&
         std::all_of(value.begin(), value.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

// One "key=value" line into *settings; false when the line is none.
bool ReadSetting(std::string_view key, std::string_view value, std::string_view line,
                 SoundSettings* settings) {
  if (!IsKey(key) || !IsValue(value)) return false;
  if (key == "volume") {
    // The plain form only, as the game writes it: no sign, no leading zero.
    if (value == "10") settings->volume = 10;
    else if (value.size() == 1 && value[0] >= '1' && value[0] <= '9')
      settings->volume = value[0] - '0';
    else return false;
  } else if (key == "muted") {
    if (value != "yes" && value != "no") return false;
    settings->muted = value == "yes";
  } else {
    settings->otherKeys.append(line).push_back('\n');
    if (settings->otherKeys.size() > OTHER_KEYS_MAX_BYTES) return false;
  }
  return true;
}

std::string SettingsPath(std::string* why) {
  const std::string folder = ConfigFolder(why);
  return folder.empty() ? folder : folder + "/settings";
}

void SayFullVolume(const std::string& what) {
  std::fprintf(stderr, "zorbly-frondles: %s; the sound is at full volume\n", what.c_str());
}

}  // namespace

bool ParseSoundSettings(std::string_view text, SoundSettings* settings, std::string* problem) {
  *settings = SoundSettings{};
  problem->clear();
  const int damaged = ReadKeyValueLines(
      text, [settings](std::string_view key, std::string_view value, std::string_view line) {
        return ReadSetting(key, value, line, settings);
      });
  // An empty file is what a write lost in a crash leaves on some filesystems.
  if (text.empty()) {
    *problem = "are empty";
  } else if (damaged != 0 && settings->otherKeys.size() > OTHER_KEYS_MAX_BYTES) {
    *problem = "hold over " + std::to_string(OTHER_KEYS_MAX_BYTES) +
               " bytes of keys the game does not know, from line " + std::to_string(damaged);
  } else if (damaged != 0) {
    *problem = "are damaged at line " + std::to_string(damaged);
  }
  if (problem->empty()) return true;
  *settings = SoundSettings{};
  return false;
}

std::string FormatSoundSettings(const SoundSettings& settings) {
  std::string text(HEADER);
  text +=
      "volume=" + std::to_string(settings.volume) + "\nmuted=" + (settings.muted ? "yes" : "no");
  return text + "\n" + settings.otherKeys;
}

bool LoadSoundSettingsFile(SoundSettings* settings) {
  *settings = SoundSettings{};
  std::string why;
  const std::string path = SettingsPath(&why);
  if (path.empty()) {
    SayFullVolume("no folder for the settings (" + why + ")");
    return false;
  }
  std::string text;
  switch (ReadPlayerFile(path, SETTINGS_MAX_BYTES, &text, &why)) {
    case PlayerFileRead::Missing:
      // A first run: nothing is wrong.
      SayChosen(
          "no settings in \"%s\" yet: the sound is at full volume (M mutes, - and = set "
          "the volume); they are kept there from now on",
          path.c_str());
      SaveSoundSettingsFile(*settings);
      return false;
    case PlayerFileRead::Refused:
      SayFullVolume("cannot read the settings \"" + path + "\" (" + why + ")");
      return false;
    case PlayerFileRead::Read: break;
  }
  if (ParseSoundSettings(text, settings, &why)) return true;
  SayFullVolume("the settings \"" + path + "\" " + why);
  return false;
}

void SaveSoundSettingsFile(const SoundSettings& settings) {
  static bool reported = false;
  std::string why;
  const std::string path = SettingsPath(&why);
  if (!path.empty() && WritePlayerFile(path, FormatSoundSettings(settings), &why)) return;
  // Said once: the player may press on, and the sound still changes.
  if (reported) return;
  reported = true;
  std::fprintf(stderr,
               "zorbly-frondles: cannot keep the sound settings%s%s%s (%s); they last until "
               "the game ends\n",
               path.empty() ? "" : " in \"", path.c_str(), path.empty() ? "" : "\"", why.c_str());
}
