// The stored input state and the life of the input devices, as the game sees them.
#include <gtest/gtest.h>

#include <cstring>

#include "input/input.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system_driver.h"

namespace {

intptr_t NoProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

bool AllZero(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(InputLifeTest, ReadsThatFailLeaveEverythingUpAndReleaseHappensOnce) {
  ScriptedSystem system;  // no display: the window never has the input focus
  SystemDriver* previous = SetSystemDriver(&system);
  WindowHandle window = CreateGameWindow("Zorbly Frondles", 1024, 768, NoProcedure);
  ASSERT_TRUE(InitInput(window));
  ASSERT_NE(directInput, nullptr);
  ASSERT_NE(keyboardDevice, nullptr);
  ASSERT_NE(mouseDevice, nullptr);

  std::memset(keyboardState, 0x80, sizeof keyboardState);
  mouseState = DIMOUSESTATE{5, 6, 120, {0x80, 0x80, 0x80, 0x80}};
  for (int tick = 0; tick < 3; ++tick) {
    PollInput();
    EXPECT_TRUE(AllZero(keyboardState, sizeof keyboardState)) << "tick " << tick;
    EXPECT_TRUE(AllZero(&mouseState, sizeof mouseState)) << "tick " << tick;
  }

  ReleaseInput();
  EXPECT_EQ(directInput, nullptr);
  EXPECT_EQ(keyboardDevice, nullptr);
  EXPECT_EQ(mouseDevice, nullptr);
  ReleaseInput();
  EXPECT_EQ(directInput, nullptr);
  keyboardState[DIK_D] = 0x80;
  PollInput();  // nothing left to read: every key up
  EXPECT_FALSE(IsKeyDown(DIK_D));

  DestroyGameWindow(window);
  SetSystemDriver(previous);
}

}  // namespace
