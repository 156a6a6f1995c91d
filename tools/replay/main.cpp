// zf-replay SCRIPT: runs a recorded run of the game headless and silent and prints the
// world after every pass (see README.md beside this file).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "replay/replay.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zf-replay SCRIPT (- for standard input)\n");
    return 2;
  }
  // No window system; the run itself makes sure there is no sound device.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  if (std::string(argv[1]) == "-") return RunReplay(std::cin, std::cout, std::cerr);
  std::ifstream script(argv[1]);
  if (!script) {
    std::fprintf(stderr, "zf-replay: cannot open the script \"%s\"\n", argv[1]);
    return 2;
  }
  return RunReplay(script, std::cout, std::cerr);
}
