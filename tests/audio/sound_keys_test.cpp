// The player's volume: M, - and = set the output's volume, which is kept between runs in
// the settings file; a file the game cannot use gives full volume and one line.
#include "audio/sound_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/audio/sound_device.h"
#include "platform/gfx/screen_label.h"
#include "platform/input/key_codes.h"

namespace {

// What the call said on standard error.
template <typename Call>
std::string Said(Call call) {
  testing::internal::CaptureStderr();
  call();
  return testing::internal::GetCapturedStderr();
}

float LevelGain(int level) { return static_cast<float>(std::pow(10.0, (level - 10) * 3.0 / 20.0)); }

TEST(SoundKeysTest, TheVolumeIsKeptBetweenRunsAndAFileThatCannotBeUsedGivesFullVolumeInOneLine) {
  // The test's own folder (ctest points XDG_CONFIG_HOME at the build's): never the player's.
  const char* const folder = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(folder, nullptr);
  const std::string path = std::string(folder) + "/zorbly-frondles/settings";
  std::filesystem::remove_all(path);

  EXPECT_NE(Said(LoadSoundSettings).find("no settings in \"" + path + "\" yet"), std::string::npos);
  EXPECT_EQ(GetOutputVolume(), 1.0f);
  EXPECT_EQ(Said(LoadSoundSettings), "") << "said once: the defaults are kept";
  for (uint8_t key : {DIK_MINUS, DIK_MINUS, DIK_SUBTRACT, DIK_M})
    EXPECT_TRUE(HandleSoundKey(key, false));
  EXPECT_TRUE(HandleSoundKey(DIK_M, true)) << "held, M does not toggle again";
  EXPECT_FALSE(HandleSoundKey(0, false)) << "a replayed message carries no key";
  EXPECT_EQ(Said(LoadSoundSettings), "");
  EXPECT_EQ(GetOutputVolume(), 0.0f) << "the next run starts muted";
  // A volume key brings the sound back a step from where it was, within ten levels.
  HandleSoundKey(DIK_EQUALS, false);
  EXPECT_EQ(Said(LoadSoundSettings), "");
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(8));
  for (int press = 0; press < 12; ++press) HandleSoundKey(DIK_ADD, true);
  EXPECT_EQ(GetOutputVolume(), 1.0f);
  for (int press = 0; press < 12; ++press) HandleSoundKey(DIK_MINUS, true);
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(1));

  const struct {
    const char* text;  // null: a folder in the file's place
    const char* said;  // "": read without a word, at level 4
  } FILES[] = {
      {"# mine\r\nvolume=4\r\ncolour=red\r\n\r\n", ""},
      {"volume=4\nmuted=maybe\n", "are damaged at line 2"},
      {"volume=11\n", "are damaged at line 1"},
      {"\x7f"
       "ELF\x02\x01\x01",
       "are damaged at line 1"},
      {nullptr, "cannot read the settings"},
  };
  for (const auto& file : FILES) {
    SCOPED_TRACE(file.said);
    std::filesystem::remove_all(path);
    if (file.text) std::ofstream(path, std::ios::binary) << file.text;
    else std::filesystem::create_directories(path);
    const std::string said = Said(LoadSoundSettings);
    EXPECT_NE(said.find(file.said), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), *file.said ? 1 : 0) << said;
    EXPECT_FLOAT_EQ(GetOutputVolume(), *file.said ? 1.0f : LevelGain(4));
  }
  // Where the file cannot be kept, that is said once, and the sound still changes.
  const std::string said = Said([] {
    for (uint8_t key : {DIK_M, DIK_M, DIK_MINUS}) HandleSoundKey(key, false);
  });
  EXPECT_EQ(said.rfind("zorbly-frondles: cannot keep the sound settings in \"" + path, 0), 0u)
      << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(9));
  std::filesystem::remove_all(path);
  SetOutputVolume(1.0f);
  SetScreenLabel(ScreenLabelSlot::Volume, nullptr);
}

}  // namespace
