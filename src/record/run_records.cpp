#include "record/run_records.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/system/player_files.h"
#include "record/run_reader.h"
#include "record/run_recorder.h"

namespace {

constexpr std::string_view HEADER =
    "# Zorbly Frondles: the player's bests (times in milliseconds of play); best-win.zfr\n"
    "# beside this file is the recording of the fastest win.\n";
constexpr std::string_view RESULT = "# result ";

void Say(const std::string& line) { std::fprintf(stderr, "zorbly-frondles: %s\n", line.c_str()); }

// A plain decimal of at most nine digits, as the game writes it.
bool ReadNumber(std::string_view text, uint32_t* value) {
  if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return false;
  *value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + static_cast<uint32_t>(c - '0');
  }
  return true;
}

RunRecords Merged(const RunRecords& a, const RunRecords& b) {
  RunRecords merged;
  merged.fastestWinMs = !a.fastestWinMs   ? b.fastestWinMs
                        : !b.fastestWinMs ? a.fastestWinMs
                                          : std::min(a.fastestWinMs, b.fastestWinMs);
  merged.highestScore = std::max(a.highestScore, b.highestScore);
  return merged;
}

}  // namespace

bool ParseRunRecords(std::string_view text, RunRecords* records, std::string* problem) {
  *records = RunRecords{};
  problem->clear();
  const int damaged = ReadKeyValueLines(
      text, [records](std::string_view key, std::string_view value, std::string_view) {
        uint32_t number = 0;
        if (!ReadNumber(value, &number)) return false;
        if (key == "fastest-win") records->fastestWinMs = number;
        else if (key == "highest-score") records->highestScore = static_cast<int32_t>(number);
        else return false;
        return true;
      });
  if (text.empty()) *problem = "are empty";
  else if (damaged != 0) *problem = "are damaged at line " + std::to_string(damaged);
  if (problem->empty()) return true;
  *records = RunRecords{};
  return false;
}

std::string FormatRunRecords(const RunRecords& records) {
  return std::string(HEADER) + "fastest-win=" + std::to_string(records.fastestWinMs) +
         "\nhighest-score=" + std::to_string(records.highestScore) + "\n";
}

std::string ResultComment(const RunOutcome& outcome) {
  return std::string(RESULT) + RunEndName(outcome.end) + " score=" + std::to_string(outcome.score) +
         " played=" + std::to_string(outcome.playedMs);
}

std::vector<RunOutcome> RecordedResults(std::string_view text) {
  std::vector<RunOutcome> results;
  for (size_t at = text.find(RESULT); at != std::string_view::npos;
       at = text.find(RESULT, at + 1)) {
    if (at > 0 && text[at - 1] != '\n') continue;
    const std::string line(text.substr(at, std::min<size_t>(80, text.size() - at)));
    char end[8] = {};
    RunOutcome outcome;
    if (std::sscanf(line.c_str(), "# result %7s score=%d played=%u", end, &outcome.score,
                    &outcome.playedMs) != 3) {
      continue;
    }
    for (const RunEnd kind : {RunEnd::Died, RunEnd::Won, RunEnd::Left}) {
      if (std::string_view(end) == RunEndName(kind)) outcome.end = kind;
    }
    results.push_back(outcome);
  }
  return results;
}

void RecordKeeper::SayOnce(const std::string& line) {
  if (said_) return;
  said_ = true;
  Say(line);
}

bool RecordKeeper::Load(const std::string& path, RunRecords* records) {
  *records = RunRecords{};
  std::string text, why;
  const PlayerFileRead read = ReadPlayerFile(path, RECORDS_MAX_BYTES, &text, &why);
  if (read == PlayerFileRead::Missing) return true;
  std::string problem = "cannot read the records \"" + path + "\" (" + why + ")";
  if (read == PlayerFileRead::Read) {
    if (ParseRunRecords(text, records, &why)) return true;
    problem = "the records \"" + path + "\" " + why;
  }
  const std::string aside = SetPlayerFileAside(path, &why);
  if (aside.empty()) {
    Say(problem + "; it is left as it is (cannot set it aside: " + why +
        ") and the bests last until the game ends");
    return false;
  }
  Say(problem + "; the bests start afresh, the old file kept as \"" + aside + "\"");
  return true;
}

void RecordKeeper::RunEnded(const RunOutcome& outcome, RunBests* bests) {
  if (recorder_) recorder_->NoteResult(outcome);
  if (outcome.end == RunEnd::Left || !keepRecords_) return;
  std::string why;
  const std::string folder = StateFolder(&why);
  std::optional<PlayerFolderLock> lock;
  bool writable = !folder.empty();
  RunRecords before = session_;
  if (folder.empty()) {
    SayOnce("no folder for the records (" + why + "); the bests last until the game ends");
  } else {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    lock.emplace(folder);
    RunRecords kept;
    writable = Load(folder + "/records", &kept);
    before = Merged(before, kept);
  }
  const bool won = outcome.end == RunEnd::Won;
  bests->newFastest = won && (!before.fastestWinMs || outcome.playedMs < before.fastestWinMs);
  bests->newHighest = outcome.score > before.highestScore;
  RunRecords after = before;
  if (bests->newFastest) after.fastestWinMs = outcome.playedMs;
  if (bests->newHighest) after.highestScore = outcome.score;
  const bool changed = bests->newFastest || bests->newHighest;
  if (changed && writable && !WritePlayerFile(folder + "/records", FormatRunRecords(after), &why)) {
    SayOnce("cannot keep the records in \"" + folder + "/records\" (" + why +
            "); the bests last until the game ends");
  }
  session_ = after;
  if (bests->newFastest) bestWinMs_ = outcome.playedMs;
  bests->kept = true;
  bests->fastestWinMs = after.fastestWinMs;
  bests->highestScore = after.highestScore;
}

void RecordKeeper::KeepBestWin() {
  if (!bestWinMs_) return;
  const std::string folder = StateFolder();
  if (folder.empty()) return;
  const std::string best = folder + "/best-win.zfr";
  const char* recording = recorder_ ? recorder_->FinishedPath() : nullptr;
  if (!recording) {
    Say("the fastest win was not recorded whole: \"" + best + "\" is not replaced");
    return;
  }
  PlayerFolderLock lock(folder);
  RunRecords kept;
  // Another game may have won faster meanwhile: its recording is the one to keep.
  if (!Load(folder + "/records", &kept) || kept.fastestWinMs != bestWinMs_) return;
  std::string bytes, why;
  if (ReadPlayerFile(recording, MAX_RECORDING_BYTES, &bytes, &why) != PlayerFileRead::Read ||
      !WritePlayerFile(best, bytes, &why)) {
    Say("cannot keep the fastest win's recording as \"" + best + "\" (" +
        (why.empty() ? "it is gone" : why) + ")");
  }
}
