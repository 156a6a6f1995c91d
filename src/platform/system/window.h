#pragma once
// The game's one window and its message queue. Messages are taken one at a time; each
// goes to the window's procedure, as on the desktop the game was first written for.
#include <cstdint>

struct Window;
using WindowHandle = Window*;

// Message ids. Closing the window is its destruction (MSG_DESTROY).
enum : uint32_t {
  MSG_NONE = 0,
  MSG_DESTROY = 1,
  MSG_QUIT = 2,
  MSG_KEYDOWN = 3,  // wParam: platform scan code; lParam: 1 when it is a key repeat
  MSG_KEYUP = 4,    // wParam: platform scan code
  MSG_SETFOCUS = 5,
  MSG_KILLFOCUS = 6,
  MSG_SIZE = 7,   // wParam: new client width; lParam: new client height
  MSG_OTHER = 8,  // anything else the platform reported
  MSG_MINIMIZED = 9,
  MSG_RESTORED = 10,  // back from minimised (or maximised)
  MSG_PAINT = 11,     // what the window showed was lost (uncovered): draw it again
};

struct Message {
  WindowHandle window = nullptr;
  uint32_t message = MSG_NONE;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// Opens a resizable window whose client area is width × height. Returns null, after a
// one-line message on standard error, when there is no display to open it on.
WindowHandle CreateGameWindow(const char* title, int width, int height, WindowProcedure procedure);
void DestroyGameWindow(WindowHandle window);

// Takes at most one message off the queue; false when the queue is empty.
bool PeekMessage(Message* message);
// Waits until a message is pending (true) or the clock of timeGetTime reads `time`
// (false), whichever comes first; `time` must lie less than 2^31 ms ahead.
bool WaitMessageUntil(uint32_t time);
// Hands the message to its window's procedure and returns what that gives.
intptr_t DispatchMessage(const Message& message);
// Queues MSG_QUIT with the exit code as its wParam.
void PostQuitMessage(int exitCode);
// Hands MSG_DESTROY to the open window's procedure at once (a close during a modal box).
void DeliverWindowClose();
// The default handling of every message the game's procedure does not handle itself.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
