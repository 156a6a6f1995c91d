// The gamepads over SDL's game controllers: four slots by player index, filled and
// emptied as pads come and go, read in the standard layout.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/input/scripted_input.h"
#include "platform/input/xinput.h"
#include "platform/system/verbose.h"

namespace {

// A rumble holds until the next request, but SDL's rumble ends after a duration. It is
// given this lease and every call about the pads renews it, so the motors run for as
// long as the game keeps polling and stop soon after it stops.
constexpr Uint32 RUMBLE_LEASE_MS = 1000;

struct PadSlot {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID id = -1;
  XINPUT_VIBRATION vibration{};
  XINPUT_GAMEPAD lastRead{};
  uint32_t packetNumber = 0;
};

struct ButtonBit {
  SDL_GameControllerButton button;
  uint16_t bit;
};

constexpr ButtonBit BUTTON_BITS[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT},
    {SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START},
    {SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, XINPUT_GAMEPAD_LEFT_THUMB},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XINPUT_GAMEPAD_RIGHT_THUMB},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A},
    {SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B},
    {SDL_CONTROLLER_BUTTON_X, XINPUT_GAMEPAD_X},
    {SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y},
};

// The state is read when asked for; events for every sample would only pile up in the
// queue that the main loop empties one event per pass.
constexpr Uint32 SAMPLE_EVENTS[] = {
    SDL_JOYAXISMOTION,
    SDL_JOYBALLMOTION,
    SDL_JOYHATMOTION,
    SDL_JOYBUTTONDOWN,
    SDL_JOYBUTTONUP,
    SDL_CONTROLLERAXISMOTION,
    SDL_CONTROLLERBUTTONDOWN,
    SDL_CONTROLLERBUTTONUP,
    SDL_CONTROLLERTOUCHPADDOWN,
    SDL_CONTROLLERTOUCHPADMOTION,
    SDL_CONTROLLERTOUCHPADUP,
    SDL_CONTROLLERSENSORUPDATE,
};

enum class PadSupport { NotStarted, Running, Unavailable };

PadSupport support = PadSupport::NotStarted;
PadSlot slots[XUSER_MAX_COUNT];
bool devicesChanged = true;
int lastDeviceCount = -1;

int SDLCALL WatchPadDevices(void*, SDL_Event* event) {
  if (event->type == SDL_JOYDEVICEADDED || event->type == SDL_JOYDEVICEREMOVED ||
      event->type == SDL_CONTROLLERDEVICEADDED || event->type == SDL_CONTROLLERDEVICEREMOVED) {
    devicesChanged = true;
  }
  return 1;
}

bool IsOpen(SDL_JoystickID id) {
  for (const PadSlot& slot : slots) {
    if (slot.controller && slot.id == id) return true;
  }
  return false;
}

// The pad's own player index when that slot is free, else the lowest free slot.
int FreeSlotFor(int playerIndex) {
  if (playerIndex >= 0 && playerIndex < static_cast<int>(XUSER_MAX_COUNT) &&
      !slots[playerIndex].controller) {
    return playerIndex;
  }
  for (int index = 0; index < static_cast<int>(XUSER_MAX_COUNT); ++index) {
    if (!slots[index].controller) return index;
  }
  return -1;
}

void OpenPad(int slotIndex, int device) {
  SDL_GameController* controller = SDL_GameControllerOpen(device);
  if (!controller) {
    std::fprintf(stderr, "zorbly-frondles: a gamepad cannot be opened (%s)\n", SDL_GetError());
    return;
  }
  PadSlot& slot = slots[slotIndex];
  slot = PadSlot{};
  slot.controller = controller;
  slot.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  SDL_GameControllerSetPlayerIndex(controller, slotIndex);
}

void ClosePad(PadSlot& slot) {
  SDL_GameControllerClose(slot.controller);
  slot = PadSlot{};
}

// A pad pulled out during play is said once, so its player knows why it stopped.
void DropUnpluggedPad(PadSlot& slot) {
  const char* name = SDL_GameControllerName(slot.controller);
  std::fprintf(stderr,
               "zorbly-frondles: gamepad %d (%s) was unplugged; the keyboard still plays, and a "
               "gamepad plugged in is taken up\n",
               static_cast<int>(&slot - slots) + 1, name ? name : "unnamed");
  ClosePad(slot);
}

bool MotorsRunning(const PadSlot& slot) {
  return slot.vibration.wLeftMotorSpeed != 0 || slot.vibration.wRightMotorSpeed != 0;
}

void IssueRumble(const PadSlot& slot) {
  const bool running = MotorsRunning(slot);
  // A pad without motors refuses; it is still a pad, so that is no failure.
  SDL_GameControllerRumble(slot.controller, slot.vibration.wLeftMotorSpeed,
                           slot.vibration.wRightMotorSpeed, running ? RUMBLE_LEASE_MS : 0);
}

void ScanForNewPads() {
  const int count = SDL_NumJoysticks();
  devicesChanged = false;
  lastDeviceCount = count;
  for (int device = 0; device < count; ++device) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    if (IsOpen(id) || !SDL_IsGameController(device)) continue;
    const int slotIndex = FreeSlotFor(SDL_JoystickGetDevicePlayerIndex(device));
    if (slotIndex < 0) return;
    OpenPad(slotIndex, device);
  }
}

void RefreshPads() {
  for (PadSlot& slot : slots) {
    if (!slot.controller) continue;
    if (!SDL_GameControllerGetAttached(slot.controller)) {
      DropUnpluggedPad(slot);
      devicesChanged = true;  // a pad waiting for a slot may have one now
    } else if (MotorsRunning(slot)) {
      IssueRumble(slot);
    }
  }
  if (devicesChanged || SDL_NumJoysticks() != lastDeviceCount) ScanForNewPads();
}

bool StartPads() {
  if (support != PadSupport::NotStarted) return support == PadSupport::Running;
  // Some pads would otherwise swap A with B and X with Y to match their printing.
  SDL_SetHintWithPriority(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0", SDL_HINT_OVERRIDE);
  // Pads are no foreground devices: SDL would freeze them whenever a window of ours lacks
  // the keyboard focus, or before the window manager has given it.
  SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: no gamepads: SDL's game controller support cannot start "
                 "(%s); the keyboard still plays\n",
                 SDL_GetError());
    support = PadSupport::Unavailable;
    return false;
  }
  for (Uint32 type : SAMPLE_EVENTS) SDL_EventState(type, SDL_IGNORE);
  SDL_AddEventWatch(WatchPadDevices, nullptr);
  support = PadSupport::Running;
  ScanForNewPads();
  bool anyPad = false;
  for (const PadSlot& slot : slots) anyPad = anyPad || slot.controller;
  if (!anyPad) {
    SayChosen("no gamepad found; the keyboard plays, and a gamepad plugged in later is taken up");
  }
  return true;
}

// The pad at the index after taking note of pads come and gone; null when none.
PadSlot* PadAt(uint32_t userIndex) {
  if (!StartPads()) return nullptr;
  RefreshPads();
  PadSlot& slot = slots[userIndex];
  return slot.controller ? &slot : nullptr;
}

// SDL's Y axes grow downwards and the game's upwards. Plain negation has no answer for
// -32768, which is taken as 32767: full up reads 32767, full down -32767, centre 0.
int16_t UpwardsAxis(Sint16 downwards) {
  return downwards == INT16_MIN ? INT16_MAX : static_cast<int16_t>(-downwards);
}

// SDL's triggers run 0 to 32767; the game's 0 to 255, rounded to the nearest step.
uint8_t TriggerByte(Sint16 value) {
  if (value <= 0) return 0;
  return static_cast<uint8_t>((static_cast<int32_t>(value) * 255 + 16383) / 32767);
}

XINPUT_GAMEPAD ReadPad(SDL_GameController* controller) {
  XINPUT_GAMEPAD pad{};
  for (const ButtonBit& entry : BUTTON_BITS) {
    if (SDL_GameControllerGetButton(controller, entry.button)) pad.wButtons |= entry.bit;
  }
  pad.bLeftTrigger =
      TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
  pad.bRightTrigger =
      TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
  pad.sThumbLX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
  pad.sThumbLY = UpwardsAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  pad.sThumbRX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
  pad.sThumbRY = UpwardsAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
  return pad;
}

// The pad already open at the index, if it is still attached; opens nothing.
PadSlot* OpenPadAt(uint32_t userIndex) {
  if (support != PadSupport::Running) return nullptr;
  PadSlot& slot = slots[userIndex];
  if (!slot.controller) return nullptr;
  if (!SDL_GameControllerGetAttached(slot.controller)) {
    DropUnpluggedPad(slot);
    devicesChanged = true;
    return nullptr;
  }
  return &slot;
}

}  // namespace

uint32_t XInputGetState(uint32_t dwUserIndex, XINPUT_STATE* pState) {
  if (dwUserIndex >= XUSER_MAX_COUNT || !pState) return ERROR_BAD_ARGUMENTS;
  if (ScriptedInput* scripted = CurrentScriptedInput()) {
    if (!scripted->padConnected[dwUserIndex]) return ERROR_DEVICE_NOT_CONNECTED;
    pState->dwPacketNumber = scripted->padPackets[dwUserIndex];
    pState->Gamepad = scripted->pads[dwUserIndex];
    return ERROR_SUCCESS;
  }
  PadSlot* slot = PadAt(dwUserIndex);
  if (!slot) return ERROR_DEVICE_NOT_CONNECTED;
  const XINPUT_GAMEPAD pad = ReadPad(slot->controller);
  if (std::memcmp(&pad, &slot->lastRead, sizeof pad) != 0) {
    ++slot->packetNumber;
    slot->lastRead = pad;
  }
  pState->dwPacketNumber = slot->packetNumber;
  pState->Gamepad = pad;
  return ERROR_SUCCESS;
}

uint32_t XInputSetState(uint32_t dwUserIndex, XINPUT_VIBRATION* pVibration) {
  if (dwUserIndex >= XUSER_MAX_COUNT || !pVibration) return ERROR_BAD_ARGUMENTS;
  if (ScriptedInput* scripted = CurrentScriptedInput()) {
    // Kept even without a pad, so that a recorded run shows what the game asked for.
    scripted->vibration[dwUserIndex] = *pVibration;
    return scripted->padConnected[dwUserIndex] ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;
  }
  const bool stopping = pVibration->wLeftMotorSpeed == 0 && pVibration->wRightMotorSpeed == 0;
  // Only a pad that was opened can be running; stopping goes to it without starting the
  // pad support or taking up pads plugged in since (as the game does on its way out).
  PadSlot* slot = stopping ? OpenPadAt(dwUserIndex) : PadAt(dwUserIndex);
  if (!slot) return ERROR_DEVICE_NOT_CONNECTED;
  slot->vibration = *pVibration;
  IssueRumble(*slot);
  return ERROR_SUCCESS;
}

uint32_t XInputGetCapabilities(uint32_t dwUserIndex, uint32_t dwFlags,
                               XINPUT_CAPABILITIES* pCapabilities) {
  if (dwUserIndex >= XUSER_MAX_COUNT || !pCapabilities || (dwFlags & ~XINPUT_FLAG_GAMEPAD) != 0) {
    return ERROR_BAD_ARGUMENTS;
  }
  if (ScriptedInput* scripted = CurrentScriptedInput()) {
    if (!scripted->padConnected[dwUserIndex]) return ERROR_DEVICE_NOT_CONNECTED;
    XINPUT_CAPABILITIES capabilities{};
    capabilities.Type = XINPUT_DEVTYPE_GAMEPAD;
    capabilities.SubType = XINPUT_DEVSUBTYPE_GAMEPAD;
    *pCapabilities = capabilities;
    return ERROR_SUCCESS;
  }
  PadSlot* slot = PadAt(dwUserIndex);
  if (!slot) return ERROR_DEVICE_NOT_CONNECTED;
  SDL_GameController* controller = slot->controller;
  XINPUT_CAPABILITIES capabilities{};
  capabilities.Type = XINPUT_DEVTYPE_GAMEPAD;
  capabilities.SubType = XINPUT_DEVSUBTYPE_GAMEPAD;
  for (const ButtonBit& entry : BUTTON_BITS) {
    if (SDL_GameControllerHasButton(controller, entry.button)) {
      capabilities.Gamepad.wButtons |= entry.bit;
    }
  }
  const auto axisMask = [controller](SDL_GameControllerAxis axis) -> int16_t {
    return SDL_GameControllerHasAxis(controller, axis) ? static_cast<int16_t>(-1) : 0;
  };
  capabilities.Gamepad.bLeftTrigger = axisMask(SDL_CONTROLLER_AXIS_TRIGGERLEFT) ? 0xFF : 0;
  capabilities.Gamepad.bRightTrigger = axisMask(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) ? 0xFF : 0;
  capabilities.Gamepad.sThumbLX = axisMask(SDL_CONTROLLER_AXIS_LEFTX);
  capabilities.Gamepad.sThumbLY = axisMask(SDL_CONTROLLER_AXIS_LEFTY);
  capabilities.Gamepad.sThumbRX = axisMask(SDL_CONTROLLER_AXIS_RIGHTX);
  capabilities.Gamepad.sThumbRY = axisMask(SDL_CONTROLLER_AXIS_RIGHTY);
  if (SDL_GameControllerHasRumble(controller)) {
    capabilities.Vibration = XINPUT_VIBRATION{0xFFFF, 0xFFFF};
  }
  *pCapabilities = capabilities;
  return ERROR_SUCCESS;
}
