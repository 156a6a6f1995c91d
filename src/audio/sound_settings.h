#pragma once
// The player's sound as the settings file keeps it, in
// $XDG_CONFIG_HOME/zorbly-frondles/settings (~/.config/zorbly-frondles/settings when
// unset): "key=value" lines, with '#' comments and blank lines between them. Keys the
// game does not know are kept as they are, for a later version's sake.
#include <cstddef>
#include <string>
#include <string_view>

constexpr int VOLUME_LEVELS = 10;
// A settings file is a few lines: anything larger is no settings file of ours.
constexpr size_t SETTINGS_MAX_BYTES = 4096;
// Room for the keys the game does not know within a file it can read again.
constexpr size_t OTHER_KEYS_MAX_BYTES = 2048;

struct SoundSettings {
  int volume = VOLUME_LEVELS;  // 1 to 10
  bool muted = false;
  std::string otherKeys;  // the lines of keys the game does not know, each with its '\n'
};

// The settings the file's text holds; false with *problem set ("are damaged at line 3")
// when it holds none.
bool ParseSoundSettings(std::string_view text, SoundSettings* settings, std::string* problem);
// The file's text for the settings.
std::string FormatSoundSettings(const SoundSettings& settings);

// The player's settings; false after one line on standard error saying why they are
// not (then *settings are the defaults: full volume). When there is no file yet, the
// defaults are written, so that its line is said once, not on every start.
bool LoadSoundSettingsFile(SoundSettings* settings);
// Keeps the settings for the next run; that they cannot be kept is said once a run.
void SaveSoundSettingsFile(const SoundSettings& settings);
