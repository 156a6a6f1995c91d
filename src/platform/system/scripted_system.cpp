#include "platform/system/scripted_system.h"

void ScriptedSystem::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  messages.push_back(Message{nullptr, message, wParam, lParam});
}

bool ScriptedSystem::OpenWindow(const char* title, int width, int height) {
  if (!windowAvailable) return false;
  windowOpen = true;
  windowTitle = title;
  windowWidth = width;
  windowHeight = height;
  return true;
}

void ScriptedSystem::CloseWindow() { windowOpen = false; }

bool ScriptedSystem::NextMessage(uint32_t* message, uintptr_t* wParam, intptr_t* lParam) {
  if (messages.empty()) return false;
  const Message& next = messages.front();
  *message = next.message;
  *wParam = next.wParam;
  *lParam = next.lParam;
  messages.pop_front();
  takenAt.push_back(clock);
  return true;
}

uint32_t ScriptedSystem::Milliseconds() {
  const uint32_t now = clock;
  clock += stepPerReading;
  return now;
}

bool ScriptedSystem::WaitForMessage(uint32_t time) {
  const auto reached = [](uint32_t now, uint32_t when) {
    return static_cast<int32_t>(now - when) >= 0;
  };
  if (!messages.empty()) return true;
  if (reached(clock, time)) return false;
  if (!arrivals.empty() && reached(time, arrivals.front().at)) {
    if (!reached(clock, arrivals.front().at)) clock = arrivals.front().at;
    messages.push_back(arrivals.front().message);
    arrivals.pop_front();
    return true;
  }
  clock = time;
  return false;
}

bool ScriptedSystem::IsEscapeDown() { return escapeDown; }

int ScriptedSystem::AskYesNo(const char* text, const char* caption, uint32_t style,
                             bool* windowClosed) {
  int answer = defaultAnswer;
  bool closes = defaultCloses;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
    closes = false;
  }
  if (!closesWhileAsking.empty()) {
    closes = closesWhileAsking.front();
    closesWhileAsking.pop_front();
  }
  if (windowClosed) *windowClosed = closes && windowOpen;
  questions.push_back(
      Question{text ? text : "", caption ? caption : "", style, answer, closes, QuestionNote()});
  return answer;
}

void ScriptedSystem::ShowAnswer(const char* text, const char* caption, uint32_t style, int answer,
                                bool windowClosed, uint32_t) {
  questions.push_back(Question{text, caption, style, answer, windowClosed, QuestionNote()});
}

int ScriptedSystem::ShowStartCard(const char* text, const char*, bool* windowClosed) {
  startCards.push_back(text);
  *windowClosed = false;
  return startCardAnswer;
}

void ScriptedSystem::DebugOutput(const char* text) {
  if (text) debugOutput += text;
}

void ScriptedSystem::ShowFailure(const char* line) { failures.push_back(line ? line : ""); }
