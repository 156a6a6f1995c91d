#pragma once
// A keyboard and gamepads without hardware: what a test or a recorded run holds down.
// While one is installed, the input devices read it instead of the real ones, and the
// game's window counts as having the keyboard focus.
#include <cstdint>

#include "platform/input/key_codes.h"
#include "platform/input/xinput.h"

struct ScriptedInput {
  uint8_t keys[KEY_CODE_COUNT] = {};  // 0x80 under each key held now
  bool padConnected[XUSER_MAX_COUNT] = {};
  XINPUT_GAMEPAD pads[XUSER_MAX_COUNT] = {};
  uint32_t padPackets[XUSER_MAX_COUNT] = {};
  XINPUT_VIBRATION vibration[XUSER_MAX_COUNT] = {};  // the last speeds asked for, pad or not
};

// Installs scripted input and returns the one it replaces; null puts back the devices.
ScriptedInput* SetScriptedInput(ScriptedInput* input);
ScriptedInput* CurrentScriptedInput();
