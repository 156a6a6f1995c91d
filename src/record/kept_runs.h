#pragma once
// The runs kept in the state folder, as the player finds them: --runs lists them and
// --replay best and --replay last name two of them.
#include <iosfwd>
#include <string>

// One line a kept run (its file, when it was played, time played, outcome and score),
// read from the results its recording notes, without replaying it. The exit status: 0,
// or 1 after one line when there is no state folder.
int ListKeptRuns(std::ostream& out);

// "best": the fastest win's recording; "last": the newest run; any other name as it is.
// Empty, after one line, when there is no state folder to look in.
std::string RecordingNamed(const char* name);
