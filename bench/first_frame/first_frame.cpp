// Started afresh by the fresh-process benchmarks: `zf_first_frame game FD` starts as the
// game does and presents its first frame; `zf_first_frame bare FD` opens the window and
// presents one cleared frame on the same renderer. Either then writes one byte to FD
// and shuts down.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "game/game_entry.h"
#include "gfx/graphics_device.h"
#include "shared/screen.h"

int main(int argc, char** argv) {
  if (argc != 3) return EXIT_FAILURE;
  const bool game = std::strcmp(argv[1], "game") == 0;
  const int shown = std::atoi(argv[2]);
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  if (!window) return EXIT_FAILURE;
  if (game) {
    if (!GameStartup(window)) return EXIT_FAILURE;
    Message last;
    RunPass(GAME_ENTRY_POINTS, window, &last);
  } else {
    if (!InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false)) return EXIT_FAILURE;
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000064, 1.0f, 0);
    graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
  }
  const char frame = 1;
  if (write(shown, &frame, 1) != 1) return EXIT_FAILURE;
  if (game) {
    GameShutdown();
  } else {
    ReleaseGraphics();
  }
  DestroyGameWindow(window);
  return EXIT_SUCCESS;
}
