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
  return true;
}

uint32_t ScriptedSystem::Milliseconds() { return clock; }

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
  questions.push_back(Question{text ? text : "", caption ? caption : "", style, answer, closes});
  return answer;
}

void ScriptedSystem::DebugOutput(const char* text) {
  if (text) debugOutput += text;
}
