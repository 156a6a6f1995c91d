#include "input/input.h"

bool IsKeyDown(int keyCode) {
  if (keyCode < 0 || keyCode >= KEY_CODE_COUNT) return false;
  return (keyboardState[keyCode] & 0x80) != 0;
}

int32_t GetMouseDeltaX() { return mouseState.lX; }

int32_t GetMouseDeltaY() { return mouseState.lY; }

int IsMouseButtonDown(int button) {
  if (button < 0 || button >= 4) return 0;
  return mouseState.rgbButtons[button] & 0x80;
}
