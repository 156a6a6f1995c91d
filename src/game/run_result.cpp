#include "game/run_result.h"

#include <cstdio>

#include "game/world_state.h"

namespace {

RunEndWatcher* watcher = nullptr;

RunOutcome Outcome(RunEnd end) { return RunOutcome{end, world.score, world.runPlayedMs}; }

std::string Note(const RunOutcome& outcome, const RunBests& bests) {
  std::string note =
      "This run\t" + FormatPlayed(outcome.playedMs) + "\tscore " + std::to_string(outcome.score);
  if (!bests.kept) return note;
  note += "\nFastest win\t";
  note += bests.fastestWinMs ? FormatPlayed(bests.fastestWinMs) : "none yet";
  if (bests.newFastest) note += "\tNEW BEST";
  note += "\nHighest score\t" + std::to_string(bests.highestScore);
  if (bests.newHighest) note += "\tNEW BEST";
  return note;
}

}  // namespace

RunEndWatcher* SetRunEndWatcher(RunEndWatcher* next) {
  RunEndWatcher* previous = watcher;
  watcher = next;
  return previous;
}

void CountPlayedTime() {
  if (!world.runUnderway) {
    world.runUnderway = true;
    world.runPlayedMs = 0;
  } else if (!world.paused) {
    // Unsigned: the clock may wrap.
    world.runPlayedMs += world.frameTime - world.runLastClock;
  }
  world.runLastClock = world.frameTime;
}

std::string EndRunClock(RunEnd end) {
  world.runUnderway = false;
  const RunOutcome outcome = Outcome(end);
  RunBests bests;
  if (watcher) watcher->RunEnded(outcome, &bests);
  return Note(outcome, bests);
}

void LeaveRun() {
  if (!world.runUnderway) return;
  world.runUnderway = false;
  RunBests bests;
  if (watcher) watcher->RunEnded(Outcome(RunEnd::Left), &bests);
}

std::string FormatPlayed(uint32_t milliseconds) {
  const uint32_t tenths = milliseconds / 100;
  char text[24];
  std::snprintf(text, sizeof text, "%u:%02u.%u", tenths / 600, tenths / 10 % 60, tenths % 10);
  return text;
}

const char* RunEndName(RunEnd end) {
  switch (end) {
    case RunEnd::Died: return "died";
    case RunEnd::Won: return "won";
    case RunEnd::Left: break;
  }
  return "left";
}
