// A file kept for the player is written whole or not at all: a write stopped at any step,
// by a failure or by the game ending there, leaves the old file or the new one; two games
// writing at once leave one whole file, and every read meanwhile finds one whole.
#include "platform/system/player_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "../test_files.h"

namespace {

size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(PlayerFilesTest, AWriteStoppedAtAnyStepLeavesTheOldFileOrTheNew) {
  const std::string folder = TestFile("_kept"), path = folder + "/records";
  std::string why;
  for (int step = 0; step < static_cast<int>(WriteStep::Count); ++step) {
    for (const WriteFault fault : {WriteFault::Fail, WriteFault::Die}) {
      std::filesystem::remove_all(folder);
      ASSERT_TRUE(WritePlayerFile(path, "best=41\n", &why)) << why;
      SetPlayerFileFault(static_cast<WriteStep>(step), fault);
      EXPECT_FALSE(WritePlayerFile(path, "best=38, and a longer line\n", &why));
      SetPlayerFileFault(WriteStep::Count, WriteFault::Nothing);
      const bool renamed = step > static_cast<int>(WriteStep::Rename);
      EXPECT_EQ(ReadFileBytes<std::string>(path),
                renamed ? "best=38, and a longer line\n" : "best=41\n");
      // A failure leaves no temporary behind (a death may: it is never read).
      if (fault == WriteFault::Fail) {
        EXPECT_EQ(FilesIn(folder), 1u) << step << ": " << why;
      }
    }
  }
}

TEST(PlayerFilesTest, TwoGamesWritingAtOnceLeaveOneWholeFileAndReadsMeanwhileFindOneWhole) {
  const std::string folder = TestFile("_shared"), path = folder + "/settings";
  const std::string texts[] = {std::string(20000, 'a'), "volume=3\n"};
  std::string why;
  ASSERT_TRUE(WritePlayerFile(path, texts[1], &why)) << why;
  pid_t games[2];
  for (int game = 0; game < 2; ++game) {
    if ((games[game] = fork()) != 0) continue;
    bool all = true;
    for (int write = 0; write < 100; ++write) all = WritePlayerFile(path, texts[game], &why) && all;
    _exit(all ? 0 : 1);
  }
  for (int read = 0; read < 400; ++read) {
    const std::string bytes = ReadFileBytes<std::string>(path);
    EXPECT_TRUE(bytes == texts[0] || bytes == texts[1]) << bytes.size() << " bytes";
  }
  for (const pid_t game : games) {
    int status = -1;
    waitpid(game, &status, 0);
    EXPECT_EQ(status, 0);
  }
  EXPECT_EQ(FilesIn(folder), 1u);
}

}  // namespace
