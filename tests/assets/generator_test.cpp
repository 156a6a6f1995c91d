// The generator itself: the same files on every run, and a clear failure when it
// cannot write. It sits beside the game folder in the build tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* const FILES[] = {
    "wood.png",      "sauce.png",       "splat.png",     "pastaplain.png", "pastasauced.png",
    "tomato.png",    "parm.png",        "energyslice.tga", "healthslice.tga", "Accordion.wav",
    "gears.wav",     "phasing.wav",     "music1.wav",    "splat.wav",      "squish.wav",
};

std::vector<char> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path Generator() { return fs::current_path() / ".." / "tools" / "zf_make_assets"; }

int RunGenerator(const std::string& arguments) {
  std::string command = "\"" + Generator().string() + "\" " + arguments + " 2>/dev/null";
  return std::system(command.c_str());
}

TEST(AssetGenerator, RedrawsExactlyTheFilesTheGameReads) {
  if (!fs::exists(Generator())) GTEST_SKIP() << "generator not built beside the game folder";
  // Other build trees may run this test at the same moment.
  fs::path folder = fs::temp_directory_path() / ("zf_assets_again_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  ASSERT_EQ(RunGenerator("\"" + folder.string() + "\""), 0);
  for (const char* name : FILES) {
    SCOPED_TRACE(name);
    std::vector<char> again = Bytes(folder / name);
    ASSERT_FALSE(again.empty());
    // Byte for byte what the build left in the game folder: fixed seeds, no clock.
    EXPECT_TRUE(again == Bytes(fs::current_path() / name));
  }
  fs::remove_all(folder);
}

TEST(AssetGenerator, FailsLoudlyWhenItCannotWrite) {
  if (!fs::exists(Generator())) GTEST_SKIP() << "generator not built beside the game folder";
  EXPECT_NE(RunGenerator("/nonexistent/zf/folder"), 0);
  EXPECT_NE(RunGenerator(""), 0) << "no folder given";

  // A folder where one file cannot be created: the run fails and names that file, and
  // still writes the others.
  fs::path folder = fs::temp_directory_path() / ("zf_assets_blocked_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "gears.wav");
  fs::path log = folder / "log.txt";
  std::string command = "\"" + Generator().string() + "\" \"" + folder.string() + "\" 2>\"" +
                        log.string() + "\"";
  EXPECT_NE(std::system(command.c_str()), 0);
  std::vector<char> message = Bytes(log);
  EXPECT_NE(std::string(message.begin(), message.end()).find("gears.wav"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(folder / "music1.wav"));
  EXPECT_TRUE(fs::is_regular_file(folder / "wood.png"));
  fs::remove_all(folder);
}

}  // namespace
