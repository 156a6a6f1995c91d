#include "platform/system/window.h"

#include "platform/system/run_tap.h"
#include "platform/system/system_driver.h"

struct Window {
  WindowProcedure procedure = nullptr;
};

namespace {
// There is one window; the handle stays valid for the whole process.
Window gameWindow;
bool windowCreated = false;
// Messages posted by the program itself come before the system's own.
bool quitPosted = false;
int quitExitCode = 0;
}  // namespace

WindowHandle CreateGameWindow(const char* title, int width, int height, WindowProcedure procedure) {
  if (windowCreated) return nullptr;
  if (!CurrentSystemDriver().OpenWindow(title, width, height)) return nullptr;
  gameWindow.procedure = procedure;
  windowCreated = true;
  quitPosted = false;
  return &gameWindow;
}

void DestroyGameWindow(WindowHandle window) {
  if (window != &gameWindow || !windowCreated) return;
  CurrentSystemDriver().CloseWindow();
  gameWindow.procedure = nullptr;
  windowCreated = false;
}

bool PeekMessage(Message* message) {
  if (!message) return false;
  if (quitPosted) {
    quitPosted = false;
    *message = Message{nullptr, MSG_QUIT, static_cast<uintptr_t>(quitExitCode), 0};
    return true;
  }
  uint32_t id = MSG_NONE;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  if (!CurrentSystemDriver().NextMessage(&id, &wParam, &lParam)) return false;
  *message = Message{windowCreated ? &gameWindow : nullptr, id, wParam, lParam};
  return true;
}

bool WaitMessageUntil(uint32_t time) {
  return quitPosted || CurrentSystemDriver().WaitForMessage(time);
}

intptr_t DispatchMessage(const Message& message) {
  // Thread messages such as MSG_QUIT belong to no window.
  if (!message.window || !message.window->procedure) return 0;
  if (RunTap* tap = CurrentRunTap()) tap->Heard(message.message);
  return message.window->procedure(message.window, message.message, message.wParam, message.lParam);
}

void DeliverWindowClose() {
  if (windowCreated && gameWindow.procedure) {
    gameWindow.procedure(&gameWindow, MSG_DESTROY, 0, 0);
  }
}

void PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitExitCode = exitCode;
}

intptr_t DefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
  // The stand-ins that care about an event (the device, the input) see it as it arrives;
  // nothing is left for the default handling to do.
  return 0;
}
