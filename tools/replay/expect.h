#pragma once
// A script's own expectations: "#> " comments name printed lines by their first words and
// list the fields they must hold; "#>! PREFIX" says no line starts so. See README.md.
#include <ostream>
#include <string>

// Checks the lines a run of the script printed against the script's expectations, and
// writes one line per expectation that does not hold, naming the script's line. The
// number of expectations that do not hold; -1 when the script expects nothing.
int CheckExpectations(const std::string& scriptName, const std::string& script,
                      const std::string& printed, std::ostream& problems);
