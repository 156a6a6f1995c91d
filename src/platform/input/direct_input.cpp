#include "platform/input/direct_input.h"

#include <cstring>
#include <new>

#include "platform/input/input_events.h"

HRESULT DirectInput8Create(uint32_t version, DirectInput** directInput) {
  if (!directInput) return DIERR_INVALIDPARAM;
  *directInput = nullptr;
  if (version != DIRECTINPUT_VERSION) return DIERR_INVALIDPARAM;
  if (!StartInputEvents()) return DIERR_NOTINITIALIZED;
  DirectInput* object = new (std::nothrow) DirectInput();
  if (!object) {
    StopInputEvents();
    return DIERR_OUTOFMEMORY;
  }
  *directInput = object;
  return DI_OK;
}

HRESULT DirectInput::CreateDevice(InputDeviceType type, DirectInputDevice** device) {
  if (!device) return DIERR_INVALIDPARAM;
  *device = new (std::nothrow) DirectInputDevice(type);
  if (!*device) return DIERR_OUTOFMEMORY;
  // A device needs the events for as long as it lives, even past its input object.
  StartInputEvents();
  return DI_OK;
}

void DirectInput::Release() {
  StopInputEvents();
  delete this;
}

HRESULT DirectInputDevice::SetDataFormat(const DIDATAFORMAT* format) {
  if (!format || format->type != type_) return DIERR_INVALIDPARAM;
  if (acquired_) return DIERR_ACQUIRED;
  hasFormat_ = true;
  return DI_OK;
}

HRESULT DirectInputDevice::SetCooperativeLevel(WindowHandle window, uint32_t flags) {
  const uint32_t sharing = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
  const uint32_t when = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
  if (sharing == 0 || sharing == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
  if (when == 0 || when == (DISCL_FOREGROUND | DISCL_BACKGROUND)) return DIERR_INVALIDPARAM;
  if (!window && when == DISCL_FOREGROUND) return DIERR_INVALIDPARAM;
  if (acquired_) return DIERR_ACQUIRED;
  foreground_ = when == DISCL_FOREGROUND;
  return DI_OK;
}

bool DirectInputDevice::LostFocus() const {
  return foreground_ && (!GameWindowHasFocus() || FocusLossCount() != focusLossesAtAcquire_);
}

HRESULT DirectInputDevice::Acquire() {
  if (!hasFormat_) return DIERR_INVALIDPARAM;
  if (acquired_ && !LostFocus()) return DI_NOEFFECT;
  acquired_ = false;
  if (foreground_ && !GameWindowHasFocus()) return DIERR_OTHERAPPHASPRIO;
  acquired_ = true;
  focusLossesAtAcquire_ = FocusLossCount();
  if (type_ == InputDeviceType::Mouse) {
    // Movement counts from the moment of acquiring.
    int32_t ignored[3];
    TakeMouseMotion(&ignored[0], &ignored[1], &ignored[2]);
  }
  return DI_OK;
}

HRESULT DirectInputDevice::Unacquire() {
  if (!acquired_) return DI_NOEFFECT;
  acquired_ = false;
  return DI_OK;
}

HRESULT DirectInputDevice::Poll() {
  if (!acquired_) return DIERR_NOTACQUIRED;
  if (LostFocus()) {
    acquired_ = false;
    return DIERR_INPUTLOST;
  }
  return DI_NOEFFECT;
}

HRESULT DirectInputDevice::GetDeviceState(uint32_t size, void* data) {
  if (!data || !hasFormat_) return DIERR_INVALIDPARAM;
  const uint32_t expected =
      type_ == InputDeviceType::Keyboard ? c_dfDIKeyboard.dwDataSize : c_dfDIMouse.dwDataSize;
  if (size != expected) return DIERR_INVALIDPARAM;
  if (!acquired_) return DIERR_NOTACQUIRED;
  if (LostFocus()) {
    acquired_ = false;
    return DIERR_INPUTLOST;
  }
  if (type_ == InputDeviceType::Keyboard) {
    ReadHeldKeys(static_cast<uint8_t*>(data));
    return DI_OK;
  }
  DIMOUSESTATE state{};
  TakeMouseMotion(&state.lX, &state.lY, &state.lZ);
  const uint8_t buttons = HeldMouseButtons();
  for (int index = 0; index < MOUSE_BUTTON_COUNT; ++index) {
    state.rgbButtons[index] = (buttons & (1u << index)) ? 0x80 : 0;
  }
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

void DirectInputDevice::Release() {
  StopInputEvents();
  delete this;
}
