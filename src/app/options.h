#pragma once
// The program's command line: a table of options, so that a new one is one more row.

struct ProgramOptions {
  // Wait after each pass until the next tick is due; false: the loop as first written,
  // one message at most per pass and never waiting.
  bool paced = true;
  // The run is recorded: into recordPath when given (--record), else into the last runs
  // kept in the state folder. --no-record: not at all.
  bool record = true;
  const char* recordPath = nullptr;
  // --replay: a recording played back in the window instead of a game played ("best" and
  // "last" name the fastest win's and the newest run kept).
  const char* replayPath = nullptr;
  // Our start card before the run; --no-start-card: straight into the run.
  bool startCard = true;
  // --runs: the kept runs listed instead of a game played.
  bool listRuns = false;
  // The player's settings (the sound's volume) are read once the window is open, and the
  // records kept as runs end. WinMain sets it; runs of the loop in tests leave them alone.
  bool playerSettings = false;
};

// Reads the command line and the environment (ZF_UNPACED=1) into *options. Returns -1 to
// run the game, or the exit status to end with at once: 0 after --help, 2 after one line
// naming an option it does not know or missing its FILE.
int ParseProgramOptions(int argc, const char* const* argv, ProgramOptions* options);
