#pragma once
// The real game without a screen, for recorded runs, tests and benchmarks: its window
// draws into memory, and the clock, the keys, the pads and the answers are scripted.
// One at a time; the random sequence starts afresh with it, as in a new process.
#include "platform/audio/sound_device.h"
#include "platform/input/scripted_input.h"
#include "platform/system/scripted_system.h"
#include "platform/system/window.h"

class HeadlessGame {
 public:
  // Silent unless asked: with a sound device, a sound played on a busy voice takes a
  // value from the random sequence, and runs would depend on the machine's audio.
  explicit HeadlessGame(bool withSound = false);
  ~HeadlessGame();
  HeadlessGame(const HeadlessGame&) = delete;
  HeadlessGame& operator=(const HeadlessGame&) = delete;

  // A fresh world, the window and start-up; start-up's result.
  bool Start();
  // Shuts down whatever start-up made, a failed one too (a test process goes on where
  // the program would end), and closes the window.
  void Stop();
  // One pass of the main loop.
  void Pass();

  bool started() const { return started_; }
  WindowHandle window() const { return window_; }

  ScriptedSystem system;
  ScriptedInput input;
  Message lastMessage;

 private:
  SystemDriver* previousSystem_ = nullptr;
  ScriptedInput* previousInput_ = nullptr;
  SoundOutputMode previousSound_ = SoundOutputMode::Speakers;
  WindowHandle window_ = nullptr;
  bool started_ = false;
};
