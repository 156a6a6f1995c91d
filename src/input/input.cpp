// The keyboard, the mouse and the pads: made for the window, read once per tick into the
// records that every question about them answers from, and let go at the end.
#include "input/input.h"

#include <cstdio>
#include <cstring>

#include "platform/system/cursor.h"
#include "platform/system/run_tap.h"

uint8_t keyboardState[KEY_CODE_COUNT] = {};
DIMOUSESTATE mouseState = {};
XINPUT_GAMEPAD gamepadStates[XUSER_MAX_COUNT] = {};

DirectInput* directInput = nullptr;
DirectInputDevice* keyboardDevice = nullptr;
DirectInputDevice* mouseDevice = nullptr;

namespace {

// Foreground, so that reads fail while the window lacks focus; shared with the rest of
// the desktop.
constexpr uint32_t INPUT_COOPERATIVE_LEVEL = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

DirectInputDevice* MakeDevice(InputDeviceType type, const DIDATAFORMAT& format, WindowHandle window,
                              const char* name) {
  DirectInputDevice* device = nullptr;
  const HRESULT hr = directInput->CreateDevice(type, &device);
  if (FAILED(hr) || !device) {
    std::fprintf(stderr, "zorbly-frondles: no %s input (error 0x%08X)\n", name,
                 static_cast<unsigned>(hr));
    return nullptr;
  }
  device->SetDataFormat(&format);
  device->SetCooperativeLevel(window, INPUT_COOPERATIVE_LEVEL);
  // Without focus this fails; every poll tries again.
  device->Acquire();
  return device;
}

void ReleaseDevice(DirectInputDevice*& device) {
  if (!device) return;
  device->Unacquire();
  device->Release();
  device = nullptr;
}

}  // namespace

bool InitInput(WindowHandle window) {
  if (directInput) return true;
  // A failure has been reported by the input object itself; the game plays on untouched.
  if (FAILED(DirectInput8Create(DIRECTINPUT_VERSION, &directInput))) directInput = nullptr;
  if (directInput) {
    keyboardDevice = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, window, "keyboard");
    mouseDevice = MakeDevice(GUID_SysMouse, c_dfDIMouse, window, "mouse");
  }
  ShowGameCursor(false);
  return true;
}

void ReleaseInput() {
  if (!directInput && !keyboardDevice && !mouseDevice) return;
  // A pad left rumbling would go on after the game has ended.
  for (uint32_t userIndex = 0; userIndex < XUSER_MAX_COUNT; ++userIndex) {
    SetGamepadVibration(userIndex, 0);
  }
  ReleaseDevice(keyboardDevice);
  ReleaseDevice(mouseDevice);
  if (directInput) {
    directInput->Release();
    directInput = nullptr;
  }
}

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
    if (XInputGetState(userIndex, &state) == ERROR_SUCCESS)
      gamepadStates[userIndex] = state.Gamepad;
  }
  // The pad's Start pauses as P does: folded into P here, so that a recording holds P
  // down and recordings from before (Start did nothing) replay as they were.
  if (gamepadStates[0].wButtons & XINPUT_GAMEPAD_START) keyboardState[DIK_P] |= 0x80;
  if (RunTap* tap = CurrentRunTap()) tap->Polled(keyboardState, gamepadStates);
}

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

bool IsGamepadAbsent() {
  XINPUT_CAPABILITIES capabilities{};
  // Whatever the call says, only a pad that answered fills in its type.
  XInputGetCapabilities(0, XINPUT_FLAG_GAMEPAD, &capabilities);
  return capabilities.Type == 0;
}

void SetGamepadVibration(uint32_t userIndex, uint16_t speed) {
  XINPUT_VIBRATION vibration{speed, speed};
  XInputSetState(userIndex, &vibration);
}
