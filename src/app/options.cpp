#include "app/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/system/verbose.h"

namespace {

struct Option {
  const char* name;
  const char* valueName;  // what follows the option (a FILE), or null for none
  const char* help;
  void (*apply)(ProgramOptions* options, const char* value);
};

constexpr Option OPTIONS[] = {
    {"--unpaced", nullptr, "a loop without pacing, for measuring (or ZF_UNPACED=1)",
     [](ProgramOptions* options, const char*) { options->paced = false; }},
    {"--record", "FILE", "record the run into FILE (without it, the last 3 runs are kept)",
     [](ProgramOptions* options, const char* file) {
       options->record = true;
       options->recordPath = file;
     }},
    {"--no-record", nullptr, "record nothing",
     [](ProgramOptions* options, const char*) { options->record = false; }},
    {"--replay", "FILE",
     "play a recorded run back in the window (Esc stops, P pauses); FILE best or last plays "
     "the fastest win or the newest run kept",
     [](ProgramOptions* options, const char* file) { options->replayPath = file; }},
    {"--runs", nullptr, "list the runs kept: when, time played, outcome and score",
     [](ProgramOptions* options, const char*) { options->listRuns = true; }},
    {"--no-start-card", nullptr, "start the run at once, without the card that shows the keys",
     [](ProgramOptions* options, const char*) { options->startCard = false; }},
    {"--verbose", nullptr, "also say what the game chose: renderer, fonts and folders",
     [](ProgramOptions*, const char*) { SetVerbose(true); }},
    {"--help", nullptr, "show this and end", nullptr},
};

void PrintHelp() {
  std::printf(
      "usage: zorbly-frondles [OPTION]...\n"
      "Steer a blob of sauce, shoot the drifting pasta and reach 50 points to win.\n\n");
  for (const Option& option : OPTIONS) {
    char name[40];
    std::snprintf(name, sizeof name, "%s %s", option.name,
                  option.valueName ? option.valueName : "");
    std::printf("  %-16s %s\n", name, option.help);
  }
  std::printf(
      "\nKeys (gamepad in brackets): arrows or W A S D move (left stick); Space fires (A);\n"
      "hold Z to phase (B), X for the magnet (X), C to charge (Y), E for energy (right\n"
      "trigger); F1-F5 set the weapon level; P pauses (Start); Alt+Enter switches full\n"
      "screen; Esc quits (Back).\n"
      "M mutes and unmutes the sound and - and = turn it down and up in ten steps.\n"
      "When a run ends: Y or Enter answers yes, N or Esc no, Tab and the arrows move between\n"
      "the answers, the mouse clicks them, and a gamepad's A chooses and B says no.\n\n"
      "The last 3 runs are kept in $XDG_STATE_HOME/zorbly-frondles (~/.local/state/\n"
      "zorbly-frondles when that is not set), the newest as last-run.zfr; the sound's\n"
      "volume in $XDG_CONFIG_HOME/zorbly-frondles/settings (~/.config/...); the bests\n"
      "(fastest win, highest score) in the state folder's records, the fastest win's run\n"
      "as best-win.zfr.\n");
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
    const char* value = nullptr;
    if (found->valueName) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zorbly-frondles: %s wants %s after it\n", found->name,
                     found->valueName);
        return 2;
      }
      value = argv[++i];
    }
    found->apply(options, value);
  }
  return -1;
}
