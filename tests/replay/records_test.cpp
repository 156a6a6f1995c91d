// The player's bests: a damaged, unreadable or missing records file, no state folder and a
// full disk each cost one line while the runs go on; two games ending at once both count.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "../test_files.h"
#include "platform/system/player_files.h"
#include "record/run_records.h"

namespace {

TEST(RecordsTest, BadFilesCostOneLineAndAreSetAsideAndTheBestsGoOn) {
  const std::string home = TestFile("_state"), records = home + "/zorbly-frondles/records";
  ScopedEnvironment state("XDG_STATE_HOME", home), homeVariable("HOME");
  const struct {
    const char* kept;  // null: a folder in the file's place
    WriteFault fault;
    const char* said;  // the one line, "" for none
    int32_t highest;   // before this run of 30
  } CASES[] = {
      {"fastest-win=41000\nhighest-score=52\n", WriteFault::Nothing, "", 52},
      {"fastest-win=41000\nhighest-score=5x\n", WriteFault::Nothing,
       "records\" are damaged at line 2; the bests start afresh, the old file kept as", 0},
      {"", WriteFault::Nothing, "records\" are empty; the bests start afresh", 0},
      {nullptr, WriteFault::Nothing, "(it is not a regular file); the bests start afresh", 0},
      {"highest-score=7\n", WriteFault::Fail, "cannot keep the records in", 7},
  };
  for (const auto& bad : CASES) {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(bad.kept ? home + "/zorbly-frondles" : records);
    if (bad.kept) std::ofstream(records) << bad.kept;
    SetPlayerFileFault(WriteStep::Write, bad.fault);
    RecordKeeper keeper(nullptr, true);
    RunBests bests;
    testing::internal::CaptureStderr();
    keeper.RunEnded(RunOutcome{RunEnd::Died, 30, 9000}, &bests);
    const std::string said = testing::internal::GetCapturedStderr();
    SetPlayerFileFault(WriteStep::Count, WriteFault::Nothing);
    EXPECT_EQ(said.empty(), !*bad.said) << said;
    EXPECT_NE(said.find(bad.said), std::string::npos) << said;
    EXPECT_EQ(bests.highestScore, std::max(30, bad.highest));
    EXPECT_EQ(bests.newHighest, bad.highest < 30);
    const bool setAside = !said.empty() && bad.fault == WriteFault::Nothing;
    EXPECT_EQ(std::filesystem::exists(records + ".damaged"), setAside) << said;
  }
  // No state folder at all: one line, the bests of this game shown.
  setenv("XDG_STATE_HOME", "", 1);
  unsetenv("HOME");
  RecordKeeper keeper(nullptr, true);
  RunBests bests;
  testing::internal::CaptureStderr();
  keeper.RunEnded(RunOutcome{RunEnd::Won, 50, 12000}, &bests);
  EXPECT_EQ(
      testing::internal::GetCapturedStderr().rfind("zorbly-frondles: no folder for the records", 0),
      0u);
  EXPECT_TRUE(bests.kept && bests.newFastest && bests.fastestWinMs == 12000);
}

TEST(RecordsTest, TwoGamesEndingAtOnceBothCount) {
  const std::string home = TestFile("_state");
  ScopedEnvironment state("XDG_STATE_HOME", home);
  pid_t games[2];
  for (int game = 0; game < 2; ++game) {
    if ((games[game] = fork()) != 0) continue;
    RecordKeeper keeper(nullptr, true);
    RunBests bests;
    // Each game beats itself run after run; the other's bests are never lost.
    for (int run = 0; run < 40; ++run)
      keeper.RunEnded(RunOutcome{RunEnd::Won, 50 + 2 * run + game, 90000u - 1000 * run - game},
                      &bests);
    _exit(0);
  }
  for (const pid_t game : games) waitpid(game, nullptr, 0);
  RunRecords kept;
  std::string problem;
  ASSERT_TRUE(ParseRunRecords(ReadFileBytes<std::string>(home + "/zorbly-frondles/records"), &kept,
                              &problem))
      << problem;
  EXPECT_EQ(kept.fastestWinMs, 90000u - 39000 - 1);
  EXPECT_EQ(kept.highestScore, 50 + 78 + 1);
}

}  // namespace
