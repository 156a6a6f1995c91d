#pragma once
// The keyboard and the mouse as the old desktop's input devices: made by one input
// object, bound to the game's window, acquired, and read whole, one state record at a
// time. Every call answers with a result code.
#include <cstdint>

#include "platform/hresult.h"
#include "platform/system/window.h"

constexpr uint32_t DIRECTINPUT_VERSION = 0x0800;

constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;  // nothing to do: already so, or no polling needed
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DIERR_OTHERAPPHASPRIO = MakeResult(0x80070005u);  // the window lacks focus
constexpr HRESULT DIERR_NOTACQUIRED = MakeResult(0x8007000Cu);
constexpr HRESULT DIERR_NOTINITIALIZED = MakeResult(0x80070015u);
constexpr HRESULT DIERR_INPUTLOST = MakeResult(0x8007001Eu);  // focus went since the Acquire
constexpr HRESULT DIERR_ACQUIRED = MakeResult(0x800700AAu);

// Cooperative levels: one of the first pair with one of the second.
constexpr uint32_t DISCL_EXCLUSIVE = 0x1;
constexpr uint32_t DISCL_NONEXCLUSIVE = 0x2;
constexpr uint32_t DISCL_FOREGROUND = 0x4;  // reads fail while the window lacks focus
constexpr uint32_t DISCL_BACKGROUND = 0x8;

enum class InputDeviceType { Keyboard, Mouse };
constexpr InputDeviceType GUID_SysKeyboard = InputDeviceType::Keyboard;
constexpr InputDeviceType GUID_SysMouse = InputDeviceType::Mouse;

// What a device's state record looks like.
struct DIDATAFORMAT {
  InputDeviceType type;
  uint32_t dwDataSize;
};
// 256 bytes, one per key code; 0x80 set while the key is down.
constexpr DIDATAFORMAT c_dfDIKeyboard{InputDeviceType::Keyboard, 256};
// A DIMOUSESTATE: movement since the previous read (relative axes) and four buttons.
constexpr DIDATAFORMAT c_dfDIMouse{InputDeviceType::Mouse, 16};

struct DIMOUSESTATE {
  int32_t lX;
  int32_t lY;
  int32_t lZ;             // the wheel, 120 per notch, positive away from the player
  uint8_t rgbButtons[4];  // left, right, middle, first side button; 0x80 when down
};
static_assert(sizeof(DIMOUSESTATE) == 16);

class DirectInputDevice {
 public:
  HRESULT SetDataFormat(const DIDATAFORMAT* format);
  // An exclusive level is taken as a shared one: the game never takes the devices
  // away from the rest of the desktop.
  HRESULT SetCooperativeLevel(WindowHandle window, uint32_t flags);
  HRESULT Acquire();
  HRESULT Unacquire();
  // The keyboard and mouse need no polling: DI_NOEFFECT once acquired.
  HRESULT Poll();
  // Fills the record of the data format; on failure the record is left as it was.
  HRESULT GetDeviceState(uint32_t size, void* data);
  void Release();

 private:
  friend class DirectInput;
  explicit DirectInputDevice(InputDeviceType type) : type_(type) {}

  bool LostFocus() const;

  InputDeviceType type_;
  bool hasFormat_ = false;
  bool foreground_ = false;
  bool acquired_ = false;
  uint32_t focusLossesAtAcquire_ = 0;
};

class DirectInput {
 public:
  HRESULT CreateDevice(InputDeviceType type, DirectInputDevice** device);
  void Release();

 private:
  friend HRESULT DirectInput8Create(uint32_t version, DirectInput** directInput);
  DirectInput() = default;
};

// Makes the input object; its devices follow the keyboard, mouse and focus from then
// until it is released. *directInput is null on failure.
HRESULT DirectInput8Create(uint32_t version, DirectInput** directInput);
