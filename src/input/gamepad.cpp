#include "input/input.h"

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
