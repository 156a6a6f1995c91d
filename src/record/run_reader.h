#pragma once
// The one reader of a run's text, a recording or a hand-written script alike: it checks
// the whole text before anything runs, each problem in one line naming its line, then
// yields the passes one at a time (each of a run line's in turn), the state lines and
// the script's own commands, in order. Nothing is copied: the text outlives the reader.
#include <cstddef>
#include <cstdint>

#include "record/run_lines.h"
#include "record/run_text.h"

// The most of a recording read: ten minutes of play take some 300 KB, so a larger file is
// no run of the game (an endless device, a file that was never one).
constexpr size_t MAX_RECORDING_BYTES = size_t{256} << 20;

enum class RunItemKind { Pass, State, Command };

struct RunItem {
  RunItemKind kind;
  int lineNumber;
  uint64_t passNumber;       // Pass: counted from 1; State: the pass it follows
  const RecordedPass* pass;  // Pass: its values, until the next item
  Text text;                 // State: its fields; Command: the line up to its comment
};

// A script's own commands (zf-replay's), checked with the rest before anything runs.
class ScriptCommands {
 public:
  virtual ~ScriptCommands() = default;
  virtual bool Takes(Text command) const = 0;
  // `first`: only the version line comes before it. False with a one-line problem.
  virtual bool Check(Text command, Words arguments, bool first, char* problem, size_t size) = 0;
};

class RunReader {
 public:
  // Takes the text and checks every line: false, with problem() "line N: …", at the
  // first damaged line or for a version other than 1 and 2. A recording's last line cut
  // short (no newline) is left out, as a crash or a full disk leaves it. A command no
  // run holds is damage unless `commands` takes it.
  bool Open(const char* data, size_t size, ScriptCommands* commands = nullptr);
  // The next item of the text Open took; false after the last.
  bool Next(RunItem* item);

  // 1 for a hand-written script (no "zfr N" first line), 2 for a recording; known even
  // when Open fails.
  int version() const { return version_; }
  uint64_t passes() const { return checkedPasses_; }  // the passes the text holds
  // The clocks of its first and last passes (0 without any): the run's span.
  uint32_t firstClock() const { return firstClock_; }
  uint32_t lastClock() const { return lastClock_; }
  bool ended() const { return ended_; }     // a recording whose end line came
  int cutLine() const { return cutLine_; }  // the line left out, 0 for none
  const char* problem() const { return problem_; }

 private:
  enum class LineKind { Blank, Version, Pass, State, End, Command };
  struct Line {
    LineKind kind;
    int number;
    PassLine passes;     // Pass
    uint64_t statePass;  // State
    Text text;           // State: the fields; Command: the line
  };
  // Where a walk through the text stands.
  struct Walk {
    size_t offset = 0;
    int lineNumber = 0;
    uint32_t clock = 0;  // the last pass's
    uint64_t passes = 0;
    uint32_t firstClock = 0;  // the first pass's
    bool ended = false;
    bool first = true;  // nothing but the version line read yet
  };

  int VersionNamed() const;
  // Reads the walk's next line; false at the text's end, or with problem_ set.
  bool ReadLine(Walk* walk, Line* line);
  bool ParseLine(Text text, const Walk& walk, Line* line, char* problem, size_t size);
  bool Refuse(int lineNumber, const char* what);

  const char* data_ = nullptr;
  size_t size_ = 0;
  ScriptCommands* commands_ = nullptr;
  int version_ = 1;
  uint64_t checkedPasses_ = 0;
  uint32_t firstClock_ = 0;
  uint32_t lastClock_ = 0;
  bool ended_ = false;
  int cutLine_ = 0;
  char problem_[400] = {};

  Walk walk_;               // Next's
  Line line_{};             // the line Next yields from
  uint32_t runPass_ = 0;    // of line_'s passes, the next to yield
  uint32_t lineClock_ = 0;  // the clock of the pass yielded last
  uint64_t passNumber_ = 0;
};
