#pragma once
// The real game headless, with what it prints on standard error kept per step.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "../test_files.h"
#include "game/world_state.h"
#include "platform/input/key_codes.h"
#include "platform/system/system.h"
#include "record/headless_game.h"

// With the sound device the environment gives, every question answered yes.
class WatchedGame : public HeadlessGame {
 public:
  WatchedGame() : HeadlessGame(/*withSound=*/true) {
    system.defaultAnswer = IDYES;
    system.clock = 1000;
  }

  // Start-up's result; *printed gets its standard error.
  bool Start(std::string* printed) {
    ::testing::internal::CaptureStderr();
    const bool started = HeadlessGame::Start();
    *printed = ::testing::internal::GetCapturedStderr();
    return started;
  }

  // Passes one tick apart with Space held, so that shots and sounds are on the go;
  // what they printed.
  std::string Play(int passes) {
    input.keys[DIK_SPACE] = 0x80;
    const uint64_t ticksBefore = world.ticksRun;
    ::testing::internal::CaptureStderr();
    for (int pass = 0; pass < passes && !world.quitRequested; ++pass) {
      system.clock += 15;
      Pass();
    }
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(world.ticksRun - ticksBefore, static_cast<uint64_t>(passes)) << "the game stopped";
    EXPECT_FALSE(world.quitRequested);
    return printed;
  }
};

// How many lines of the text hold the word (and the second word, when given).
inline int LinesNaming(const std::string& text, const std::string& word,
                       const std::string& also = "") {
  std::istringstream lines(text);
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    count += line.find(word) != std::string::npos && line.find(also) != std::string::npos;
  }
  return count;
}
