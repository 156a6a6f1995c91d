#pragma once
// Records the run as it is played, as a script zf-replay reads (format version 2): every
// value the game takes from outside, one line for each pass or for a run of like passes,
// the world's state every STATE_EVERY_TICKS ticks, and the end. Lines gather in a fixed
// buffer written out at least once a second and at the end, so a crash keeps all but the
// last second. A file that cannot be written costs one line, and the game plays on.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "game/run_result.h"
#include "platform/system/run_tap.h"
#include "record/recorded_pass.h"
#include "record/run_lines.h"

// How the recorder's bytes go out: as fwrite, which it is when none is set; a test's
// stands for a disk that fills up.
using RecordingWriter = size_t (*)(const void* bytes, size_t size, std::FILE* file);
void SetRecordingWriter(RecordingWriter writer);

class RunRecorder : public RunTap {
 public:
  // After start-up: opens the file, writes the first lines and takes the run's tap.
  // False, after one line on standard error, when the file cannot be written.
  bool Start(const char* path);
  // The same into the state folder, keeping the last runs: last-run.zfr is the newest,
  // last-run.1.zfr and last-run.2.zfr the two before. The new run is written under a
  // name of its own first, and the kept ones move only once its first lines are on the
  // disk; an empty file is no run to keep. A path that does not fit is refused.
  bool StartInStateFolder();
  // After every pass of the main loop.
  void EndPass();
  // After the last pass: its state and the end line go out, and the tap is given back.
  void Finish();
  // A run's result, as a comment line readers pass over.
  void NoteResult(const RunOutcome& outcome);
  // After Finish: the file, when the whole run went into it; else null.
  const char* FinishedPath() const { return finished_ ? path_ : nullptr; }

  uint32_t Clock(uint32_t live) override;
  bool EscapeDown(bool live) override;
  void Polled(uint8_t keys[KEY_CODE_COUNT], XINPUT_GAMEPAD pads[XUSER_MAX_COUNT]) override;
  void Heard(uint32_t message) override;
  void SceneFailed() override;
  int Ask(const char* text, const char* caption, uint32_t style, bool* windowClosed) override;
  int ReplayedDraw() override { return -1; }
  void PlayRequested(bool drew) override;

 private:
  // The first lines into file_; false, after one line, when they cannot be written.
  bool Begin();
  void WriteLine(const char* text, size_t length);
  void WritePendingRun();
  void WriteState();
  void Flush();
  void Stop(const char* why);

  std::FILE* file_ = nullptr;
  char path_[4096] = {};
  bool finished_ = false;
  RecordedPass current_{};  // the pass being played
  RecordedPass run_{};      // the last pass, not yet written: like passes join it
  uint32_t runCount_ = 0;
  uint32_t runStep_ = 0;
  // A digit a pass of the run: how many milliseconds after runStep_ it came.
  char runLateBy_[MAX_RUN_PASSES + 1] = {};
  uint32_t runPrevious_ = 0;  // the clock before the run
  bool runAbsolute_ = false;
  uint32_t lastClock_ = 0;
  uint64_t passes_ = 0;
  int ticks_ = 0;              // since the last state line
  bool polled_ = false;        // in the pass being played
  bool stateWritten_ = false;  // after the last pass
  int requests_ = 0;
  bool overflow_ = false;  // a pass took more values than a line can say
  uint32_t lastFlush_ = 0;
  size_t used_ = 0;
  char buffer_[1 << 16];
  char line_[MAX_SCRIPT_LINE];
};
