#pragma once
// What one pass of the main loop took from outside: the record a recording holds a line
// of, a playback hands back to the game, and a hand-written script is read into.
#include <cstddef>
#include <cstdint>

#include "platform/input/key_codes.h"
#include "platform/input/xinput.h"
#include "record/run_text.h"

constexpr int MAX_PASS_CLOCKS = 16;
constexpr int MAX_PASS_MESSAGES = 32;
constexpr int MAX_PASS_ANSWERS = 8;
// Play requests a pass may name as drawing; the game makes a few hundred at most.
constexpr int MAX_PASS_REQUESTS = 2048;

struct RecordedPass {
  // The clock's readings in order; readings past the last give the last again.
  uint32_t clocks[MAX_PASS_CLOCKS];
  int clockCount;
  uint8_t keys[KEY_CODE_COUNT];  // 0x80 under each key held at the poll
  bool escape;                   // the Esc key read down during the pass
  bool padPresent;
  XINPUT_GAMEPAD pad;                    // gamepad 0's record at the poll
  uint32_t messages[MAX_PASS_MESSAGES];  // heard by the window before the frame, in order
  int messageCount;
  PassAnswer answers[MAX_PASS_ANSWERS];
  int answerCount;
  bool noScene;                          // the scene could not begin
  bool dump;                             // zf-replay prints every record after the pass
  uint8_t draws[MAX_PASS_REQUESTS / 8];  // a bit for each play request that drew
  int drawsNamed;                        // one past the last request that drew
};

void ClearPass(RecordedPass* pass);
bool PassDraws(const RecordedPass& pass, int request);
void SetPassDraws(RecordedPass* pass, int request);
// Same values but the clocks: whether two passes can share one "run" line.
bool SameInputs(const RecordedPass& a, const RecordedPass& b);
// The clocks a line writes: readings repeating the last one are left out.
int WrittenClocks(const RecordedPass& pass);
