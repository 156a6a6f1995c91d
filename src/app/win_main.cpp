#include "app/win_main.h"

#include <cstdlib>

#include "game/game_entry.h"
#include "game/world_state.h"

const char* const gameTitle = "Zorbly Frondles";

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == MSG_DESTROY) {
    world.quitRequested = true;
    world.windowClosed = true;
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

void RunPass(const GameEntryPoints& game, WindowHandle window, Message* lastMessage) {
  // Never wait for a message: one at most per pass, then one frame, whatever came.
  Message message;
  if (PeekMessage(&message)) {
    DispatchMessage(message);
    *lastMessage = message;
  }
  game.frame(window);
}

int RunProgram(const GameEntryPoints& game) {
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  if (!window) return EXIT_FAILURE;

  if (!game.startup(window)) {
    // Whatever start-up made is left to the end of the process.
    return EXIT_FAILURE;
  }

  Message lastMessage;
  while (!world.quitRequested) RunPass(game, window, &lastMessage);

  game.shutdown();
  DestroyGameWindow(window);
  // Only a quit message carries an exit code; any other message's wParam (a key's code,
  // a width) is no statement about how the run ended.
  return lastMessage.message == MSG_QUIT ? static_cast<int>(lastMessage.wParam) : EXIT_SUCCESS;
}

int WinMain() { return RunProgram(GameEntryPoints{GameStartup, GameFrame, GameShutdown}); }
