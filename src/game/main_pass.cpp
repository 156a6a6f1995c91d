// What the window's messages do to the game, and one pass of the main loop.
#include "game/game_entry.h"
#include "game/player_keys.h"
#include "game/world_state.h"

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case MSG_DESTROY:
      world.quitRequested = true;
      world.windowClosed = true;
      PostQuitMessage(0);
      return 0;
    case MSG_KILLFOCUS:
    case MSG_SETFOCUS: GameWindowFocus(message == MSG_SETFOCUS); return 0;
    case MSG_MINIMIZED:
    case MSG_RESTORED: GameWindowMinimised(message == MSG_MINIMIZED); return 0;
    case MSG_KEYDOWN:
      // The game reads its keys from the keyboard's state; these are the player's own.
      // (A recorded run's messages carry no key, so its replay changes nothing here.)
      HandlePlayerKey(Message{window, message, wParam, lParam}, nullptr);
      return DefWindowProc(window, message, wParam, lParam);
    default: return DefWindowProc(window, message, wParam, lParam);
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
