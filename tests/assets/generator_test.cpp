// The generator itself: the same files on every run, and a clear failure when it
// cannot write. It sits beside the game folder in the build tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../test_files.h"
#include "game_files.h"

namespace {

namespace fs = std::filesystem;

fs::path Generator() { return fs::current_path() / ".." / "tools" / "zf_make_assets"; }

int RunGenerator(const std::string& folder, const std::string& log = "/dev/null") {
  return std::system(("\"" + Generator().string() + "\" " + folder + " 2>\"" + log + "\"").c_str());
}

TEST(AssetGenerator, RedrawsExactlyTheFilesTheGameReadsAndFailsLoudlyWhenItCannotWrite) {
  if (!fs::exists(Generator())) GTEST_SKIP() << "generator not built beside the game folder";
  const fs::path folder = TestFile("-again");  // other build trees may run this test at once
  fs::create_directories(folder);
  ASSERT_EQ(RunGenerator("\"" + folder.string() + "\""), 0);
  for (const char* name : GAME_FILES) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> again = ReadFileBytes(folder / name);
    ASSERT_FALSE(again.empty());
    // Byte for byte what the build left in the game folder: fixed seeds, no clock.
    EXPECT_TRUE(again == ReadFileBytes(fs::current_path() / name));
  }

  EXPECT_NE(RunGenerator("/nonexistent/zf/folder"), 0);
  EXPECT_NE(RunGenerator(""), 0) << "no folder given";
  // A folder where one file cannot be created: the run fails and names that file, and
  // still writes the others.
  const fs::path blocked = TestFile("-blocked");
  fs::create_directories(blocked / "gears.wav");
  const fs::path log = TestFile("-log.txt");
  EXPECT_NE(RunGenerator("\"" + blocked.string() + "\"", log.string()), 0);
  const std::vector<uint8_t> message = ReadFileBytes(log);
  EXPECT_NE(std::string(message.begin(), message.end()).find("gears.wav"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(blocked / "music1.wav"));
  EXPECT_TRUE(fs::is_regular_file(blocked / "wood.png"));
}

}  // namespace
