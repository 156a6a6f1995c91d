#include <cstring>

#include "input/input.h"
#include "platform/system/run_tap.h"

uint8_t keyboardState[KEY_CODE_COUNT] = {};
DIMOUSESTATE mouseState = {};
XINPUT_GAMEPAD gamepadStates[XUSER_MAX_COUNT] = {};

void PollInput() {
  // A read that fails (the window lacks focus) costs one Acquire, and what it could not
  // read counts as released: no key held while the player looks elsewhere stays down.
  if (mouseDevice) {
    mouseDevice->Poll();
    if (FAILED(mouseDevice->GetDeviceState(sizeof mouseState, &mouseState))) {
      mouseState = DIMOUSESTATE{};
      mouseDevice->Acquire();
    }
  } else {
    mouseState = DIMOUSESTATE{};
  }

  if (keyboardDevice) {
    keyboardDevice->Poll();
    if (FAILED(keyboardDevice->GetDeviceState(sizeof keyboardState, keyboardState))) {
      std::memset(keyboardState, 0, sizeof keyboardState);
      keyboardDevice->Acquire();
    }
  } else {
    std::memset(keyboardState, 0, sizeof keyboardState);
  }

  for (uint32_t userIndex = 0; userIndex < XUSER_MAX_COUNT; ++userIndex) {
    gamepadStates[userIndex] = XINPUT_GAMEPAD{};
    XINPUT_STATE state{};
    if (XInputGetState(userIndex, &state) == ERROR_SUCCESS) gamepadStates[userIndex] = state.Gamepad;
  }
  if (RunTap* tap = CurrentRunTap()) tap->Polled(keyboardState, gamepadStates);
}
