#include <cstdio>

#include "input/input.h"
#include "platform/system/cursor.h"

DirectInput* directInput = nullptr;
DirectInputDevice* keyboardDevice = nullptr;
DirectInputDevice* mouseDevice = nullptr;

namespace {

// Foreground, so that reads fail while the window lacks focus; shared with the rest of
// the desktop.
constexpr uint32_t INPUT_COOPERATIVE_LEVEL = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

DirectInputDevice* MakeDevice(InputDeviceType type, const DIDATAFORMAT& format,
                              WindowHandle window, const char* name) {
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
