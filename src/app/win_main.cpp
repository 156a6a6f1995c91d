#include "app/win_main.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "audio/sound_keys.h"
#include "game/run_result.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "platform/system/system.h"
#include "platform/system/verbose.h"
#include "record/kept_runs.h"
#include "record/replay_window.h"
#include "record/run_recorder.h"
#include "record/run_records.h"
#include "shared/screen.h"

void WaitForNextTick(Message* lastMessage) {
  const uint32_t due = world.lastTickTime + TICK_GAP_MS + 1;
  for (;;) {
    Message message;
    while (!world.quitRequested && PeekMessage(&message)) {
      DispatchMessage(message);
      *lastMessage = message;
    }
    // The tick gate's own unsigned test: a tick already due, however long ago, is not
    // waited for, and a close is not kept waiting.
    if (world.quitRequested || SystemMilliseconds() - world.lastTickTime > TICK_GAP_MS) return;
    if (!WaitMessageUntil(due)) return;
  }
}

int RunProgram(const GameEntryPoints& game, const ProgramOptions& options) {
  if (options.listRuns) return ListKeptRuns(std::cout);
  if (options.replayPath) {
    const std::string path = RecordingNamed(options.replayPath);
    return path.empty() ? 2 : PlayRecording(game, path.c_str(), options.playerSettings);
  }
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  if (!window) return EXIT_FAILURE;
  // Before the sound starts, so that a muted game makes no sound at all.
  if (options.playerSettings) LoadSoundSettings();

  if (!game.startup(window)) {
    // Whatever start-up made is left to the end of the process.
    return EXIT_FAILURE;
  }
  // The run, its clock and its recording begin once the card is left: its first pass
  // finds the world as start-up left it, as without the card.
  if (options.startCard && !GreetPlayer()) {
    game.shutdown();
    DestroyGameWindow(window);
    return EXIT_SUCCESS;
  }

  // Its buffer is no thing for the stack.
  static RunRecorder recorder;
  if (options.record && options.recordPath) recorder.Start(options.recordPath);
  else if (options.record) recorder.StartInStateFolder();
  RecordKeeper keeper(&recorder, options.playerSettings);
  RunEndWatcher* previousWatcher = SetRunEndWatcher(&keeper);

  Message lastMessage;
  while (!world.quitRequested) {
    // Drawing more often than the game moves only burns the player's battery.
    if (options.paced) WaitForNextTick(&lastMessage);
    RunPass(game, window, &lastMessage);
    recorder.EndPass();
  }

  LeaveRun();
  SetRunEndWatcher(previousWatcher);
  recorder.Finish();
  keeper.KeepBestWin();
  game.shutdown();
  DestroyGameWindow(window);
  // Only a quit message carries an exit code; any other message's wParam (a key's code,
  // a width) is no statement about how the run ended.
  return lastMessage.message == MSG_QUIT ? static_cast<int>(lastMessage.wParam) : EXIT_SUCCESS;
}

int WinMain(int argc, const char* const* argv) {
  // A closed standard output or error (a pipe whose reader went away) is no reason to
  // stop playing or recording: writes to it fail and the game goes on.
  std::signal(SIGPIPE, SIG_IGN);
  ProgramOptions options;
  const int status = ParseProgramOptions(argc, argv, &options);
  if (status >= 0) return status;
  SayChosenFolders();
  options.playerSettings = true;
  return RunProgram(GAME_ENTRY_POINTS, options);
}
