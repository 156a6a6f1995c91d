#include "record/run_recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/system/asset_path.h"
#include "platform/system/system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "record/run_records.h"
#include "record/state_line.h"

namespace {

constexpr uint32_t FLUSH_EVERY_MS = 1000;
constexpr int LAST_RUNS_KEPT = 3;
// The new run's name until its first lines are on the disk, and its length.
constexpr const char* NEW_RUN = "/last-run.XXXXXX.zfr";
constexpr int NEW_RUN_SUFFIX = 4;

RecordingWriter recordingWriter = nullptr;

void Say(const char* what, const std::string& path, const char* why, const char* then) {
  std::fprintf(stderr, "zorbly-frondles: %s \"%s\" (%s); %s\n", what, path.c_str(), why, then);
}

std::string KeptRun(const std::string& folder, int age) {
  return folder + (age == 0 ? "/last-run.zfr" : "/last-run." + std::to_string(age) + ".zfr");
}

// An empty file (what a full disk left before) is no run to keep.
bool HoldsARun(const std::string& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return !error && size > 0;
}

// Each kept run moves one older as far as the first place that holds no run, the oldest
// given up; false after one line when one cannot move.
bool MakeRoomForTheNewest(const std::string& folder, const std::string& newRun) {
  int free = 0;
  while (free < LAST_RUNS_KEPT - 1 && HoldsARun(KeptRun(folder, free))) ++free;
  for (int age = free; age > 0; --age) {
    if (std::rename(KeptRun(folder, age - 1).c_str(), KeptRun(folder, age).c_str()) != 0) {
      Say("cannot move the run before to", KeptRun(folder, age), std::strerror(errno),
          ("this one is recorded in \"" + newRun + "\"").c_str());
      return false;
    }
  }
  return true;
}

void CarryHeldInput(RecordedPass* pass) {
  // Held input stays on the lines of passes without a poll, so that they join a run; a
  // replay reads it only where the game polls.
  pass->clockCount = 0;
  pass->messageCount = 0;
  pass->answerCount = 0;
  pass->noScene = false;
  std::memset(pass->draws, 0, (pass->drawsNamed + 7) / 8);
  pass->drawsNamed = 0;
}

}  // namespace

void SetRecordingWriter(RecordingWriter writer) { recordingWriter = writer; }

bool RunRecorder::Start(const char* path) {
  // A name cut short would be another file.
  if (std::strlen(path) >= sizeof path_) {
    Say("cannot record the run in", path, "the path is too long", "the game plays on unrecorded");
    return false;
  }
  std::snprintf(path_, sizeof path_, "%s", path);
  file_ = std::fopen(path_, "wb");
  if (!file_) {
    Say("cannot record the run in", path_, std::strerror(errno), "the game plays on unrecorded");
    return false;
  }
  if (!Begin()) return false;
  SetRunTap(this);
  return true;
}

bool RunRecorder::Begin() {
  // The buffer here is the only one: each write out is one call to the system.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  finished_ = false;
  ClearPass(&current_);
  runCount_ = 0;
  lastClock_ = 0;
  passes_ = 0;
  ticks_ = 0;
  polled_ = false;
  stateWritten_ = true;  // state 0
  requests_ = 0;
  overflow_ = false;
  used_ = 0;
  const int header = std::snprintf(
      line_, sizeof line_,
      "%s %d\n# A run of Zorbly Frondles as it was played: zf-replay FILE replays it headless,\n"
      "# zorbly-frondles --replay FILE shows it in the window.",
      RUN_FORMAT_TAG, RUN_FORMAT_VERSION);
  WriteLine(line_, static_cast<size_t>(header));
  WriteState();
  Flush();
  return file_ != nullptr;
}

bool RunRecorder::StartInStateFolder() {
  const std::string folder = StateFolder();
  if (folder.empty()) {
    std::fprintf(stderr,
                 "zorbly-frondles: no folder to keep the last run in (neither XDG_STATE_HOME "
                 "nor HOME is set); the game plays on unrecorded\n");
    return false;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    Say("cannot keep the last run in", folder, error.message().c_str(),
        "the game plays on unrecorded");
    return false;
  }
  char newRun[sizeof path_];
  if (folder.size() + std::strlen(NEW_RUN) >= sizeof newRun) {
    Say("cannot keep the last run in", folder, "the path is too long",
        "the game plays on unrecorded");
    return false;
  }
  std::snprintf(newRun, sizeof newRun, "%s%s", folder.c_str(), NEW_RUN);
  const int made = mkostemps(newRun, NEW_RUN_SUFFIX, O_CLOEXEC);
  file_ = made < 0 ? nullptr : fdopen(made, "wb");
  if (!file_) {
    Say("cannot keep the last run in", folder, std::strerror(errno),
        "the game plays on unrecorded");
    if (made >= 0) {
      close(made);
      std::remove(newRun);
    }
    return false;
  }
  // The kept runs move only once the new one's first lines are on the disk: a full disk
  // costs the new run, never the ones before it.
  std::snprintf(path_, sizeof path_, "%s", KeptRun(folder, 0).c_str());
  if (!Begin() || fsync(fileno(file_)) != 0) {
    Stop(std::strerror(errno));
    std::remove(newRun);
    return false;
  }
  if (!MakeRoomForTheNewest(folder, newRun)) {
    std::snprintf(path_, sizeof path_, "%s", newRun);
  } else if (std::rename(newRun, path_) != 0) {
    Say("cannot name the run", path_, std::strerror(errno),
        ("it is recorded in \"" + std::string(newRun) + "\"").c_str());
    std::snprintf(path_, sizeof path_, "%s", newRun);
  }
  SetRunTap(this);
  return true;
}

void RunRecorder::WriteLine(const char* text, size_t length) {
  if (!file_) return;
  if (used_ + length + 1 > sizeof buffer_) Flush();
  if (!file_ || length + 1 > sizeof buffer_) return;
  std::memcpy(buffer_ + used_, text, length);
  used_ += length;
  buffer_[used_++] = '\n';
}

void RunRecorder::WritePendingRun() {
  if (runCount_ == 0) return;
  const size_t length =
      WritePassLine(run_, runAbsolute_, runPrevious_, runCount_, runLateBy_, line_, sizeof line_);
  runCount_ = 0;
  if (length == 0) return Stop("a pass holds more than a line can say");
  WriteLine(line_, length);
}

void RunRecorder::WriteState() {
  const int head =
      std::snprintf(line_, sizeof line_, "state %llu ", static_cast<unsigned long long>(passes_));
  const size_t length = FormatWorldState(line_ + head, sizeof line_ - head);
  WriteLine(line_, head + length);
}

void RunRecorder::Flush() {
  lastFlush_ = SystemMilliseconds();
  if (!file_ || used_ == 0) return;
  const size_t written = recordingWriter ? recordingWriter(buffer_, used_, file_)
                                         : std::fwrite(buffer_, 1, used_, file_);
  const bool whole = written == used_;
  used_ = 0;
  if (!whole) Stop(std::strerror(errno));
}

void RunRecorder::Stop(const char* why) {
  if (!file_) return;
  std::fprintf(
      stderr,
      "zorbly-frondles: cannot write the recording \"%s\" (%s); the game plays on unrecorded\n",
      path_, why);
  std::fclose(file_);
  file_ = nullptr;
  if (CurrentRunTap() == this) SetRunTap(nullptr);
}

void RunRecorder::EndPass() {
  if (!file_) return;
  if (overflow_) return Stop("a pass took more values than a line holds");
  RecordedPass& pass = current_;
  if (pass.clockCount == 0) {
    // No reading (no device): the pass stands at the last one's clock.
    pass.clocks[0] = lastClock_;
    pass.clockCount = 1;
  }
  const uint32_t step = pass.clocks[0] - lastClock_;
  // A paced pass wakes on its tick's millisecond or a little after it.
  const uint32_t late = step - runStep_;
  if (runCount_ > 0 && !runAbsolute_ && late <= 9 && runCount_ < MAX_RUN_PASSES &&
      WrittenClocks(pass) == 1 && WrittenClocks(run_) == 1 && SameInputs(run_, pass)) {
    runLateBy_[runCount_++] = static_cast<char>('0' + late);
  } else {
    WritePendingRun();
    run_ = pass;
    runCount_ = 1;
    runStep_ = step;
    runLateBy_[0] = '0';
    runPrevious_ = lastClock_;
    runAbsolute_ = passes_ == 0;
  }
  lastClock_ = pass.clocks[0];
  ++passes_;
  requests_ = 0;
  CarryHeldInput(&pass);
  ticks_ += polled_ ? 1 : 0;
  polled_ = false;
  stateWritten_ = ticks_ == STATE_EVERY_TICKS;
  if (stateWritten_) {
    WritePendingRun();
    WriteState();
    ticks_ = 0;
  }
  if (SystemMilliseconds() - lastFlush_ >= FLUSH_EVERY_MS) {
    WritePendingRun();
    Flush();
  }
}

void RunRecorder::Finish() {
  if (file_) {
    WritePendingRun();
    if (!stateWritten_) WriteState();
    WriteLine("end", 3);
    Flush();
  }
  if (file_) finished_ = std::fclose(file_) == 0;
  file_ = nullptr;
  if (CurrentRunTap() == this) SetRunTap(nullptr);
}

void RunRecorder::NoteResult(const RunOutcome& outcome) {
  if (!file_) return;
  // After the passes before it, so that it reads in its place.
  WritePendingRun();
  const std::string comment = ResultComment(outcome);
  WriteLine(comment.c_str(), comment.size());
}

uint32_t RunRecorder::Clock(uint32_t live) {
  RecordedPass& pass = current_;
  if (pass.clockCount < MAX_PASS_CLOCKS) {
    pass.clocks[pass.clockCount++] = live;
  } else if (live != pass.clocks[MAX_PASS_CLOCKS - 1]) {
    overflow_ = true;  // readings past the last written repeat it
  }
  return live;
}

bool RunRecorder::EscapeDown(bool live) {
  current_.escape = live;
  return live;
}

void RunRecorder::Polled(uint8_t keys[KEY_CODE_COUNT], XINPUT_GAMEPAD pads[XUSER_MAX_COUNT]) {
  for (int code = 0; code < KEY_CODE_COUNT; ++code) current_.keys[code] = keys[code] & 0x80;
  // The game reads gamepad 0 only; a pad at rest reads as none.
  const XINPUT_GAMEPAD rest{};
  current_.pad = pads[0];
  current_.padPresent = std::memcmp(&pads[0], &rest, sizeof rest) != 0;
  polled_ = true;
}

void RunRecorder::Heard(uint32_t message) {
  if (message != MSG_DESTROY && message != MSG_SETFOCUS && message != MSG_KILLFOCUS &&
      message != MSG_MINIMIZED && message != MSG_RESTORED) {
    return;  // nothing the game acts on
  }
  if (current_.messageCount == MAX_PASS_MESSAGES) {
    overflow_ = true;
    return;
  }
  current_.messages[current_.messageCount++] = message;
}

void RunRecorder::SceneFailed() { current_.noScene = true; }

int RunRecorder::Ask(const char* text, const char* caption, uint32_t style, bool* windowClosed) {
  // The player may take their time: what came before the question goes out first.
  WritePendingRun();
  Flush();
  const int answer = CurrentSystemDriver().AskYesNo(text, caption, style, windowClosed);
  if (current_.answerCount == MAX_PASS_ANSWERS) {
    overflow_ = true;
  } else {
    current_.answers[current_.answerCount++] =
        PassAnswer{answer == IDYES ? IDYES : IDNO, *windowClosed};
  }
  return answer;
}

void RunRecorder::PlayRequested(bool drew) {
  if (drew) {
    if (requests_ < MAX_PASS_REQUESTS) SetPassDraws(&current_, requests_);
    else overflow_ = true;
  }
  ++requests_;
}
