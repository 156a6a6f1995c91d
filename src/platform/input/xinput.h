#pragma once
// Up to four gamepads of the standard layout, each at a user index 0 to 3, read whole
// and made to rumble. Pads come and go while the game runs: one plugged in takes a free
// index, one pulled out stops answering.
#include <cstdint>

constexpr uint32_t XUSER_MAX_COUNT = 4;

constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_BAD_ARGUMENTS = 160;
constexpr uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;

// Bits of XINPUT_GAMEPAD::wButtons; A, B, X and Y go by position (bottom, right, left,
// top of the four face buttons), whatever is printed on them.
constexpr uint16_t XINPUT_GAMEPAD_DPAD_UP = 0x0001;
constexpr uint16_t XINPUT_GAMEPAD_DPAD_DOWN = 0x0002;
constexpr uint16_t XINPUT_GAMEPAD_DPAD_LEFT = 0x0004;
constexpr uint16_t XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008;
constexpr uint16_t XINPUT_GAMEPAD_START = 0x0010;
constexpr uint16_t XINPUT_GAMEPAD_BACK = 0x0020;
constexpr uint16_t XINPUT_GAMEPAD_LEFT_THUMB = 0x0040;
constexpr uint16_t XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080;
constexpr uint16_t XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100;
constexpr uint16_t XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200;
constexpr uint16_t XINPUT_GAMEPAD_A = 0x1000;
constexpr uint16_t XINPUT_GAMEPAD_B = 0x2000;
constexpr uint16_t XINPUT_GAMEPAD_X = 0x4000;
constexpr uint16_t XINPUT_GAMEPAD_Y = 0x8000;

constexpr uint32_t XINPUT_FLAG_GAMEPAD = 0x1;
constexpr uint8_t XINPUT_DEVTYPE_GAMEPAD = 1;
constexpr uint8_t XINPUT_DEVSUBTYPE_GAMEPAD = 1;

struct XINPUT_GAMEPAD {
  uint16_t wButtons;
  uint8_t bLeftTrigger;  // 0 released to 255 fully pulled
  uint8_t bRightTrigger;
  int16_t sThumbLX;  // -32768 to 32767; positive X is right, positive Y is up
  int16_t sThumbLY;
  int16_t sThumbRX;
  int16_t sThumbRY;
};
static_assert(sizeof(XINPUT_GAMEPAD) == 12);

struct XINPUT_STATE {
  uint32_t dwPacketNumber;  // changes whenever the pad's state has changed
  XINPUT_GAMEPAD Gamepad;
};

struct XINPUT_VIBRATION {
  uint16_t wLeftMotorSpeed;   // the heavy motor; 0 off to 65535 strongest
  uint16_t wRightMotorSpeed;  // the light motor
};

struct XINPUT_CAPABILITIES {
  uint8_t Type;
  uint8_t SubType;
  uint16_t Flags;
  XINPUT_GAMEPAD Gamepad;      // which buttons and axes the pad has, as set bits
  XINPUT_VIBRATION Vibration;  // which motors it has
};
static_assert(sizeof(XINPUT_CAPABILITIES) == 20);

// ERROR_SUCCESS with the pad's state, ERROR_DEVICE_NOT_CONNECTED when no pad is at the
// index, ERROR_BAD_ARGUMENTS for an index past 3 or no record.
uint32_t XInputGetState(uint32_t dwUserIndex, XINPUT_STATE* pState);
// Runs both motors at the given speeds until the next call for that pad.
uint32_t XInputSetState(uint32_t dwUserIndex, XINPUT_VIBRATION* pVibration);
// dwFlags is 0 or XINPUT_FLAG_GAMEPAD; the record is left alone when nothing answers.
uint32_t XInputGetCapabilities(uint32_t dwUserIndex, uint32_t dwFlags,
                               XINPUT_CAPABILITIES* pCapabilities);
