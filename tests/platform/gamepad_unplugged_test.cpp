// The real game on SDL's gamepads: none at start-up, one plugged in during play that the
// game takes up, and the same pad pulled out while its buttons are held. Each is said
// in a line, and the game plays on with the keyboard.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "app/win_main.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "input/input.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system.h"
#include "virtual_pad.h"

namespace {

class GamepadGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "none", 1);
    previousSystem_ = SetSystemDriver(&system_);  // a scripted clock; the pads are SDL's
    world = WorldState{};
    window_ = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
    ASSERT_TRUE(window_ && GameStartup(window_));
  }
  void TearDown() override {
    GameShutdown();
    if (window_) DestroyGameWindow(window_);
    world = WorldState{};
    SetSystemDriver(previousSystem_);
  }

  // Ticks as the main loop runs them; the scripted system pumps no SDL events, so the
  // pads' states are taken in here. What the passes printed.
  std::string Play(int passes) {
    const uint64_t ticksBefore = world.ticksRun;
    ::testing::internal::CaptureStderr();
    Message last;
    for (int pass = 0; pass < passes; ++pass) {
      SDL_PumpEvents();
      system_.clock += 15;
      RunPass(GameEntryPoints{GameStartup, GameFrame, GameShutdown}, window_, &last);
    }
    EXPECT_EQ(world.ticksRun - ticksBefore, static_cast<uint64_t>(passes));
    EXPECT_FALSE(world.quitRequested);
    return ::testing::internal::GetCapturedStderr();
  }

  ScriptedSystem system_;
  SystemDriver* previousSystem_ = nullptr;
  WindowHandle window_ = nullptr;
};

TEST_F(GamepadGameTest, NoPadThenOnePluggedInThenPulledOutWhileHeld) {
  std::string printed = Play(5);
  if (printed.find("no gamepad found") == std::string::npos) {
    GTEST_SKIP() << "a gamepad is plugged into this machine, or pads were started earlier: "
                 << printed;
  }

  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 30000);  // down

  const float startY = world.player.y;
  EXPECT_EQ(Play(20), "");
  EXPECT_EQ(gamepadStates[0].wButtons, XINPUT_GAMEPAD_A);
  EXPECT_GT(world.player.y, startY);  // the stick moves the player
  int shots = 0;
  for (const GameObject& shot : world.projectiles) shots += shot.active;
  EXPECT_GT(shots, 0);  // and A fires

  pad.Unplug();
  printed = Play(20);
  EXPECT_NE(printed.find("gamepad 1 (Scripted pad) was unplugged"), std::string::npos) << printed;
  EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
