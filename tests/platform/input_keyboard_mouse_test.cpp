// The keyboard and the mouse as the game polls them, driven by events pushed into SDL.
#include <SDL.h>
#include <gtest/gtest.h>

#include "../test_files.h"
#include "input/input.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system_driver.h"
#include "pushed_event.h"

namespace {

void PushKey(SDL_Scancode scancode, bool down) {
  PushEvent(down ? SDL_KEYDOWN : SDL_KEYUP,
            [&](SDL_Event& e) { e.key.keysym.scancode = scancode; });
}
void PushFocus(bool gained) {
  PushEvent(SDL_WINDOWEVENT, [&](SDL_Event& e) {
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
  });
}
void PushMotion(int dx, int dy) {
  PushEvent(SDL_MOUSEMOTION, [&](SDL_Event& e) {
    e.motion.xrel = dx;
    e.motion.yrel = dy;
  });
}
void PushWheel(float notches, bool flipped) {
  PushEvent(SDL_MOUSEWHEEL, [&](SDL_Event& e) {
    e.wheel.preciseY = notches;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  });
}
void PushButton(Uint8 button, bool down) {
  PushEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP,
            [&](SDL_Event& e) { e.button.button = button; });
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
    window = CreateGameWindow("Zorbly Frondles", 1024, 768, IgnoreMessages);
    ASSERT_TRUE(InitInput(window));
    PushFocus(true);
    PollInput();  // acquires, now that the window has focus
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
  // Each key's code is the key-code table's test; here an extended key and plain ones.
  const SDL_Scancode controls[] = {SDL_SCANCODE_UP, SDL_SCANCODE_W, SDL_SCANCODE_SPACE,
                                   SDL_SCANCODE_F5};
  const int codes[] = {0xC8, 0x11, 0x39, 0x3F};
  for (SDL_Scancode key : controls) PushKey(key, true);
  // Held across polls: down in each.
  for (int tick = 0; tick < 3; ++tick) {
    PollInput();
    for (int code : codes) EXPECT_TRUE(IsKeyDown(code)) << std::hex << code;
    EXPECT_EQ(KeysDown(), 4);
  }
  for (SDL_Scancode key : controls) PushKey(key, false);
  // A tap between two polls (P, say) reads as down at the next one, once.
  for (bool down : {true, false}) PushKey(SDL_SCANCODE_P, down);
  EXPECT_TRUE(IsKeyDown(0x11));  // nothing changes until the next poll
  PollInput();
  EXPECT_TRUE(IsKeyDown(0x19) && KeysDown() == 1);
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
  EXPECT_FALSE(IsKeyDown(-1));
  EXPECT_FALSE(IsKeyDown(KEY_CODE_COUNT));
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
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
  EXPECT_EQ(IsMouseButtonDown(0), 0);
  EXPECT_EQ(GetMouseDeltaX(), 0);

  // Focus back: that poll acquires again and still reads nothing, the next one reads.
  PushFocus(true);
  PushKey(SDL_SCANCODE_S, true);
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
  PushMotion(5, 6);
  PollInput();
  EXPECT_TRUE(IsKeyDown(0x1F));
  EXPECT_EQ(KeysDown(), 1);        // D was let go elsewhere: not held
  EXPECT_EQ(GetMouseDeltaX(), 5);  // movement counts from the new acquiring
  EXPECT_EQ(GetMouseDeltaY(), 6);

  // Focus gone and back between two polls costs one read.
  PushFocus(false);
  PushFocus(true);
  PushKey(SDL_SCANCODE_S, true);
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
  PollInput();
  EXPECT_TRUE(IsKeyDown(0x1F));

  // Released, every key reads up; a device or input object left dangling is used after it
  // is freed here, or released twice by TearDown.
  ReleaseInput();
  PollInput();
  EXPECT_EQ(KeysDown(), 0);
}

TEST_F(PolledInputTest, TheMouseCountsMovementBetweenPollsAndSamplesButtons) {
  PushMotion(3, -2);
  PushMotion(7, -5);
  PushWheel(1.0f, false);
  PushWheel(2.0f, false);
  PushButton(SDL_BUTTON_RIGHT, true);
  PushButton(SDL_BUTTON_X1, true);
  PushButton(SDL_BUTTON_X2, true);  // a fifth button has no place
  PushButton(SDL_BUTTON_LEFT, true);
  PushButton(SDL_BUTTON_LEFT, false);  // a click between polls is never seen
  PollInput();
  EXPECT_EQ(GetMouseDeltaX(), 10);
  EXPECT_EQ(GetMouseDeltaY(), -7);
  EXPECT_EQ(mouseState.lZ, 360);
  const int expected[] = {0, 0, 128, 0, 128, 0};  // buttons -1 to 4
  for (int button = -1; button < 5; ++button) {
    EXPECT_EQ(IsMouseButtonDown(button), expected[button + 1]) << button;
  }

  // Each poll counts afresh; buttons stay down until let go.
  PushWheel(1.0f, true);   // a wheel that reports the other way round
  PushWheel(0.5f, false);  // half a notch of a fine wheel
  PollInput();
  EXPECT_EQ(GetMouseDeltaX(), 0);
  EXPECT_EQ(mouseState.lZ, -60);
  EXPECT_EQ(IsMouseButtonDown(1), 128);
}

}  // namespace
