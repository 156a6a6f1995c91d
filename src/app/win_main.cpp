#include "app/win_main.h"

#include <cstdlib>

#include "app/playback.h"
#include "app/run_recorder.h"
#include "app/sound_keys.h"
#include "game/game_entry.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "platform/input/key_codes.h"
#include "platform/system/system.h"
#include "shared/screen.h"

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case MSG_DESTROY:
      world.quitRequested = true;
      world.windowClosed = true;
      PostQuitMessage(0);
      return 0;
    case MSG_KILLFOCUS:
    case MSG_SETFOCUS:
      GameWindowFocus(message == MSG_SETFOCUS);
      return 0;
    case MSG_MINIMIZED:
    case MSG_RESTORED:
      GameWindowMinimised(message == MSG_MINIMIZED);
      return 0;
    case MSG_KEYDOWN:
      // The game reads its keys from the keyboard's state; these are the player's own.
      // (A recorded run's messages carry no key, so its replay changes nothing here.)
      HandleSoundKey(KeyCodeFromScancode(static_cast<int>(wParam)), lParam != 0);
      return DefWindowProc(window, message, wParam, lParam);
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

void RunPass(const GameEntryPoints& game, WindowHandle window, Message* lastMessage) {
  // One message at most per pass, then one frame, whatever came.
  Message message;
  if (PeekMessage(&message)) {
    DispatchMessage(message);
    *lastMessage = message;
  }
  game.frame(window);
}

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
  if (options.replayPath) return PlayRecording(game, options.replayPath);
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  if (!window) return EXIT_FAILURE;
  // Before the sound starts, so that a muted game makes no sound at all.
  if (options.playerSettings) LoadSoundSettings();

  if (!game.startup(window)) {
    // Whatever start-up made is left to the end of the process.
    return EXIT_FAILURE;
  }

  // Its buffer is no thing for the stack.
  static RunRecorder recorder;
  if (options.record && options.recordPath) recorder.Start(options.recordPath);
  else if (options.record) recorder.StartInStateFolder();

  Message lastMessage;
  while (!world.quitRequested) {
    // Drawing more often than the game moves only burns the player's battery.
    if (options.paced) WaitForNextTick(&lastMessage);
    RunPass(game, window, &lastMessage);
    recorder.EndPass();
  }

  recorder.Finish();
  game.shutdown();
  DestroyGameWindow(window);
  // Only a quit message carries an exit code; any other message's wParam (a key's code,
  // a width) is no statement about how the run ended.
  return lastMessage.message == MSG_QUIT ? static_cast<int>(lastMessage.wParam) : EXIT_SUCCESS;
}

int WinMain(int argc, const char* const* argv) {
  ProgramOptions options;
  const int status = ParseProgramOptions(argc, argv, &options);
  if (status >= 0) return status;
  options.playerSettings = true;
  return RunProgram(GameEntryPoints{GameStartup, GameFrame, GameShutdown}, options);
}
