#include "record/kept_runs.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <ostream>
#include <vector>

#include "platform/system/player_files.h"
#include "platform/system/regular_file.h"
#include "record/run_reader.h"
#include "record/run_records.h"

namespace {

constexpr const char* KEPT[] = {"best-win.zfr", "last-run.zfr", "last-run.1.zfr", "last-run.2.zfr"};

// Of a recording's runs, the one a player would name: a win over the rest, the fastest of
// the wins, else the highest score.
bool Better(const RunOutcome& a, const RunOutcome& b) {
  const bool aWon = a.end == RunEnd::Won, bWon = b.end == RunEnd::Won;
  if (aWon != bWon) return aWon;
  if (aWon) return a.playedMs < b.playedMs;
  return a.score > b.score;
}

std::string StateFolderOrSay() {
  std::string why;
  const std::string folder = StateFolder(&why);
  if (folder.empty())
    std::fprintf(stderr, "zorbly-frondles: no folder of kept runs (%s)\n", why.c_str());
  return folder;
}

bool ListRun(std::ostream& out, const std::string& folder, const char* name) {
  const std::string path = folder + "/" + name;
  struct stat about {};
  if (stat(path.c_str(), &about) != 0) return false;
  char when[32] = "?";
  std::tm local{};
  if (localtime_r(&about.st_mtime, &local))
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
  std::string text;
  int error = 0;
  const FileRead read = ReadRegularFile(path.c_str(), MAX_RECORDING_BYTES, &text, &error);
  const std::vector<RunOutcome> runs =
      read == FileRead::Read ? RecordedResults(text) : std::vector<RunOutcome>{};
  char line[200];
  if (runs.empty()) {
    std::snprintf(line, sizeof line, "%-15s %s  %s", name, when,
                  read == FileRead::Read
                      ? "no result noted"
                      : FileReadProblem(read, error, MAX_RECORDING_BYTES).c_str());
  } else {
    RunOutcome best = runs[0];
    for (const RunOutcome& run : runs) best = Better(run, best) ? run : best;
    char of[32] = "";
    if (runs.size() > 1) std::snprintf(of, sizeof of, "  (best of %zu runs)", runs.size());
    std::snprintf(line, sizeof line, "%-15s %s  %8s  %-4s  score %d%s", name, when,
                  FormatPlayed(best.playedMs).c_str(), RunEndName(best.end), best.score, of);
  }
  out << line << "\n";
  return true;
}

}  // namespace

int ListKeptRuns(std::ostream& out) {
  const std::string folder = StateFolderOrSay();
  if (folder.empty()) return 1;
  out << "Runs kept in " << folder << ":\n";
  bool any = false;
  for (const char* name : KEPT) any = ListRun(out, folder, name) || any;
  if (!any) out << "none yet\n";
  return 0;
}

std::string RecordingNamed(const char* name) {
  const std::string which = name;
  if (which != "best" && which != "last") return which;
  const std::string folder = StateFolderOrSay();
  if (folder.empty()) return folder;
  return folder + (which == "best" ? "/best-win.zfr" : "/last-run.zfr");
}
