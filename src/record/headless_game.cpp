#include "record/headless_game.h"

#include "game/game_entry.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/random.h"
#include "shared/screen.h"

HeadlessGame::HeadlessGame(bool withSound) {
  previousSound_ = GetSoundOutputMode();
  if (!withSound) SetSoundOutputMode(SoundOutputMode::Off);
  previousSystem_ = SetSystemDriver(&system);
  previousInput_ = SetScriptedInput(&input);
  ResetRand();
}

HeadlessGame::~HeadlessGame() {
  Stop();
  SetSceneFailing(false);
  SetScriptedInput(previousInput_);
  SetSystemDriver(previousSystem_);
  SetSoundOutputMode(previousSound_);
  world = WorldState{};
}

bool HeadlessGame::Start() {
  world = WorldState{};
  window_ = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  started_ = window_ && GameStartup(window_);
  return started_;
}

void HeadlessGame::Stop() {
  if (window_) {
    GameShutdown();
    DestroyGameWindow(window_);
  }
  window_ = nullptr;
  started_ = false;
}

void HeadlessGame::Pass() { RunPass(GAME_ENTRY_POINTS, window_, &lastMessage); }
