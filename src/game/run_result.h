#pragma once
// A run's result: how it ended, its score and its time played, counted in one place that
// the game, its playback in the window and zf-replay all run, so their figures agree.
// Time played is the passes' clocks as the game read them, from the run's first pass (or
// the first after a Yes) to its ending, leaving out the time the game stood paused.
#include <cstdint>
#include <string>

enum class RunEnd { Died, Won, Left };  // Left: the program ended in the middle of a run

struct RunOutcome {
  RunEnd end = RunEnd::Left;
  int32_t score = 0;
  uint32_t playedMs = 0;
};

// The player's bests as the records keep them, beside a run that just ended.
struct RunBests {
  bool kept = false;          // records were read (a replay keeps none)
  uint32_t fastestWinMs = 0;  // 0: no win yet
  int32_t highestScore = 0;
  bool newFastest = false;  // this run beat the one before
  bool newHighest = false;
};

// Told of each run's end: the game's records and recording, or zf-replay's verdict.
class RunEndWatcher {
 public:
  virtual ~RunEndWatcher() = default;
  // Sets *bests when it keeps records.
  virtual void RunEnded(const RunOutcome& outcome, RunBests* bests) = 0;
};
// Installs a watcher and returns the one it replaces; null for none.
RunEndWatcher* SetRunEndWatcher(RunEndWatcher* watcher);

// Each pass, once its clock is read: the run's first pass starts the count.
void CountPlayedTime();
// The run ends (death or win) and its watcher hears it; the note to show beside the
// question. The next pass starts a run afresh.
std::string EndRunClock(RunEnd end);
// At the program's end, a run still underway is told as left; nothing when none is.
void LeaveRun();

// "m:ss.t", the tenths cut, not rounded.
std::string FormatPlayed(uint32_t milliseconds);
const char* RunEndName(RunEnd end);  // "died", "won", "left"
