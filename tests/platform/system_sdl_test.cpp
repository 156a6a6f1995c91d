// The SDL system driver turns SDL's events into the game's messages: a closed window or
// a request to end the program is the window's destruction, and leaving or coming back
// is told from what the window is. Its wait for the next tick
// never ends before the tick's moment: a pass that came early would draw a frame for
// nothing before every tick.
#include <SDL.h>
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "../test_files.h"
#include "platform/system/sdl_window.h"
#include "platform/system/system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "pushed_event.h"

namespace {

class SdlSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDriver(nullptr);
    window = CreateGameWindow("Zorbly Frondles", 1024, 768, IgnoreMessages);
    ASSERT_NE(window, nullptr);
    for (Message queued; PeekMessage(&queued);) {
    }  // whatever opening the window queued
  }
  void TearDown() override { DestroyGameWindow(window); }

  WindowHandle window = nullptr;
};

TEST_F(SdlSystemTest, EventsBecomeMessagesOneAtATimeAndAWaitEndsNoSoonerThanItsMoment) {
  const auto close = [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; };
  PushEvent(SDL_WINDOWEVENT, close);
  PushEvent(SDL_KEYDOWN, [](SDL_Event& e) {
    e.key.keysym.scancode = SDL_SCANCODE_W;
    e.key.repeat = 1;
  });
  PushEvent(SDL_QUIT, [](SDL_Event&) {});
  PushEvent(SDL_WINDOWEVENT, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_EXPOSED; });
  // Minimised (SDL hides it) after it was shown, then back: told from what the window is
  // when its event is taken, so that going and coming back in between tells nothing.
  SDL_Window* shown = SdlGameWindow();
  SDL_ShowWindow(shown);
  SDL_HideWindow(shown);
  // However many moves are pending, a close after them comes next: it is not buried.
  for (int i = 0; i < 500; ++i) PushEvent(SDL_MOUSEMOTION, [](SDL_Event& e) { e.motion.xrel = 1; });
  PushEvent(SDL_WINDOWEVENT, close);

  std::vector<Message> messages;
  for (Message message; PeekMessage(&message);) messages.push_back(message);
  SDL_ShowWindow(shown);
  SDL_HideWindow(shown);
  SDL_ShowWindow(shown);
  for (Message message; PeekMessage(&message);) messages.push_back(message);
  const uint32_t expected[] = {MSG_DESTROY,   MSG_KEYDOWN, MSG_DESTROY, MSG_PAINT,
                               MSG_MINIMIZED, MSG_OTHER,   MSG_OTHER,   MSG_DESTROY,
                               MSG_RESTORED,  MSG_OTHER,   MSG_OTHER};
  ASSERT_EQ(messages.size(), std::size(expected));
  for (size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(messages[i].message, expected[i]) << i;
    EXPECT_EQ(messages[i].window, window) << i;
  }
  EXPECT_EQ(messages[1].wParam, static_cast<uintptr_t>(SDL_SCANCODE_W));
  EXPECT_EQ(messages[1].lParam, 1);

  for (const uint32_t ahead : {1u, 7u, 16u}) {
    const uint32_t due = SystemMilliseconds() + ahead;
    for (Message message; WaitMessageUntil(due);) PeekMessage(&message);
    EXPECT_GE(static_cast<int32_t>(SystemMilliseconds() - due), 0) << ahead << " ms ahead";
  }
}

TEST_F(SdlSystemTest, AQuestionThatCannotBeShownCountsAsNo) {
  // The dummy video driver has no message boxes.
  EXPECT_NE(MessageBox("Play again?", "ZORBLY FRONDLES", MB_YESNO | MB_ICONEXCLAMATION), IDYES);
}

}  // namespace
