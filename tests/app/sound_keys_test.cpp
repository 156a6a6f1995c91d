// The player's volume: M, - and = set the output's volume, which is kept between runs in
// the settings file; a file the game cannot use gives full volume and one line.
#include "app/sound_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/audio/sound_device.h"
#include "platform/input/key_codes.h"

namespace {

// What loading the settings said, and the volume it set.
std::string Load() {
  testing::internal::CaptureStderr();
  LoadSoundSettings();
  return testing::internal::GetCapturedStderr();
}

float LevelGain(int level) { return static_cast<float>(std::pow(10.0, (level - 10) * 3.0 / 20.0)); }

TEST(SoundKeysTest, TheVolumeIsKeptBetweenRunsAndAFileThatCannotBeUsedGivesFullVolumeInOneLine) {
  const char* const previous = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = previous ? previous : "";
  const std::string home = testing::TempDir() + "sound-keys";
  std::filesystem::remove_all(home);
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  const std::string path = home + "/zorbly-frondles/settings";

  EXPECT_NE(Load().find("no settings in \"" + path + "\" yet"), std::string::npos);
  EXPECT_EQ(GetOutputVolume(), 1.0f);
  for (uint8_t key : {DIK_MINUS, DIK_MINUS, DIK_SUBTRACT}) EXPECT_TRUE(HandleSoundKey(key, true));
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(7));
  EXPECT_TRUE(HandleSoundKey(DIK_M, false));
  EXPECT_TRUE(HandleSoundKey(DIK_M, true)) << "held, M does not toggle again";
  EXPECT_FALSE(HandleSoundKey(DIK_P, false));
  EXPECT_FALSE(HandleSoundKey(0, false)) << "a replayed message carries no key";
  EXPECT_EQ(GetOutputVolume(), 0.0f);
  SetOutputVolume(1.0f);
  EXPECT_EQ(Load(), "");
  EXPECT_EQ(GetOutputVolume(), 0.0f) << "the next run starts muted";
  // A volume key brings the sound back a step from where it was; ten steps at most.
  EXPECT_TRUE(HandleSoundKey(DIK_EQUALS, false));
  EXPECT_EQ(Load(), "");
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(8));
  for (int press = 0; press < 12; ++press) HandleSoundKey(DIK_ADD, true);
  EXPECT_EQ(GetOutputVolume(), 1.0f);
  for (int press = 0; press < 12; ++press) HandleSoundKey(DIK_MINUS, true);
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(1));

  const struct {
    const char* text;  // null: a folder in the file's place
    const char* said;  // null: read without a word, at level 4
  } FILES[] = {
      {"# mine\r\nvolume=4\r\ncolour=red\r\n\r\n", nullptr},
      {"volume=4\nmuted=maybe\n", "are damaged at line 2"},
      {"volume=11\n", "are damaged at line 1"},
      {"volume=4 loud\n", "are damaged at line 1"},
      {"\x7f" "ELF\x02\x01\x01", "are damaged at line 1"},
      {nullptr, "cannot read the settings"},
  };
  for (const auto& file : FILES) {
    SCOPED_TRACE(file.said ? file.said : "good");
    std::filesystem::remove_all(path);
    if (file.text) std::ofstream(path, std::ios::binary) << file.text;
    else std::filesystem::create_directories(path);
    const std::string said = Load();
    if (!file.said) {
      EXPECT_EQ(said, "");
      EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(4));
      continue;
    }
    EXPECT_NE(said.find(file.said), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(GetOutputVolume(), 1.0f);
  }

  // A folder that cannot take the file: said once, and the sound still changes.
  setenv("XDG_CONFIG_HOME", "/proc/zorbly", 1);
  testing::internal::CaptureStderr();
  for (uint8_t key : {DIK_M, DIK_M, DIK_MINUS}) HandleSoundKey(key, false);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("zorbly-frondles: cannot keep the sound settings in \"/proc/zorbly/", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(9));

  if (previous) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
  SetOutputVolume(1.0f);
}

}  // namespace
