#pragma once
// The real game in a window that draws into memory, on a scripted clock and keyboard;
// what it prints on standard error is kept per step.
#include <gtest/gtest.h>

#include <string>

#include "app/win_main.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "platform/input/scripted_input.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system.h"

class HeadlessGame {
 public:
  HeadlessGame() {
    system.defaultAnswer = IDYES;
    system.clock = 1000;
    previousSystem_ = SetSystemDriver(&system);
    previousInput_ = SetScriptedInput(&input);
  }
  ~HeadlessGame() {
    Stop();
    SetScriptedInput(previousInput_);
    SetSystemDriver(previousSystem_);
  }
  HeadlessGame(const HeadlessGame&) = delete;
  HeadlessGame& operator=(const HeadlessGame&) = delete;

  // Start-up's result; *printed gets its standard error.
  bool Start(std::string* printed) {
    world = WorldState{};
    ::testing::internal::CaptureStderr();
    window_ = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
    started_ = window_ && GameStartup(window_);
    *printed = ::testing::internal::GetCapturedStderr();
    return started_;
  }

  // Passes one tick apart with Space held, so that shots and sounds are on the go;
  // what they printed.
  std::string Play(int passes) {
    input.keys[DIK_SPACE] = 0x80;
    const uint64_t ticksBefore = world.ticksRun;
    ::testing::internal::CaptureStderr();
    Message last;
    for (int pass = 0; pass < passes && !world.quitRequested; ++pass) {
      system.clock += 15;
      RunPass(GameEntryPoints{GameStartup, GameFrame, GameShutdown}, window_, &last);
    }
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(world.ticksRun - ticksBefore, static_cast<uint64_t>(passes)) << "the game stopped";
    EXPECT_FALSE(world.quitRequested);
    return printed;
  }

  // A failed start-up is shut down too: the program leaves that to its exit, a test
  // process goes on.
  void Stop() {
    if (window_) GameShutdown();
    if (window_) DestroyGameWindow(window_);
    started_ = false;
    window_ = nullptr;
    world = WorldState{};
  }

  ScriptedSystem system;
  ScriptedInput input;

 private:
  SystemDriver* previousSystem_ = nullptr;
  ScriptedInput* previousInput_ = nullptr;
  WindowHandle window_ = nullptr;
  bool started_ = false;
};

// How many lines of the text hold the word (and the second word, when given).
inline int LinesNaming(const std::string& text, const std::string& word,
                       const std::string& also = "") {
  int count = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.find(word) != std::string::npos && line.find(also) != std::string::npos) ++count;
    start = end + 1;
  }
  return count;
}
