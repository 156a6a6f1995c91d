// Key, mouse and focus state kept from SDL's events. SDL's own keyboard state is not
// changed by pushed events, and the main loop takes one event per pass, so the state
// is kept here from an event watch, which sees every event as it is queued.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/input/input_events.h"
#include "platform/input/scripted_input.h"
#include "platform/system/sdl_window.h"

namespace {

int startCount = 0;
bool hasFocus = false;
uint32_t focusLosses = 0;
bool keysDown[KEY_CODE_COUNT] = {};
// Keys that went down since the last read: a tap between two ticks still reads once.
// Escape has its own, as the game asks for it apart from the other keys.
bool keysPressed[KEY_CODE_COUNT] = {};
bool escapePressed = false;
int64_t motionX = 0;
int64_t motionY = 0;
int64_t motionZ = 0;
uint8_t mouseButtons = 0;

bool IsGameWindow(Uint32 windowId) {
  SDL_Window* window = SdlGameWindow();
  return !window || SDL_GetWindowID(window) == windowId;
}

int MouseButtonIndex(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    default: return -1;
  }
}

void ReleaseEverything() {
  std::memset(keysDown, 0, sizeof keysDown);
  std::memset(keysPressed, 0, sizeof keysPressed);
  escapePressed = false;
  mouseButtons = 0;
}

int SDLCALL WatchInputEvent(void*, SDL_Event* event) {
  switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const uint8_t code = KeyCodeFromScancode(event->key.keysym.scancode);
      if (code == 0) break;
      keysDown[code] = event->type == SDL_KEYDOWN;
      if (event->type == SDL_KEYDOWN) {
        keysPressed[code] = true;
        escapePressed = escapePressed || code == DIK_ESCAPE;
      }
      break;
    }
    case SDL_MOUSEMOTION:
      motionX += event->motion.xrel;
      motionY += event->motion.yrel;
      break;
    case SDL_MOUSEWHEEL: {
      const double notches = event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED
                                 ? -event->wheel.preciseY
                                 : event->wheel.preciseY;
      motionZ += std::lround(notches * WHEEL_DELTA);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int index = MouseButtonIndex(event->button.button);
      if (index < 0) break;
      const uint8_t bit = static_cast<uint8_t>(1u << index);
      mouseButtons =
          event->type == SDL_MOUSEBUTTONDOWN ? (mouseButtons | bit) : (mouseButtons & ~bit);
      break;
    }
    case SDL_WINDOWEVENT:
      if (!IsGameWindow(event->window.windowID)) break;
      if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        hasFocus = true;
      } else if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        hasFocus = false;
        ++focusLosses;
        // Releases that happen elsewhere never reach this window.
        ReleaseEverything();
      }
      break;
    default: break;
  }
  return 1;
}

// Whatever is already true when the watch begins.
void TakeCurrentState() {
  ReleaseEverything();
  int keyCount = 0;
  const Uint8* keys = SDL_GetKeyboardState(&keyCount);
  for (int scancode = 0; keys && scancode < keyCount; ++scancode) {
    const uint8_t code = KeyCodeFromScancode(scancode);
    if (keys[scancode] && code != 0) keysDown[code] = true;
  }
  const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
  const Uint8 sdlButtons[MOUSE_BUTTON_COUNT] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT,
                                                SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
  for (int index = 0; index < MOUSE_BUTTON_COUNT; ++index) {
    if (buttons & SDL_BUTTON(sdlButtons[index])) mouseButtons |= static_cast<uint8_t>(1u << index);
  }
  SDL_Window* focus = SDL_GetKeyboardFocus();
  hasFocus = focus && IsGameWindow(SDL_GetWindowID(focus));
  motionX = motionY = motionZ = 0;
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

bool StartInputEvents() {
  if (startCount > 0) {
    ++startCount;
    return true;
  }
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: no keyboard or mouse input: SDL's events cannot start (%s)\n",
                 SDL_GetError());
    return false;
  }
  TakeCurrentState();
  SDL_AddEventWatch(WatchInputEvent, nullptr);
  startCount = 1;
  return true;
}

void StopInputEvents() {
  if (startCount == 0 || --startCount > 0) return;
  SDL_DelEventWatch(WatchInputEvent, nullptr);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  ReleaseEverything();
  hasFocus = false;
}

bool GameWindowHasFocus() {
  if (CurrentScriptedInput()) return startCount > 0;
  return startCount > 0 && hasFocus;
}

uint32_t FocusLossCount() { return focusLosses; }

void ReadHeldKeys(uint8_t keys[KEY_CODE_COUNT]) {
  if (const ScriptedInput* scripted = CurrentScriptedInput()) {
    std::memcpy(keys, scripted->keys, KEY_CODE_COUNT);
    return;
  }
  for (int code = 0; code < KEY_CODE_COUNT; ++code) {
    keys[code] = keysDown[code] || keysPressed[code] ? 0x80 : 0;
    keysPressed[code] = false;
  }
}

void ForgetKeyPresses() {
  std::memset(keysPressed, 0, sizeof keysPressed);
  escapePressed = false;
}

bool TakeEscapePress() {
  const bool pressed = escapePressed;
  escapePressed = false;
  return pressed;
}

void TakeMouseMotion(int32_t* dx, int32_t* dy, int32_t* dz) {
  *dx = ClampToInt32(motionX);
  *dy = ClampToInt32(motionY);
  *dz = ClampToInt32(motionZ);
  motionX = motionY = motionZ = 0;
}

uint8_t HeldMouseButtons() { return mouseButtons; }
