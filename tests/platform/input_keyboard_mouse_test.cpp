// The keyboard and the mouse as the game polls them, driven by events pushed into SDL.
#include <SDL.h>
#include <gtest/gtest.h>

#include "input/input.h"
#include "platform/scripted_system.h"
#include "platform/system_driver.h"
#include "platform/window.h"

namespace {

intptr_t NoProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

void PushKey(SDL_Scancode scancode, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  SDL_PushEvent(&event);
}

void PushFocus(bool gained) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&event);
}

void PushMotion(int dx, int dy) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.xrel = dx;
  event.motion.yrel = dy;
  SDL_PushEvent(&event);
}

void PushWheel(float notches, bool flipped) {
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = static_cast<Sint32>(notches);
  event.wheel.preciseY = notches;
  event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  SDL_PushEvent(&event);
}

void PushButton(Uint8 button, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&event);
}

int KeysDown() {
  int count = 0;
  for (int code = 0; code < KEY_CODE_COUNT; ++code) count += IsKeyDown(code) ? 1 : 0;
  return count;
}

class PolledInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDriver = SetSystemDriver(&system);
    window = CreateGameWindow("Zorbly Frondles", 1024, 768, NoProcedure);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(InitInput(window));
    ASSERT_NE(keyboardDevice, nullptr);
    ASSERT_NE(mouseDevice, nullptr);
    PushFocus(true);
    PollInput();  // the first poll after focus acquires
    PollInput();
  }
  void TearDown() override {
    ReleaseInput();
    DestroyGameWindow(window);
    SetSystemDriver(previousDriver);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  ScriptedSystem system;
  SystemDriver* previousDriver = nullptr;
  WindowHandle window = nullptr;
};

TEST_F(PolledInputTest, KeysAreSampledAtEachPoll) {
  PushKey(SDL_SCANCODE_W, true);
  PushKey(SDL_SCANCODE_UP, true);
  PollInput();
  EXPECT_TRUE(IsKeyDown(0x11));
  EXPECT_TRUE(IsKeyDown(0xC8));
  EXPECT_EQ(keyboardState[0x11], 0x80);
  EXPECT_EQ(KeysDown(), 2);

  // Held across polls: down in each; asked again within a poll: the same answer.
  for (int tick = 0; tick < 3; ++tick) {
    PollInput();
    EXPECT_TRUE(IsKeyDown(0x11));
    EXPECT_TRUE(IsKeyDown(0x11));
  }

  // Released: the state changes only at the next poll.
  PushKey(SDL_SCANCODE_W, false);
  EXPECT_TRUE(IsKeyDown(0x11));
  PollInput();
  EXPECT_FALSE(IsKeyDown(0x11));
  EXPECT_TRUE(IsKeyDown(0xC8));

  // Pressed and released between two polls: never seen.
  PushKey(SDL_SCANCODE_SPACE, true);
  PushKey(SDL_SCANCODE_SPACE, false);
  PollInput();
  EXPECT_FALSE(IsKeyDown(0x39));
  EXPECT_EQ(KeysDown(), 1);
}

TEST_F(PolledInputTest, EveryKeyOfTheControlsArrivesUnderItsCode) {
  const SDL_Scancode keys[] = {
      SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_W,
      SDL_SCANCODE_S,  SDL_SCANCODE_A,    SDL_SCANCODE_D,    SDL_SCANCODE_Z,     SDL_SCANCODE_X,
      SDL_SCANCODE_C,  SDL_SCANCODE_SPACE, SDL_SCANCODE_F1,  SDL_SCANCODE_F2,    SDL_SCANCODE_F3,
      SDL_SCANCODE_F4, SDL_SCANCODE_F5,   SDL_SCANCODE_P,    SDL_SCANCODE_E};
  const int codes[] = {0xC8, 0xD0, 0xCB, 0xCD, 0x11, 0x1F, 0x1E, 0x20, 0x2C, 0x2D,
                       0x2E, 0x39, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x19, 0x12};
  for (SDL_Scancode key : keys) PushKey(key, true);
  PollInput();
  for (int code : codes) EXPECT_TRUE(IsKeyDown(code)) << std::hex << code;
  EXPECT_EQ(KeysDown(), 19);
  EXPECT_FALSE(IsKeyDown(-1));
  EXPECT_FALSE(IsKeyDown(256));
}

TEST_F(PolledInputTest, LosingFocusReleasesEverythingUntilFocusReturns) {
  PushKey(SDL_SCANCODE_D, true);
  PushKey(SDL_SCANCODE_SPACE, true);
  PushButton(SDL_BUTTON_LEFT, true);
  PollInput();
  ASSERT_EQ(KeysDown(), 2);
  ASSERT_EQ(IsMouseButtonDown(0), 128);

  PushFocus(false);
  PushMotion(40, 40);
  for (int tick = 0; tick < 3; ++tick) {
    PollInput();
    EXPECT_EQ(KeysDown(), 0) << "tick " << tick;
    EXPECT_EQ(IsMouseButtonDown(0), 0);
    EXPECT_EQ(GetMouseDeltaX(), 0);
  }

  // Focus back: that poll acquires again (still nothing read), the next one reads.
  PushFocus(true);
  PushKey(SDL_SCANCODE_S, true);
  PushMotion(3, 4);
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
  PushMotion(5, 6);
  PollInput();
  EXPECT_TRUE(IsKeyDown(0x1F));
  // D's release happened elsewhere and never arrived: it must not count as held.
  EXPECT_FALSE(IsKeyDown(0x20));
  EXPECT_EQ(KeysDown(), 1);
  EXPECT_EQ(GetMouseDeltaX(), 5);  // movement counts from the new acquiring
  EXPECT_EQ(GetMouseDeltaY(), 6);
}

TEST_F(PolledInputTest, FocusLostAndWonBetweenTwoPollsCostsOneRead) {
  PushKey(SDL_SCANCODE_A, true);
  PollInput();
  ASSERT_TRUE(IsKeyDown(0x1E));
  PushFocus(false);
  PushFocus(true);
  PushKey(SDL_SCANCODE_A, true);
  PollInput();
  EXPECT_FALSE(IsKeyDown(0x1E));
  PollInput();
  EXPECT_TRUE(IsKeyDown(0x1E));
}

TEST_F(PolledInputTest, MouseMovementAddsUpBetweenPolls) {
  PushMotion(3, -2);
  PushMotion(7, -5);
  PushWheel(1.0f, false);
  PushWheel(2.0f, false);
  PollInput();
  EXPECT_EQ(GetMouseDeltaX(), 10);
  EXPECT_EQ(GetMouseDeltaY(), -7);
  EXPECT_EQ(mouseState.lZ, 360);

  // Each poll starts counting afresh.
  PollInput();
  EXPECT_EQ(GetMouseDeltaX(), 0);
  EXPECT_EQ(GetMouseDeltaY(), 0);
  EXPECT_EQ(mouseState.lZ, 0);

  // A wheel reported the other way round, and half a notch of a fine wheel.
  PushWheel(1.0f, true);
  PushWheel(0.5f, false);
  PollInput();
  EXPECT_EQ(mouseState.lZ, -60);
}

TEST_F(PolledInputTest, MouseButtonsByIndex) {
  PushButton(SDL_BUTTON_RIGHT, true);
  PushButton(SDL_BUTTON_X1, true);
  PushButton(SDL_BUTTON_X2, true);  // a fifth button has no place
  PollInput();
  EXPECT_EQ(IsMouseButtonDown(0), 0);
  EXPECT_EQ(IsMouseButtonDown(1), 128);
  EXPECT_EQ(IsMouseButtonDown(2), 0);
  EXPECT_EQ(IsMouseButtonDown(3), 128);
  EXPECT_EQ(IsMouseButtonDown(4), 0);
  EXPECT_EQ(IsMouseButtonDown(-1), 0);

  PushButton(SDL_BUTTON_MIDDLE, true);
  PushButton(SDL_BUTTON_LEFT, true);
  PushButton(SDL_BUTTON_LEFT, false);  // a click between polls is never seen
  PushButton(SDL_BUTTON_RIGHT, false);
  PollInput();
  EXPECT_EQ(IsMouseButtonDown(0), 0);
  EXPECT_EQ(IsMouseButtonDown(1), 0);
  EXPECT_EQ(IsMouseButtonDown(2), 128);
}

TEST(PolledInputStartTest, AWindowWithoutFocusReadsNothing) {
  ScriptedSystem system;
  SystemDriver* previous = SetSystemDriver(&system);
  WindowHandle window = CreateGameWindow("Zorbly Frondles", 1024, 768, NoProcedure);
  ASSERT_TRUE(InitInput(window));
  PushKey(SDL_SCANCODE_Z, true);
  PushMotion(9, 9);
  PollInput();
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
  EXPECT_EQ(GetMouseDeltaX(), 0);
  ReleaseInput();
  DestroyGameWindow(window);
  SetSystemDriver(previous);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

}  // namespace
