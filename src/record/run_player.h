#pragma once
// Plays a run back: the game gets, pass by pass, the values the run's text holds in place
// of the system's. A recording answers every question the game asks and names every play
// request that drew; a run that leaves it (a question it does not answer, fewer play
// requests than drew) is told apart. A hand-written script leaves its unanswered
// questions to a default answer and its draws to the voices themselves.
#include <cstdint>

#include "platform/system/run_tap.h"
#include "platform/system/system.h"
#include "platform/system/window.h"
#include "record/recorded_pass.h"

class RunPlayer : public RunTap {
 public:
  // How long a question shows with its answer: a moment in the window, none headless.
  explicit RunPlayer(bool recording = true, uint32_t questionMs = 0)
      : recording_(recording), questionMs_(questionMs) {}

  // A script's answer to the questions its passes do not answer; no at first.
  void SetDefaultAnswer(const PassAnswer& answer) { defaultAnswer_ = answer; }

  // Before a pass: its values become the game's, its scene fails to begin if it did,
  // and the window hears its messages. The pass must outlive EndPass.
  void BeginPass(const RecordedPass& pass, WindowHandle window);
  // After it: false when the game did not take a recording's values as recorded;
  // difference() then says how.
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

  bool recording_;
  uint32_t questionMs_;
  PassAnswer defaultAnswer_{IDNO, false};
  const RecordedPass* pass_ = nullptr;
  int clock_ = 0;
  int answer_ = 0;
  int request_ = 0;
  char difference_[160] = {};
};
