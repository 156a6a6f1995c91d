#pragma once
// Where the window, its messages, the clock, the Esc key, the question box and the
// debugger output really come from. The SDL driver serves the game; the scripted
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
  virtual bool IsEscapeDown() = 0;
  // Sets *windowClosed when the game's window was closed while the question showed.
  virtual int AskYesNo(const char* text, const char* caption, uint32_t style,
                       bool* windowClosed) = 0;
  virtual void DebugOutput(const char* text) = 0;
};

// Installs a driver and returns the one it replaces; null puts back the SDL driver.
SystemDriver* SetSystemDriver(SystemDriver* driver);
SystemDriver& CurrentSystemDriver();
SystemDriver& SdlSystemDriver();
