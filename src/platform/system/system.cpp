#include "platform/system/system.h"

#include <cstdio>
#include <string>

#include "platform/system/run_tap.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"

uint32_t SystemMilliseconds() { return CurrentSystemDriver().Milliseconds(); }

uint32_t timeGetTime() {
  const uint32_t live = SystemMilliseconds();
  RunTap* tap = CurrentRunTap();
  return tap ? tap->Clock(live) : live;
}

int16_t GetAsyncKeyState(int virtualKey) {
  if (virtualKey != VK_ESCAPE) return 0;
  bool down = CurrentSystemDriver().IsEscapeDown();
  if (RunTap* tap = CurrentRunTap()) down = tap->EscapeDown(down);
  return down ? static_cast<int16_t>(0x8000) : 0;
}

int MessageBox(const char* text, const char* caption, uint32_t style) {
  bool windowClosed = false;
  RunTap* tap = CurrentRunTap();
  const int answer = tap ? tap->Ask(text, caption, style, &windowClosed)
                         : CurrentSystemDriver().AskYesNo(text, caption, style, &windowClosed);
  // A modal box keeps handing the window its messages: a close while it showed reaches
  // the window's procedure before the answer does.
  if (windowClosed) DeliverWindowClose();
  return answer;
}

void ShowAnsweredQuestion(const char* text, const char* caption, uint32_t style, int answer,
                          bool windowClosed, uint32_t milliseconds) {
  CurrentSystemDriver().ShowAnswer(text ? text : "", caption ? caption : "", style, answer,
                                   windowClosed, milliseconds);
}

namespace {
std::string questionNote;
}  // namespace

void SetQuestionNote(const char* note) { questionNote = note ? note : ""; }

const char* QuestionNote() { return questionNote.c_str(); }

bool ShowStartCard(const char* text, const char* caption) {
  bool windowClosed = false;
  return CurrentSystemDriver().ShowStartCard(text ? text : "", caption ? caption : "",
                                             &windowClosed) == IDYES;
}

void ReportFatalError(const char* line) {
  if (!line) return;
  std::fprintf(stderr, "zorbly-frondles: %s\n", line);
  std::fflush(stderr);
  CurrentSystemDriver().ShowFailure(line);
}

void OutputDebugString(const char* text) {
  if (text) CurrentSystemDriver().DebugOutput(text);
}

namespace {
SystemDriver* installedDriver = nullptr;
}  // namespace

SystemDriver* SetSystemDriver(SystemDriver* driver) {
  SystemDriver* previous = installedDriver ? installedDriver : &SdlSystemDriver();
  installedDriver = driver;
  return previous;
}

SystemDriver& CurrentSystemDriver() {
  return installedDriver ? *installedDriver : SdlSystemDriver();
}
