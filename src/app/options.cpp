#include "app/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Option {
  const char* name;
  const char* help;
  void (*apply)(ProgramOptions* options);
};

constexpr Option OPTIONS[] = {
    {"--unpaced", "never wait between passes, as the loop was first written (or ZF_UNPACED=1)",
     [](ProgramOptions* options) { options->paced = false; }},
    {"--help", "show this and end", nullptr},
};

void PrintHelp() {
  std::printf("usage: zorbly-frondles [OPTION]...\n"
              "By default the game waits after each pass until its next tick is due.\n\n");
  for (const Option& option : OPTIONS) std::printf("  %-10s  %s\n", option.name, option.help);
}

}  // namespace

int ParseProgramOptions(int argc, const char* const* argv, ProgramOptions* options) {
  const char* unpaced = std::getenv("ZF_UNPACED");
  if (unpaced && std::strcmp(unpaced, "1") == 0) options->paced = false;
  for (int i = 1; i < argc; ++i) {
    const Option* found = nullptr;
    for (const Option& option : OPTIONS) {
      if (std::strcmp(argv[i], option.name) == 0) found = &option;
    }
    if (!found) {
      std::fprintf(stderr, "zorbly-frondles: unknown option \"%s\" (--help lists them)\n", argv[i]);
      return 2;
    }
    if (!found->apply) {
      PrintHelp();
      return 0;
    }
    found->apply(options);
  }
  return -1;
}
