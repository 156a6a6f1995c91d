#pragma once
// Plays a recorded run back: the game gets, pass by pass, the values the recording holds
// in place of the system's. A run that leaves its recording (the game asks a question
// the recording does not answer, or makes fewer play requests than drew) is told apart.
#include <cstdint>

#include "app/run_script.h"
#include "platform/system/run_tap.h"
#include "platform/system/window.h"

class RunPlayer : public RunTap {
 public:
  // How long a question shows with its recorded answer: a moment in the window, none
  // headless.
  explicit RunPlayer(uint32_t questionMs = 0) : questionMs_(questionMs) {}

  // Before a pass: its values become the game's, its scene fails to begin if it did,
  // and the window hears its messages. The pass must outlive EndPass.
  void BeginPass(const RecordedPass& pass, WindowHandle window);
  // After it: false when the game did not take the values as recorded; difference()
  // then says how.
  bool EndPass();
  const char* difference() const { return difference_; }

  uint32_t Clock(uint32_t live) override;
  bool EscapeDown(bool live) override;
  void Polled(uint8_t keys[KEY_CODE_COUNT], XINPUT_GAMEPAD pads[XUSER_MAX_COUNT]) override;
  void Heard(uint32_t) override {}
  void SceneFailed() override {}
  int Ask(const char* text, const char* caption, uint32_t style, bool* windowClosed) override;
  int ReplayedDraw() override;
  void PlayRequested(bool) override { ++request_; }

 private:
  void Differ(const char* format, int first, int second);

  uint32_t questionMs_;
  const RecordedPass* pass_ = nullptr;
  int clock_ = 0;
  int answer_ = 0;
  int request_ = 0;
  char difference_[160] = {};
};
