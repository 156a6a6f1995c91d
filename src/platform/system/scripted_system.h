#pragma once
// A system without a screen: its messages, clock, Esc key and answers are scripted.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/system/system_driver.h"
#include "platform/system/window.h"

class ScriptedSystem : public SystemDriver {
 public:
  struct Question {
    std::string text;
    std::string caption;
    uint32_t style;
    int answer;
    bool windowClosed;
  };

  bool windowAvailable = true;  // false: opening the window fails as with no display
  bool windowOpen = false;
  std::string windowTitle;
  int windowWidth = 0;
  int windowHeight = 0;
  std::deque<Message> messages;  // pending events, taken from the front
  uint32_t clock = 0;            // what timeGetTime reads
  bool escapeDown = false;
  std::deque<int> answers;       // answers to the coming questions; none left: defaultAnswer
  std::deque<bool> closesWhileAsking;  // per coming question: the window is closed meanwhile
  int defaultAnswer = 0;
  bool defaultCloses = false;
  std::vector<Question> questions;
  std::string debugOutput;

  void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

  bool OpenWindow(const char* title, int width, int height) override;
  void CloseWindow() override;
  bool NextMessage(uint32_t* message, uintptr_t* wParam, intptr_t* lParam) override;
  uint32_t Milliseconds() override;
  bool IsEscapeDown() override;
  int AskYesNo(const char* text, const char* caption, uint32_t style,
               bool* windowClosed) override;
  void DebugOutput(const char* text) override;
};
