// Gamepads scripted as SDL virtual controllers: their buttons, sticks and triggers as
// the game reads them, pads coming and going, and rumble.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "input/input.h"
#include "platform/input/xinput.h"
#include "virtual_pad.h"

namespace {

class GamepadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    // Pads of the machine itself would take the slots the tests expect.
    for (uint32_t userIndex = 0; userIndex < XUSER_MAX_COUNT; ++userIndex) {
      if (ReadPad(userIndex)) GTEST_SKIP() << "a real gamepad is plugged in";
    }
  }
  void TearDown() override {
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  }
  // Pad samples are read when asked for: as events they would only pile up in the queue
  // that the main loop empties one event per pass.
  static int QueuedSamples() {
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_JOYAXISMOTION, SDL_JOYBUTTONUP) +
           SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_CONTROLLERAXISMOTION,
                          SDL_CONTROLLERBUTTONUP);
  }
};

TEST_F(GamepadTest, SticksReadPositiveUpAndTriggersRunTo255) {
  VirtualPad pad;
  ReadPad(0);
  // SDL's up is negative; its full up has no positive twin and becomes 32767. Triggers
  // run from -32768 on the joystick's scale: 1 there is SDL's 16384, the first value that
  // rounds to 128.
  const struct {
    SDL_GameControllerAxis axis;
    Sint16 value;
    int read;
  } axes[] = {
      {SDL_CONTROLLER_AXIS_LEFTX, -32768, -32768},
      {SDL_CONTROLLER_AXIS_LEFTY, -32768, 32767},
      {SDL_CONTROLLER_AXIS_RIGHTX, 32767, 32767},
      {SDL_CONTROLLER_AXIS_RIGHTY, 32767, -32767},
      {SDL_CONTROLLER_AXIS_LEFTY, 2001, -2001},
      {SDL_CONTROLLER_AXIS_RIGHTY, -1, 1},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, 255},
      {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1, 128},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768 + 2 * 100, 1},  // a light pull is 1
      {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768 + 2 * 64, 0},  // a lighter one nothing
  };
  for (const auto& row : axes) {
    pad.Axis(row.axis, row.value);
    const XINPUT_GAMEPAD state = *ReadPad(0);
    const int read[] = {state.sThumbLX, state.sThumbLY,     state.sThumbRX,
                        state.sThumbRY, state.bLeftTrigger, state.bRightTrigger};
    EXPECT_EQ(read[row.axis], row.read)
        << SDL_GameControllerGetStringForAxis(row.axis) << " at " << row.value;
  }
  EXPECT_EQ(QueuedSamples(), 0);
}

TEST_F(GamepadTest, ButtonsGoByPositionUnderTheirPublishedBits) {
  VirtualPad pad;
  const struct {
    SDL_GameControllerButton button;
    uint16_t bit;
  } buttons[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008},
      {SDL_CONTROLLER_BUTTON_START, 0x0010},
      {SDL_CONTROLLER_BUTTON_BACK, 0x0020},
      {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040},
      {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200},
      {SDL_CONTROLLER_BUTTON_A, 0x1000},
      {SDL_CONTROLLER_BUTTON_B, 0x2000},
      {SDL_CONTROLLER_BUTTON_X, 0x4000},
      {SDL_CONTROLLER_BUTTON_Y, 0x8000},
  };
  for (const auto& entry : buttons) {
    pad.Button(entry.button, true);
    EXPECT_EQ(ReadPad(0)->wButtons, entry.bit)
        << SDL_GameControllerGetStringForButton(entry.button);
    pad.Button(entry.button, false);
  }
  // All at once, with the guide button and the extras, which have no bit.
  pad.Button(SDL_CONTROLLER_BUTTON_GUIDE, true);
  pad.Button(SDL_CONTROLLER_BUTTON_MISC1, true);
  pad.Button(SDL_CONTROLLER_BUTTON_PADDLE1, true);
  for (const auto& entry : buttons) pad.Button(entry.button, true);
  EXPECT_EQ(ReadPad(0)->wButtons, 0xF3FF);
  EXPECT_EQ(QueuedSamples(), 0);
}

TEST_F(GamepadTest, PadsComeAndGoBetweenPollsTellWhatTheyHaveAndAnswerWithoutTheKeyboardFocus) {
  XINPUT_CAPABILITIES capabilities{};
  EXPECT_EQ(XInputGetCapabilities(0, XINPUT_FLAG_GAMEPAD, &capabilities),
            ERROR_DEVICE_NOT_CONNECTED);
  // No fifth slot, no missing record and no unknown flag reaches a pad.
  XINPUT_STATE state{};
  XINPUT_VIBRATION stop{};
  EXPECT_EQ(XInputGetCapabilities(XUSER_MAX_COUNT, 0, &capabilities), ERROR_BAD_ARGUMENTS);
  EXPECT_EQ(XInputGetCapabilities(0, 0, nullptr), ERROR_BAD_ARGUMENTS);
  EXPECT_EQ(XInputGetCapabilities(0, 2, &capabilities), ERROR_BAD_ARGUMENTS);
  EXPECT_EQ(XInputGetState(XUSER_MAX_COUNT, &state), ERROR_BAD_ARGUMENTS);
  EXPECT_EQ(XInputSetState(XUSER_MAX_COUNT, &stop), ERROR_BAD_ARGUMENTS);

  SDL_Window* window = SDL_CreateWindow("Zorbly Frondles", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  ASSERT_EQ(SDL_GetKeyboardFocus(), nullptr);
  RumbleLog log;
  auto first = std::make_unique<VirtualPad>(&log);  // with motors, the second without
  VirtualPad second;
  first->Button(SDL_CONTROLLER_BUTTON_A, true);
  first->Axis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
  first->Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  second.Button(SDL_CONTROLLER_BUTTON_B, true);
  SDL_PumpEvents();
  PollInput();
  EXPECT_EQ(gamepadStates[0].wButtons, XINPUT_GAMEPAD_A);
  EXPECT_EQ(gamepadStates[1].wButtons, XINPUT_GAMEPAD_B);
  EXPECT_FALSE(IsGamepadAbsent());
  ASSERT_EQ(XInputGetCapabilities(0, XINPUT_FLAG_GAMEPAD, &capabilities), ERROR_SUCCESS);
  EXPECT_EQ(capabilities.Gamepad.wButtons, 0xF3FF);
  EXPECT_EQ(capabilities.Vibration.wLeftMotorSpeed, 0xFFFF);
  ASSERT_EQ(XInputGetCapabilities(1, 0, &capabilities), ERROR_SUCCESS);
  EXPECT_EQ(capabilities.Vibration.wRightMotorSpeed, 0);
  // Pads go by position, never by what is printed on them.
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS), "0");

  // Pulled out while held: said in one line, and every field of its slot is zero from the
  // next poll on.
  first.reset();
  ::testing::internal::CaptureStderr();
  PollInput();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("gamepad 1 (Scripted pad) was unplugged"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
  const XINPUT_GAMEPAD zero{};
  EXPECT_EQ(std::memcmp(&gamepadStates[0], &zero, sizeof zero), 0);
  EXPECT_EQ(gamepadStates[1].wButtons, XINPUT_GAMEPAD_B);  // the other pad keeps its place
  EXPECT_TRUE(IsGamepadAbsent());

  // Plugged in during play: it takes the free slot.
  VirtualPad third;
  third.Button(SDL_CONTROLLER_BUTTON_Y, true);
  SDL_PumpEvents();
  PollInput();
  EXPECT_EQ(gamepadStates[0].wButtons, XINPUT_GAMEPAD_Y);
  EXPECT_EQ(gamepadStates[1].wButtons, XINPUT_GAMEPAD_B);
  EXPECT_FALSE(ReadPad(2));
  SDL_DestroyWindow(window);
}

TEST_F(GamepadTest, RumbleDrivesBothMotorsWhileTheGamePollsAndStopsOnReleaseOrWhenPollsStop) {
  RumbleLog log;
  VirtualPad pad(&log);
  SDL_PumpEvents();
  InitInput(nullptr);
  const auto last = [&log] {
    return log.calls.empty() ? std::pair<int, int>(-1, -1) : std::pair<int, int>(log.calls.back());
  };
  for (const int speed : {65535, 0, 25000}) {
    SetGamepadVibration(0, static_cast<uint16_t>(speed));
    EXPECT_EQ(last(), std::make_pair(speed, speed));
  }
  const size_t calls = log.calls.size();
  SetGamepadVibration(1, 40000);  // no pad there: no effect here
  EXPECT_EQ(log.calls.size(), calls);

  ReleaseInput();
  EXPECT_EQ(last(), std::make_pair(0, 0));
  SetGamepadVibration(0, 20000);
  ReleaseInput();  // nothing left to release: the pad is not touched
  EXPECT_EQ(last(), std::make_pair(20000, 20000));

  // A long rumble lasts while the game polls.
  const size_t longFrom = log.calls.size();
  SetGamepadVibration(0, 40000);
  const Uint32 start = SDL_GetTicks();
  while (SDL_GetTicks() - start < 2500) {
    SDL_Delay(15);
    SDL_PumpEvents();
    PollInput();
  }
  for (size_t call = longFrom; call < log.calls.size(); ++call) {
    EXPECT_EQ(log.calls[call], std::make_pair(Uint16{40000}, Uint16{40000})) << call;
  }
  // A game that stops polling (hung, or gone without a word) does not rumble on for ever.
  const Uint32 stop = SDL_GetTicks();
  while (SDL_GetTicks() - stop < 2500 && log.calls.back().first != 0) {
    SDL_Delay(50);
    SDL_PumpEvents();
  }
  EXPECT_EQ(last(), std::make_pair(0, 0));
}

// Shutting down after no poll at all: stopping the motors finds nothing to stop and
// must not start the pad support (nor complain on the way out that no pad is there).
TEST(GamepadShutdownTest, StoppingTheMotorsOpensNothing) {
  // CTest runs each test in a process of its own; run together, an earlier test has
  // started the pads already.
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) != 0) {
    GTEST_SKIP() << "the pads were started by an earlier test in this process";
  }
  InitInput(nullptr);
  ::testing::internal::CaptureStderr();
  ReleaseInput();
  SetGamepadVibration(0, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK), 0u);
}

}  // namespace
