// zf-replay [--check | --verify] SCRIPT: runs a script or a recorded run of the game
// headless and silent and prints the world after every pass; --check checks the lines the
// script expects instead, --verify compares a recording's state lines with the replayed
// world (see README.md beside this file).
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "expect.h"
#include "platform/system/regular_file.h"
#include "platform/system/stop_signals.h"
#include "record/replay.h"
#include "record/run_reader.h"

namespace {

// Runs the script quietly and says which of its expectations do not hold: status 1 when
// any, 0 when all hold.
int Check(const std::string& name, const std::string& script) {
  std::ostringstream printed;
  const int status = RunReplay(script, printed, std::cerr, false);
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

// The script, no more of it than a recording can hold: a regular file, or what comes on
// standard input. False after one line.
bool ReadScript(const std::string& name, std::string* script) {
  if (name != "-") {
    int error = 0;
    const FileRead read = ReadRegularFile(name.c_str(), MAX_RECORDING_BYTES, script, &error);
    if (read == FileRead::Read) return true;
    std::fprintf(stderr, "zf-replay: cannot read the script \"%s\" (%s)\n", name.c_str(),
                 FileReadProblem(read, error, MAX_RECORDING_BYTES).c_str());
    return false;
  }
  char chunk[1 << 16];
  while (script->size() <= MAX_RECORDING_BYTES && std::cin.read(chunk, sizeof chunk).gcount() > 0)
    script->append(chunk, static_cast<size_t>(std::cin.gcount()));
  if (script->size() <= MAX_RECORDING_BYTES) return true;
  std::fprintf(stderr, "zf-replay: standard input holds more than %zu bytes: no script\n",
               MAX_RECORDING_BYTES);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc == 3 ? argv[1] : "";
  const bool check = option == "--check", verify = option == "--verify";
  if (argc != 2 && !check && !verify) {
    std::fprintf(stderr, "usage: zf-replay [--check | --verify] SCRIPT (- for standard input)\n");
    return 2;
  }
  // Before SDL starts, which would make the signals a close that no pass reads.
  CatchStopSignals();
  // No window system; the run itself makes sure there is no sound device.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  const std::string name = argv[argc - 1];
  std::string script;
  if (!ReadScript(name, &script)) return 2;
  if (!check) return RunReplay(script, std::cout, std::cerr, verify);
  return Check(name, script);
}
