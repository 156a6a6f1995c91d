// zf-replay [--verify] SCRIPT: runs a script or a recorded run of the game headless and
// silent and prints the world after every pass, or with --verify compares a recording's
// state lines with the replayed world (see README.md beside this file).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "replay/replay.h"

int main(int argc, char** argv) {
  const bool verify = argc == 3 && std::strcmp(argv[1], "--verify") == 0;
  if (argc != 2 + (verify ? 1 : 0)) {
    std::fprintf(stderr, "usage: zf-replay [--verify] SCRIPT (- for standard input)\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  // No window system; the run itself makes sure there is no sound device.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  if (std::strcmp(path, "-") == 0) return RunReplay(std::cin, std::cout, std::cerr, verify);
  std::ifstream script(path, std::ios::binary);
  if (!script) {
    std::fprintf(stderr, "zf-replay: cannot open the script \"%s\"\n", path);
    return 2;
  }
  return RunReplay(script, std::cout, std::cerr, verify);
}
