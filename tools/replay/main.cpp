// zf-replay [--check | --verify] SCRIPT: runs a script or a recorded run of the game
// headless and silent and prints the world after every pass; --check checks the lines the
// script expects instead, --verify compares a recording's state lines with the replayed
// world (see README.md beside this file).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "expect.h"
#include "record/replay.h"

namespace {

// Runs the script quietly and says which of its expectations do not hold: status 1 when
// any, 0 when all hold.
int Check(const std::string& name, const std::string& script) {
  std::istringstream in(script);
  std::ostringstream printed;
  const int status = RunReplay(in, printed, std::cerr, false);
  if (status != 0) return status;
  const int failures = CheckExpectations(name, script, printed.str(), std::cerr);
  if (failures < 0) {
    std::fprintf(stderr, "zf-replay: %s expects nothing: no \"#>\" lines\n", name.c_str());
    return 1;
  }
  if (failures > 0) return 1;
  std::printf("zf-replay: every expectation of %s holds\n", name.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc == 3 ? argv[1] : "";
  const bool check = option == "--check", verify = option == "--verify";
  if (argc != 2 && !check && !verify) {
    std::fprintf(stderr, "usage: zf-replay [--check | --verify] SCRIPT (- for standard input)\n");
    return 2;
  }
  // No window system; the run itself makes sure there is no sound device.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  const std::string name = argv[argc - 1];
  std::ifstream file;
  if (name != "-") {
    file.open(name, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "zf-replay: cannot open the script \"%s\"\n", name.c_str());
      return 2;
    }
  }
  std::istream& script = name == "-" ? std::cin : file;
  if (!check) return RunReplay(script, std::cout, std::cerr, verify);
  std::stringstream text;
  text << script.rdbuf();
  return Check(name, text.str());
}
