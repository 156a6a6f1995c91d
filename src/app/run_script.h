#pragma once
// A run as text, in the script format of zf-replay (tools/replay/README.md): what each
// pass of the main loop took from outside, one line a pass or one line for a run of
// passes alike. Hand-written scripts are version 1; a recording names version 2 on its
// first line ("zfr 2") and may say more: several clock readings and window messages in
// one pass, the play requests that drew from the random sequence, the world's state now
// and then, and its end. Nothing here allocates: a played-back run reads a line a pass.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/input/key_codes.h"
#include "platform/input/xinput.h"

constexpr int RUN_FORMAT_VERSION = 2;
constexpr const char* RUN_FORMAT_TAG = "zfr";
// The longest line a recording holds; longer ones are damage.
constexpr size_t MAX_SCRIPT_LINE = 16384;
constexpr int MAX_PASS_CLOCKS = 16;
constexpr int MAX_PASS_MESSAGES = 32;
constexpr int MAX_PASS_ANSWERS = 8;
// Play requests a pass may name as drawing; the game makes a few hundred at most.
constexpr int MAX_PASS_REQUESTS = 2048;
// A recording holds the world's state after every this many ticks (a second or so, at any
// frame rate), and its runs hold at most so many passes.
constexpr int STATE_EVERY_TICKS = 60;
constexpr uint32_t MAX_RUN_PASSES = 60;

struct PassAnswer {
  int answer;          // IDYES or IDNO
  bool windowClosed;   // the window was closed while the question showed
};

// Everything one pass took from outside.
struct RecordedPass {
  // The clock's readings in order; readings past the last give the last again.
  uint32_t clocks[MAX_PASS_CLOCKS];
  int clockCount;
  uint8_t keys[KEY_CODE_COUNT];  // 0x80 under each key held at the poll
  bool escape;                   // the Esc key read down during the pass
  bool padPresent;
  XINPUT_GAMEPAD pad;            // gamepad 0's record at the poll
  uint32_t messages[MAX_PASS_MESSAGES];  // heard by the window before the frame, in order
  int messageCount;
  PassAnswer answers[MAX_PASS_ANSWERS];
  int answerCount;
  bool noScene;  // the scene could not begin
  bool dump;     // zf-replay prints every record after the pass
  uint8_t draws[MAX_PASS_REQUESTS / 8];  // a bit for each play request that drew
  int drawsNamed;  // one past the last request that drew
};

// "yes", "no", "yes+close" or "no+close".
bool ParseAnswer(std::string_view text, PassAnswer* answer);

void ClearPass(RecordedPass* pass);
bool PassDraws(const RecordedPass& pass, int request);
void SetPassDraws(RecordedPass* pass, int request);
// Same values but the clocks: whether two passes can share one "run" line.
bool SameInputs(const RecordedPass& a, const RecordedPass& b);

enum class ScriptLineKind { Blank, Version, Pass, Run, State, End, Other };

struct ScriptLine {
  ScriptLineKind kind;
  RecordedPass pass;       // Pass and Run: the pass (each of the run's)
  uint32_t count;          // Run: how many passes
  uint32_t step;           // Run: the clock's step from pass to pass
  const char* lateBy;      // Run: a digit a pass, the milliseconds it came after its step
                           // (format 2, "+15:0110"); null when none came late
  int version;             // Version: the number named
  uint64_t statePass;      // State: the pass it follows
  const char* stateText;   // State: its fields, within the line given
  size_t stateLength;
  const char* command;     // Other: the first word, within the line given
  size_t commandLength;
};

// The clock's step to pass n (from 0) of a run line.
uint32_t RunPassStep(const ScriptLine& line, uint32_t n);
// The clock after the last pass of a run line, from the clock before its first.
uint32_t ClockAfterRun(const ScriptLine& line, uint32_t previousClock);

// Reads one line (without its newline) of a script of the version. previousClock is the
// last pass's clock, for "+D". Other: a first word this reader does not know (zf-replay
// has commands of its own). False with a one-line problem.
bool ParseScriptLine(const char* line, size_t length, int version, uint32_t previousClock,
                     ScriptLine* parsed, char* problem, size_t problemSize);

// Writes the pass as "pass C[,C…] OPTIONS", or for count > 1 as "run COUNT +D OPTIONS",
// with lateBy (count digits, or null) after the step when one is not 0;
// the first clock absolute when `absolute`, else relative to previousClock. The clocks
// after the first are relative to the one before; readings repeating the last are left
// out. Returns the length, 0 when it does not fit.
size_t FormatPass(const RecordedPass& pass, bool absolute, uint32_t previousClock, uint32_t count,
                  const char* lateBy, char* out, size_t size);
// The clocks to write: readings repeating the last one are left out.
int WrittenClocks(const RecordedPass& pass);

// The world's numbers as a state line holds them and zf-replay prints them: "score=…
// health=… energy=… wl=… mode=… prev=… paused=… quit=… lastShot=… rumble=… scroll=… px=…
// py=… proj=… live=… sauced=… rand=…". Returns the length.
size_t FormatWorldState(char* out, size_t size);

// Compares a state line's fields, by name, with the world's (FormatWorldState's text).
// False, with the first field that differs ("score=4, recorded 3"), when they differ.
bool SameState(const char* recorded, size_t recordedLength, const char* now, char* difference,
               size_t size);

// The lines of a script in memory, one at a time.
struct ScriptCursor {
  const char* data;
  size_t size;
  size_t offset;
  int lineNumber;
};
// The next line without its newline; *cut when it is the last and has no newline.
bool NextScriptLine(ScriptCursor* cursor, const char** line, size_t* length, bool* cut);
// The version a script's first line names; 1 when it names none.
int ScriptVersionOf(const char* data, size_t size);

// A whole recording read before it is played, as --replay and the fuzzer read it.
struct ScriptCheck {
  int version;
  uint64_t passes;   // passes it holds
  bool ended;        // it ends with its end line
  int cutLine;       // the line cut short and left out, 0 for none
  char problem[200]; // "line N: …" when refused
};
// False at the first damaged line, or for a version other than 1 and 2. A last line cut
// short (no newline) is left out, as a crash or a full disk leaves it.
bool CheckRecording(const char* data, size_t size, ScriptCheck* check);
