#pragma once
// zf-replay's engine: the real start-up and passes of the game, headless and silent,
// driven by a recorded run or a hand-written script through the one reader and player,
// printing the world after every pass (tools/replay/README.md has the lines).
#include <iosfwd>
#include <string_view>

// Runs the script and prints its lines to out; problems with the script go to errors.
// 0 when the script ran to its end (or the game ended), 2 for a script it cannot read.
// With verify, a recording's state lines are compared with the replayed world instead:
// one verdict line, 1 with the first pass that differs, 2 when no pass was replayed.
// After CatchStopSignals, Ctrl-C or SIGTERM ends the run between passes with one line and
// 128 + the signal's number, as a shell reports a program the signal ended.
int RunReplay(std::string_view script, std::ostream& out, std::ostream& errors,
              bool verify = false);
