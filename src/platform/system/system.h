#pragma once
// The small services the game asks of the system: its clock, the asynchronous key
// state, the modal question and the debugger output.
#include <cstdint>

// Milliseconds since some fixed moment; unsigned 32-bit, so it wraps after 49.7 days.
// The game's own clock: every reading passes the run's tap, so that a recording holds it
// and a playback gives it back.
uint32_t timeGetTime();
// The same clock for the loop's wait and the platform's own bookkeeping, which are no
// part of a run: a headless replay runs neither, so their readings are never recorded.
uint32_t SystemMilliseconds();

constexpr int VK_ESCAPE = 0x1B;
// Bit 0x8000 of the result is set while the key is down at this moment.
int16_t GetAsyncKeyState(int virtualKey);

// Message box styles and answers.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal question and waits for the answer (IDYES, IDNO or IDOK). A box that
// cannot be shown gives 0, which counts as No.
int MessageBox(const char* text, const char* caption, uint32_t style);
// Shows a question already answered (a played-back run's) with its answer chosen, taking
// no input, for about the given time.
void ShowAnsweredQuestion(const char* text, const char* caption, uint32_t style, int answer,
                          bool windowClosed, uint32_t milliseconds);

// Our note beside the questions that follow (a run's result, several lines), until set
// again; null or "" for none. It is no part of the question: no recording holds it.
void SetQuestionNote(const char* note);
const char* QuestionNote();

// The start card, over the picture last presented: true once the player starts, false
// when they end the program instead. Takes nothing of a run: there is none yet.
bool ShowStartCard(const char* text, const char* caption);

// Says why the program cannot go on: "zorbly-frondles: LINE" on standard error and,
// when there is a display, LINE in a system message box the player closes.
void ReportFatalError(const char* line);

// One piece of text for the developer: no line break is added.
void OutputDebugString(const char* text);
