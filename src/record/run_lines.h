#pragma once
// The lines of a run's text that say what passes took: "pass C[,C…] OPTIONS" for one
// pass and "run COUNT +D[:DIGITS] OPTIONS" for a run of like passes, read and written here
// alone (tools/replay/README.md describes them). Hand-written scripts are version 1; a
// recording names version 2 on its first line ("zfr 2") and may say more: several clock
// readings and window messages in one pass, and the play requests that drew from the
// random sequence. Nothing here allocates: a played-back run reads a line a pass.
#include <cstddef>
#include <cstdint>

#include "record/recorded_pass.h"
#include "record/run_text.h"

constexpr int RUN_FORMAT_VERSION = 2;
constexpr const char* RUN_FORMAT_TAG = "zfr";
// The longest line a recording holds; longer ones are damage.
constexpr size_t MAX_SCRIPT_LINE = 16384;
// A recording holds the world's state after every this many ticks (a second or so, at any
// frame rate), and its runs hold at most so many passes.
constexpr int STATE_EVERY_TICKS = 60;
constexpr uint32_t MAX_RUN_PASSES = 60;
// A hand-written script's run line stands for a stretch of play with the same input: at
// most an hour of ticks. A longer one, or a recording's over MAX_RUN_PASSES, cannot have
// been played and is damage (a day's worth would replay for hours).
constexpr uint32_t MAX_SCRIPT_RUN_PASSES = 240000;

struct PassLine {
  bool run;            // a run line, not a pass line
  RecordedPass pass;   // a run line's: its first pass
  uint32_t count;      // 1 for a pass line
  uint32_t step;       // a run line's clock step from pass to pass
  const char* lateBy;  // a run line's digit a pass, the milliseconds each came after its
                       // step ("+15:0110"); null when none came late
};

// Reads the rest of a line that began with "pass" or "run" (`command`), the clocks
// relative to previousClock; false with a one-line problem.
bool ReadPassLine(Text command, Words words, int version, uint32_t previousClock, PassLine* line,
                  char* problem, size_t problemSize);
// The clock's step to pass n (from 0) of a run line.
uint32_t RunPassStep(const PassLine& line, uint32_t n);
// The clock after the last pass of a line, from the clock before its first.
uint32_t ClockAfterLine(const PassLine& line, uint32_t previousClock);

// Writes the pass as "pass C[,C…] OPTIONS", or for count > 1 as "run COUNT +D OPTIONS"
// with lateBy (count digits, or null) after the step when one is not 0; the first clock
// absolute when `absolute`, else relative to previousClock. The clocks after the first
// are relative to the one before. Returns the length, 0 when it does not fit.
size_t WritePassLine(const RecordedPass& pass, bool absolute, uint32_t previousClock,
                     uint32_t count, const char* lateBy, char* out, size_t size);
