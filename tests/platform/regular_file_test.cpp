// What the game reads of the player's files and recordings: a FIFO, a device or a folder
// is refused at once instead of hanging or flooding the game, and so is a file over its
// cap, whatever its size says.
#include "platform/system/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "../test_files.h"

namespace {

TEST(RegularFileTest, ReadsOnlyWholeRegularFilesWithinTheirCap) {
  const std::string fifo = TestFile(".fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = TestFile(".folder");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const struct {
    std::string path;
    size_t cap;
    FileRead result;
    std::string bytes;
    std::string problem;
  } cases[] = {
      {WriteTestFile(std::string("volume=3\n"), ".ok"), 9, FileRead::Read, "volume=3\n", ""},
      {WriteTestFile(std::string(), ".empty"), 9, FileRead::Read, "", ""},
      {WriteTestFile(std::string("volume=10\n"), ".big"), 9, FileRead::TooLarge, "",
       "it is larger than 9 bytes"},
      {TestFile(".missing"), 9, FileRead::Missing, "", "it does not exist"},
      {fifo, 9, FileRead::NotRegular, "", "it is not a regular file"},
      {folder, 9, FileRead::NotRegular, "", "it is not a regular file"},
      {"/dev/zero", 1 << 20, FileRead::NotRegular, "", "it is not a regular file"},
      {"/dev/null/settings", 9, FileRead::Failed, "", "Not a directory"},
  };
  for (const auto& c : cases) {
    std::string bytes = "left over";
    int error = 0;
    EXPECT_EQ(ReadRegularFile(c.path.c_str(), c.cap, &bytes, &error), c.result) << c.path;
    EXPECT_EQ(bytes, c.bytes) << c.path;
    if (c.result != FileRead::Read) {
      EXPECT_EQ(FileReadProblem(c.result, error, c.cap), c.problem) << c.path;
    }
  }
}

}  // namespace
