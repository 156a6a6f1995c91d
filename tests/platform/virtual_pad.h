#pragma once
// A pad in the standard layout as an SDL virtual controller: joystick button n is SDL's
// controller button n, and joystick axis n its controller axis n. Rumble requests go to
// the log when one is given.
#include <SDL.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/input/xinput.h"

// The state at the slot after SDL takes in the pads' new ones, as on every pass of the
// main loop; empty when no pad is there. The first read takes up the pads plugged in.
inline std::optional<XINPUT_GAMEPAD> ReadPad(uint32_t userIndex) {
  SDL_PumpEvents();
  XINPUT_STATE state{};
  if (XInputGetState(userIndex, &state) != ERROR_SUCCESS) return std::nullopt;
  return state.Gamepad;
}

struct RumbleLog {
  std::vector<std::pair<Uint16, Uint16>> calls;
};

class VirtualPad {
 public:
  explicit VirtualPad(RumbleLog* log = nullptr) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Scripted pad";
    desc.userdata = log;
    desc.Rumble = log ? Record : nullptr;
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    joystick_ = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
    id_ = joystick_ ? SDL_JoystickInstanceID(joystick_) : -1;
    // Triggers rest fully released.
    Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  }
  // Unplugged.
  ~VirtualPad() {
    if (!joystick_) return;
    SDL_JoystickClose(joystick_);
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
      if (SDL_JoystickGetDeviceInstanceID(device) == id_) SDL_JoystickDetachVirtual(device);
    }
  }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  bool Ready() const { return joystick_ != nullptr; }
  void Axis(SDL_GameControllerAxis axis, Sint16 value) {
    if (joystick_) SDL_JoystickSetVirtualAxis(joystick_, axis, value);
  }
  void Button(SDL_GameControllerButton button, bool down) {
    if (joystick_) SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }

 private:
  static int SDLCALL Record(void* log, Uint16 low, Uint16 high) {
    static_cast<RumbleLog*>(log)->calls.emplace_back(low, high);
    return 0;
  }

  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID id_ = -1;
};
