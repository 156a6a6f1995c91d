// The game's folder with one file missing or damaged at a time: each missing file in
// turn, an unreadable one, an empty one, a cut-off PNG and a PNG under a .wav name. The
// table it is drawn on cannot be done without; for any other file one line names it and
// the game plays on.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../assets/game_files.h"
#include "platform/system/asset_path.h"
#include "watched_game.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* NEEDED = "wood.png";

// A copy of the game's files in a folder of its own, made the working directory.
class AssetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    folder_ = TestFile("_assets");
    fs::create_directories(folder_);
    for (const char* name : GAME_FILES) {
      ASSERT_TRUE(fs::exists(home_ / name)) << name << " missing: run from the game's folder";
      fs::copy_file(home_ / name, folder_ / name);
    }
    fs::current_path(folder_);
  }
  void TearDown() override { fs::current_path(home_); }

  void Restore(const char* name) {
    fs::remove_all(folder_ / name);
    fs::copy_file(home_ / name, folder_ / name);
  }
  void Write(const char* name, const std::string& bytes) {
    fs::remove_all(folder_ / name);
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const char* name) { return ReadFileBytes<std::string>(home_ / name); }

  // Start-up with the file as it now is: the table's file stops it with a line naming
  // the file; any other gets one line naming it and the game plays on.
  std::string ExpectNamedAndPlayable(const char* name, const char* damage) {
    SCOPED_TRACE(std::string(name) + " " + damage);
    WatchedGame game;
    std::string printed;
    const bool started = game.Start(&printed);
    if (std::getenv("ZF_SHOW_LINES")) std::printf("%s %s:\n%s", name, damage, printed.c_str());
    if (std::string(name) == NEEDED) {
      EXPECT_FALSE(started);
      // Why, in that one line: no other line names the file.
      EXPECT_EQ(LinesNaming(printed, name), 1) << printed;
      EXPECT_EQ(LinesNaming(printed, "cannot start", name), 1) << printed;
      // The same line in a box, for a player who started the game from a menu.
      EXPECT_EQ(game.system.failures.size(), 1u);
      for (const std::string& line : game.system.failures) EXPECT_EQ(LinesNaming(printed, line), 1);
      return printed;
    }
    EXPECT_EQ(LinesNaming(printed, name), 1) << printed;
    EXPECT_TRUE(started) << printed;
    if (started) {
      EXPECT_EQ(game.Play(40), "");
    }
    return printed;
  }

  ScopedEnvironment driver_{"SDL_AUDIODRIVER", "dummy"};  // a sound device, so sounds load
  fs::path home_, folder_;
};

TEST_F(AssetsTest, EachMissingFileIsNamedWithTheFoldersSearchedEachOnce) {
  // Run from the program's own folder, that folder is still listed once.
  fs::current_path(fs::canonical("/proc/self/exe").parent_path());
  const std::string folders = AssetFolders() + ", ";
  for (size_t at = 0, next = 0; (next = folders.find(", ", at)) != std::string::npos;
       at = next + 2) {
    EXPECT_EQ(folders.find(folders.substr(at, next + 2 - at)), at) << folders;
  }
  fs::current_path(folder_);
  for (const char* name : GAME_FILES) {
    fs::remove(folder_ / name);
    ASSERT_EQ(AssetPath(name), "") << name << " is also found in " << AssetFolders();
    const std::string printed = ExpectNamedAndPlayable(name, "missing");
    EXPECT_EQ(LinesNaming(printed, name, AssetFolders()), 1) << printed;
    Restore(name);
  }
}

TEST_F(AssetsTest, EmptyCutOffMisnamedAndUnreadableFilesAreNamed) {
  const std::string png = Read("parm.png");
  const std::string tomato = Read("tomato.png");
  const std::string wood = Read(NEEDED);
  const struct {
    const char* name;
    const char* damage;
    std::string bytes;
  } cases[] = {
      {"sauce.png", "empty", ""},
      {"splat.wav", "empty", ""},
      {NEEDED, "empty", ""},
      {"tomato.png", "cut off", tomato.substr(0, tomato.size() / 2)},
      {NEEDED, "cut off", wood.substr(0, wood.size() / 3)},
      {"music1.wav", "a PNG", png},
      {"healthslice.tga", "a PNG", png},
  };
  for (const auto& entry : cases) {
    Write(entry.name, entry.bytes);
    ExpectNamedAndPlayable(entry.name, entry.damage);
    Restore(entry.name);
  }
  // Permissions do not stop root from reading; there a folder in the file's place is
  // what cannot be read.
  for (const char* name : {"pastaplain.png", "gears.wav", NEEDED}) {
    fs::permissions(folder_ / name, fs::perms::none);
    std::FILE* file = std::fopen(name, "rb");
    const char* damage = "without read permission";
    if (file) {
      std::fclose(file);
      fs::remove(folder_ / name);
      fs::create_directory(folder_ / name);
      damage = "a folder (permissions do not stop this user)";
    }
    ExpectNamedAndPlayable(name, damage);
    Restore(name);
  }
}

}  // namespace
