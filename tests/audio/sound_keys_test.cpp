// The player's volume: M, - and = set the output's volume, which is kept between runs in
// the settings file; a file or a folder the game cannot use gives full volume and one
// line, and never ends or stops the game.
#include "audio/sound_keys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "../test_files.h"
#include "platform/audio/sound_device.h"
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

// The test's own settings (in a folder of the test's, XDG_CONFIG_HOME, so that tests run
// side by side never meet), made as a case has them: its text, or none, a FIFO, a link to
// itself or a folder.
std::string MakeSettings(const std::string& text) {
  const std::string path =
      std::string(std::getenv("XDG_CONFIG_HOME")) + "/zorbly-frondles/settings";
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  if (text == "<fifo>") mkfifo(path.c_str(), 0600);
  else if (text == "<loop>") symlink("settings", path.c_str());
  else if (text == "<folder>") std::filesystem::create_directory(path);
  else if (text != "<none>") std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(SoundKeysTest, TheVolumeAndTheKeysTheGameDoesNotKnowAreKeptBetweenRuns) {
  const ScopedEnvironment config{"XDG_CONFIG_HOME", TestFile(".config")};
  const std::string path = MakeSettings("<none>");
  EXPECT_EQ(Said(LoadSoundSettings), "") << "a first run is nothing wrong";
  EXPECT_EQ(GetOutputVolume(), 1.0f);
  EXPECT_TRUE(std::filesystem::is_regular_file(path)) << "the defaults are kept from then on";
  for (uint8_t key : {DIK_MINUS, DIK_MINUS, DIK_SUBTRACT, DIK_M})
    EXPECT_TRUE(HandleSoundKey(key, false));
  EXPECT_TRUE(HandleSoundKey(DIK_M, true)) << "held, M does not toggle again";
  EXPECT_FALSE(HandleSoundKey(0, false)) << "a replayed message carries no key";
  EXPECT_EQ(Said(LoadSoundSettings), "");
  EXPECT_EQ(GetOutputVolume(), 0.0f) << "the next run starts muted";
  // A volume key brings the sound back a step from where it was.
  HandleSoundKey(DIK_EQUALS, false);
  LoadSoundSettings();
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(8));
  // A later version's key outlives this version's writes.
  MakeSettings("# mine\r\nvolume=4\r\n  colour=red \r\n\r\n");
  EXPECT_EQ(Said(LoadSoundSettings), "");
  HandleSoundKey(DIK_EQUALS, false);
  EXPECT_NE(ReadFileBytes<std::string>(path).find("volume=5\nmuted=no\ncolour=red\n"),
            std::string::npos);
  // Where the file cannot be kept, that is said once, and the sound still changes.
  MakeSettings("<folder>");
  const std::string said = Said([] {
    for (uint8_t key : {DIK_M, DIK_M, DIK_MINUS}) HandleSoundKey(key, false);
  });
  EXPECT_EQ(said.rfind("zorbly-frondles: cannot keep the sound settings in \"" + path, 0), 0u);
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_FLOAT_EQ(GetOutputVolume(), LevelGain(4));
  std::filesystem::remove_all(path);
}

// Each says what is wrong in one line and gives full volume; none hangs, ends the game or
// is read as something it is not.
TEST(SoundKeysTest, FilesAndFoldersTheGameCannotUseAreSaidInOneLine) {
  const ScopedEnvironment config{"XDG_CONFIG_HOME", TestFile(".config")};
  const struct {
    std::string text;
    const char* said;
    std::optional<std::string> xdg, home;  // the environment's own cases
  } CASES[] = {
      {"", "\" are empty; the sound is at full volume", {}, {}},
      {std::string(4096, '\0'), "are damaged at line 1", {}, {}},
      {std::string(4097, '#'), "(it is larger than 4096 bytes)", {}, {}},
      {"volume=+5\n", "are damaged at line 1", {}, {}},
      {"volume=05\n", "are damaged at line 1", {}, {}},
      {"volume=4\nmuted=maybe\n", "are damaged at line 2", {}, {}},
      {"#" + std::string(300, '-') + "\nvolume=0\n", "are damaged at line 2", {}, {}},
      {"<fifo>", "(it is not a regular file)", {}, {}},
      {"<loop>", "(Too many levels of symbolic links)", {}, {}},
      {"", "(XDG_CONFIG_HOME is not an absolute path and HOME is not set)", "rel", ""},
      {"", "/settings\" (File name too long)", "", "/" + std::string(4070, 'h')},
  };
  for (const auto& c : CASES) {
    MakeSettings(c.text);
    std::optional<ScopedEnvironment> xdg, home;
    if (c.xdg) xdg.emplace("XDG_CONFIG_HOME", *c.xdg);
    if (c.home) home.emplace("HOME", *c.home);
    const std::string said = Said(LoadSoundSettings);
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(GetOutputVolume(), 1.0f) << c.said;
  }
}

}  // namespace
