#include "record/run_player.h"

#include <cstdio>
#include <cstring>

#include "platform/gfx/render_device.h"
#include "platform/system/system.h"

void RunPlayer::BeginPass(const RecordedPass& pass, WindowHandle window) {
  pass_ = &pass;
  clock_ = 0;
  answer_ = 0;
  request_ = 0;
  difference_[0] = '\0';
  SetSceneFailing(pass.noScene);
  // As the loop's wait hands them over before the pass's frame.
  for (int i = 0; i < pass.messageCount; ++i) {
    DispatchMessage(Message{window, pass.messages[i], 0, 0});
  }
}

bool RunPlayer::EndPass() {
  if (pass_ && recording_) {
    if (answer_ < pass_->answerCount) {
      Differ("the recording answers %d questions here, the game asked %d", pass_->answerCount,
             answer_);
    }
    if (pass_->drawsNamed > request_) {
      Differ("the recording draws at play request %d, the game made %d", pass_->drawsNamed - 1,
             request_);
    }
  }
  SetSceneFailing(false);
  pass_ = nullptr;
  return difference_[0] == '\0';
}

void RunPlayer::Differ(const char* format, int first, int second) {
  if (difference_[0] == '\0') std::snprintf(difference_, sizeof difference_, format, first, second);
}

uint32_t RunPlayer::Clock(uint32_t live) {
  if (!pass_ || pass_->clockCount == 0) return live;
  const int reading = clock_ < pass_->clockCount ? clock_++ : pass_->clockCount - 1;
  return pass_->clocks[reading];
}

bool RunPlayer::EscapeDown(bool live) { return pass_ ? pass_->escape : live; }

void RunPlayer::Polled(uint8_t keys[KEY_CODE_COUNT], XINPUT_GAMEPAD pads[XUSER_MAX_COUNT]) {
  if (!pass_) return;
  std::memcpy(keys, pass_->keys, KEY_CODE_COUNT);
  for (uint32_t pad = 0; pad < XUSER_MAX_COUNT; ++pad) pads[pad] = XINPUT_GAMEPAD{};
  if (pass_->padPresent) pads[0] = pass_->pad;
}

int RunPlayer::Ask(const char* text, const char* caption, uint32_t style, bool* windowClosed) {
  PassAnswer answer = defaultAnswer_;
  if (pass_ && answer_ < pass_->answerCount) {
    answer = pass_->answers[answer_];
  } else if (recording_) {
    Differ("the game asks question %d here, the recording answers %d", answer_ + 1,
           pass_ ? pass_->answerCount : 0);
  }
  ++answer_;
  ShowAnsweredQuestion(text, caption, style, answer.answer, answer.windowClosed, questionMs_);
  *windowClosed = answer.windowClosed;
  return answer.answer;
}

int RunPlayer::ReplayedDraw() {
  if (!pass_ || !recording_) return -1;
  return PassDraws(*pass_, request_) ? 1 : 0;
}
