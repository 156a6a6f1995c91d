#pragma once
// A system without a screen: its messages, clock, Esc key and answers are scripted.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/system/system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"

class ScriptedSystem : public SystemDriver {
 public:
  // A message that comes in when the clock reaches `at`, while the program waits.
  struct Arrival {
    uint32_t at;
    Message message;
  };
  struct Question {
    std::string text;
    std::string caption;
    uint32_t style;
    int answer;
    bool windowClosed;
    std::string note;  // ours beside it, as set when it showed
  };

  bool windowAvailable = true;  // false: opening the window fails as with no display
  bool windowOpen = false;
  std::string windowTitle;
  int windowWidth = 0;
  int windowHeight = 0;
  std::deque<Message> messages;   // pending events, taken from the front
  std::deque<Arrival> arrivals;   // events still to come, in order of time
  std::vector<uint32_t> takenAt;  // the clock as each event was taken
  uint32_t clock = 0;             // what timeGetTime reads; a wait moves it on
  uint32_t stepPerReading = 0;    // each reading then moves it on this much (a slow pass)
  bool escapeDown = false;
  std::deque<int> answers;             // answers to the coming questions; none left: defaultAnswer
  std::deque<bool> closesWhileAsking;  // per coming question: the window is closed meanwhile
  int defaultAnswer = 0;
  bool defaultCloses = false;
  std::vector<Question> questions;      // asked, or shown with a played-back answer
  int startCardAnswer = IDYES;          // IDNO: the player ends the program on the card
  std::vector<std::string> startCards;  // the texts of the cards shown
  std::string debugOutput;
  std::vector<std::string> failures;  // lines shown in the system's box

  void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

  bool OpenWindow(const char* title, int width, int height) override;
  void CloseWindow() override;
  bool NextMessage(uint32_t* message, uintptr_t* wParam, intptr_t* lParam) override;
  uint32_t Milliseconds() override;
  bool WaitForMessage(uint32_t time) override;
  bool IsEscapeDown() override;
  int AskYesNo(const char* text, const char* caption, uint32_t style, bool* windowClosed) override;
  void ShowAnswer(const char* text, const char* caption, uint32_t style, int answer,
                  bool windowClosed, uint32_t milliseconds) override;
  int ShowStartCard(const char* text, const char* caption, bool* windowClosed) override;
  void DebugOutput(const char* text) override;
  void ShowFailure(const char* line) override;
};
