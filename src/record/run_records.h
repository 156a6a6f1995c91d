#pragma once
// The player's bests (the fastest win and the highest score of the runs that ended), kept
// in $XDG_STATE_HOME/zorbly-frondles/records as the settings are kept: "key=value" lines,
// written whole or not at all, read, merged and written by one game at a time. The
// fastest win's whole recording is kept beside the last runs as best-win.zfr, never
// rotated. Each run's result goes into its recording as a comment line, which readers
// pass over and --runs and zf-replay --verify read. A replay keeps no records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/run_result.h"

constexpr size_t RECORDS_MAX_BYTES = 4096;

struct RunRecords {
  uint32_t fastestWinMs = 0;  // 0: no win yet
  int32_t highestScore = 0;
};

// The records the file's text holds; false with *problem ("are damaged at line 3").
bool ParseRunRecords(std::string_view text, RunRecords* records, std::string* problem);
std::string FormatRunRecords(const RunRecords& records);

// "# result won score=53 played=42345": a run's result as its recording notes it.
std::string ResultComment(const RunOutcome& outcome);
// The results a recording's comment lines note, in order.
std::vector<RunOutcome> RecordedResults(std::string_view text);

class RunRecorder;

// The game's own watcher of its runs' ends: the result into the recording, the records
// brought up to date, and the bests for the note beside the question.
class RecordKeeper : public RunEndWatcher {
 public:
  // Without keepRecords, the results go into the recording and no further.
  RecordKeeper(RunRecorder* recorder, bool keepRecords)
      : recorder_(recorder), keepRecords_(keepRecords) {}
  void RunEnded(const RunOutcome& outcome, RunBests* bests) override;
  // Once the recording is finished: when this game made the fastest win the records
  // still hold, its whole recording becomes best-win.zfr.
  void KeepBestWin();

 private:
  // The file's records into *records (fresh ones when there is no file); a damaged or
  // unreadable file is said in one line and set aside. False when it must not be written.
  bool Load(const std::string& path, RunRecords* records);
  void SayOnce(const std::string& line);

  RunRecorder* recorder_;
  bool keepRecords_;
  RunRecords session_;      // this game's bests, for when the file cannot keep them
  uint32_t bestWinMs_ = 0;  // the fastest win this game made, when it beat the records
  bool said_ = false;
};
