// The SDL system driver turns SDL's events into the game's messages: a closed window or
// a request to end the program is the window's destruction.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/system/system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"

namespace {

intptr_t NoProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

class SdlSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDriver(nullptr);
    window = CreateGameWindow("Zorbly Frondles", 1024, 768, NoProcedure);
    ASSERT_NE(window, nullptr);
    Message ignored;
    while (PeekMessage(&ignored)) {
    }  // whatever opening the window queued
  }
  void TearDown() override { DestroyGameWindow(window); }

  uint32_t Next() {
    Message message;
    EXPECT_TRUE(PeekMessage(&message));
    EXPECT_EQ(message.window, window);
    lastWParam = message.wParam;
    lastLParam = message.lParam;
    return message.message;
  }

  WindowHandle window = nullptr;
  uintptr_t lastWParam = 0;
  intptr_t lastLParam = 0;
};

TEST_F(SdlSystemTest, EventsBecomeMessagesOneAtATime) {
  SDL_Event close{SDL_WINDOWEVENT}, key{SDL_KEYDOWN}, quit{SDL_QUIT}, minimised{SDL_WINDOWEVENT};
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  key.key.keysym.scancode = SDL_SCANCODE_W;
  key.key.repeat = 1;
  minimised.window.event = SDL_WINDOWEVENT_MINIMIZED;
  for (SDL_Event* event : {&close, &key, &quit, &minimised}) SDL_PushEvent(event);

  EXPECT_EQ(Next(), MSG_DESTROY);
  EXPECT_EQ(Next(), MSG_KEYDOWN);
  EXPECT_EQ(lastWParam, static_cast<uintptr_t>(SDL_SCANCODE_W));
  EXPECT_EQ(lastLParam, 1);
  EXPECT_EQ(Next(), MSG_DESTROY);
  EXPECT_EQ(Next(), MSG_MINIMIZED);
  Message none;
  EXPECT_FALSE(PeekMessage(&none));
}

TEST_F(SdlSystemTest, PendingMouseMovesMakeOneMessageSoACloseIsNotBuried) {
  SDL_Event move{SDL_MOUSEMOTION}, close{SDL_WINDOWEVENT};
  move.motion.xrel = 1;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  for (int i = 0; i < 500; ++i) SDL_PushEvent(&move);
  SDL_PushEvent(&close);

  EXPECT_EQ(Next(), MSG_OTHER);
  EXPECT_EQ(Next(), MSG_DESTROY);
}

TEST_F(SdlSystemTest, AQuestionThatCannotBeShownCountsAsNo) {
  // The dummy video driver has no message boxes.
  EXPECT_NE(MessageBox("Play again?", "ZORBLY FRONDLES", MB_YESNO | MB_ICONEXCLAMATION), IDYES);
}

}  // namespace
