#pragma once
// Where the window, its messages, the clock, the Esc key, the question box, the start card
// and the debugger output really come from. The SDL driver serves the game; the scripted
// driver serves tests and recorded runs. Both are installed behind the same functions
// of window.h and system.h, so the game never knows which one it talks to.
#include <cstdint>

class SystemDriver {
 public:
  virtual ~SystemDriver() = default;

  // Opens the one window; false, after a one-line message on standard error, when it
  // cannot be opened.
  virtual bool OpenWindow(const char* title, int width, int height) = 0;
  virtual void CloseWindow() = 0;
  // Takes at most one pending event; false when there is none.
  virtual bool NextMessage(uint32_t* message, uintptr_t* wParam, intptr_t* lParam) = 0;
  virtual uint32_t Milliseconds() = 0;
  // True as soon as an event is pending; false once Milliseconds() reads `time` (at once
  // when it already has), and no later than that millisecond's first moment allows.
  // `time` is less than 2^31 ms ahead.
  virtual bool WaitForMessage(uint32_t time) = 0;
  virtual bool IsEscapeDown() = 0;
  // Sets *windowClosed when the game's window was closed while the question showed.
  virtual int AskYesNo(const char* text, const char* caption, uint32_t style,
                       bool* windowClosed) = 0;
  // The question with its answer chosen, taking no input, for about `milliseconds`.
  virtual void ShowAnswer(const char* text, const char* caption, uint32_t style, int answer,
                          bool windowClosed, uint32_t milliseconds) = 0;
  // Our start card over the picture last presented, until the player starts (IDYES) or
  // ends the program (IDNO; *windowClosed when by closing the window). No run's value.
  virtual int ShowStartCard(const char* text, const char* caption, bool* windowClosed) = 0;
  virtual void DebugOutput(const char* text) = 0;
  // The line that ends the program, in the system's own message box when there is a
  // display to show it on; the caller has already written it to standard error.
  virtual void ShowFailure(const char* line) = 0;
};

// Installs a driver and returns the one it replaces; null puts back the SDL driver.
SystemDriver* SetSystemDriver(SystemDriver* driver);
SystemDriver& CurrentSystemDriver();
SystemDriver& SdlSystemDriver();
