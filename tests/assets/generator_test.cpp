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
  fs::path folder = fs::temp_directory_path() / "zf_assets_again";
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
}

}  // namespace
