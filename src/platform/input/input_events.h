#pragma once
// What the keyboard, the mouse and the window's focus have done, for the input devices.
// Events are followed as SDL hands them out (pushed ones included), so the devices
// never depend on the main loop taking them off the queue.
#include <cstdint>

#include "platform/input/key_codes.h"

// Starts following events; the first start also starts SDL's event queue, and every
// start needs its stop. False, after a one-line message on standard error, when the
// events cannot be had.
bool StartInputEvents();
void StopInputEvents();

bool GameWindowHasFocus();
// Counts the losses of focus, so that a device can tell that focus went and came back
// between two of its reads.
uint32_t FocusLossCount();

// 0x80 under the code of every key that is down now or went down since the last read
// (a tap between two reads reads as down once), 0 under all others.
void ReadHeldKeys(uint8_t keys[KEY_CODE_COUNT]);
// Whether Escape went down since the last call, held or not by now.
bool TakeEscapePress();
// Taps since the last read count no more: they answered a question, not the game.
void ForgetKeyPresses();

// Steps of the wheel per notch, as the desktop counts them.
constexpr int32_t WHEEL_DELTA = 120;
// Movement and wheel since the last take, which starts the count again.
void TakeMouseMotion(int32_t* dx, int32_t* dy, int32_t* dz);
constexpr int MOUSE_BUTTON_COUNT = 4;
// Bit n is set while button n (left, right, middle, first side button) is down.
uint8_t HeldMouseButtons();
