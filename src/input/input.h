#pragma once
// The keyboard, the mouse and up to four gamepads, read once per tick into the records
// below, so that the game may ask about them as often as it likes without asking the
// system. Before the first poll everything reads up, released and centred. src/input
// uses only the platform.
#include <cstdint>

#include "platform/input/direct_input.h"
#include "platform/input/key_codes.h"
#include "platform/input/xinput.h"
#include "platform/system/window.h"

// 0x80 set under the code of each key that was down at the last poll.
extern uint8_t keyboardState[KEY_CODE_COUNT];
extern DIMOUSESTATE mouseState;
// By user index; all zeros for a slot whose pad did not answer at the last poll.
extern XINPUT_GAMEPAD gamepadStates[XUSER_MAX_COUNT];

// Null before InitInput and after ReleaseInput.
extern DirectInput* directInput;
extern DirectInputDevice* keyboardDevice;
extern DirectInputDevice* mouseDevice;

// Makes and acquires the keyboard and the mouse for the window and hides the pointer.
// Always true: a device that cannot be made reads as untouched.
bool InitInput(WindowHandle window);
// Refreshes mouseState, keyboardState and all four gamepadStates. A device that
// cannot be read (the window lacks focus) reads as untouched and is acquired again.
void PollInput();
bool IsKeyDown(int keyCode);
int32_t GetMouseDeltaX();
int32_t GetMouseDeltaY();
// 128 while button 0 to 3 (left, right, middle, first side button) was down, else 0.
int IsMouseButtonDown(int button);
// True when no gamepad answers at user index 0.
bool IsGamepadAbsent();
// Runs both motors of the pad at the user index at the speed (0 stops, 65535 is the
// strongest) until the next call. Without a pad there, nothing happens.
void SetGamepadVibration(uint32_t userIndex, uint16_t speed);
// Stops the motors, releases both devices and then the input object; a second call
// does nothing.
void ReleaseInput();
