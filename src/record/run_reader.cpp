#include "record/run_reader.h"

#include <cstdio>
#include <cstring>

namespace {

// The text's next line without its newline; *cut when it is the last and has none.
bool NextTextLine(const char* data, size_t size, size_t* offset, Text* line, bool* cut) {
  if (*offset >= size) return false;
  const char* start = data + *offset;
  const size_t left = size - *offset;
  const void* newline = std::memchr(start, '\n', left);
  const size_t length =
      newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : left;
  *line = Text(start, length);
  *cut = newline == nullptr;
  *offset += length + (newline ? 1 : 0);
  return true;
}

// "zfr N": the version, or -1.
int ParseVersion(Words words) {
  Text number, extra;
  long long value = 0;
  if (!words.Next(&number) || words.Next(&extra) || !ParseInteger(number, &value) || value < 0 ||
      value > 1000000) {
    return -1;
  }
  return static_cast<int>(value);
}

// "state PASS FIELD=VALUE …": the pass and the fields' stretch of the line.
bool ParseState(Words words, uint64_t* pass, Text* fields) {
  Text number, field;
  long long value = 0;
  if (!words.Next(&number) || !ParseInteger(number, &value) || value < 0 || !words.Next(&field)) {
    return false;
  }
  *pass = static_cast<uint64_t>(value);
  const char* start = field.data();
  do {
    if (field.find('=') == Text::npos) return false;
    *fields = Text(start, static_cast<size_t>(field.data() + field.size() - start));
  } while (words.Next(&field));
  return true;
}

}  // namespace

int RunReader::VersionNamed() const {
  size_t offset = 0;
  Text first;
  bool cut = false;
  if (!NextTextLine(data_, size_, &offset, &first, &cut)) return 1;
  Words words(first);
  Text tag;
  if (words.Next(&tag) && tag == RUN_FORMAT_TAG) {
    const int version = ParseVersion(words);
    if (version >= 0) return version;
  }
  // A recording cut within its first line.
  char named[16];
  const int length =
      std::snprintf(named, sizeof named, "%s %d", RUN_FORMAT_TAG, RUN_FORMAT_VERSION);
  const Text whole(named, static_cast<size_t>(length));
  return cut && first.size() <= whole.size() && whole.substr(0, first.size()) == first
             ? RUN_FORMAT_VERSION
             : 1;
}

bool RunReader::Refuse(int lineNumber, const char* what) {
  // The problem quotes the line's own words.
  char shown[sizeof problem_ - 16];
  ShowEscaped(what, shown, sizeof shown);
  std::snprintf(problem_, sizeof problem_, "line %d: %s", lineNumber, shown);
  return false;
}

bool RunReader::ParseLine(Text text, const Walk& walk, Line* line, char* problem, size_t size) {
  Words words(text);
  Text command;
  line->kind = LineKind::Blank;
  if (!words.Next(&command)) return true;
  if (command == RUN_FORMAT_TAG) {
    line->kind = LineKind::Version;
    return ParseVersion(words) >= 0 ||
           Problem(problem, size, "%s wants the format's version", RUN_FORMAT_TAG);
  }
  if (version_ >= 2 && command == "end") {
    Text extra;
    line->kind = LineKind::End;
    return !words.Next(&extra) || Problem(problem, size, "end takes nothing");
  }
  if (version_ >= 2 && command == "state") {
    line->kind = LineKind::State;
    return ParseState(words, &line->statePass, &line->text) ||
           Problem(problem, size, "state wants a pass and FIELD=VALUE");
  }
  if (command == "pass" || command == "run") {
    line->kind = LineKind::Pass;
    return ReadPassLine(command, words, version_, walk.clock, &line->passes, problem, size);
  }
  if (commands_ && commands_->Takes(command)) {
    line->kind = LineKind::Command;
    line->text = text.substr(0, text.find('#'));
    return commands_->Check(command, words, walk.first, problem, size);
  }
  return Problem(problem, size, "unknown command \"%.*s\"", Shown(command), command.data());
}

bool RunReader::ReadLine(Walk* walk, Line* line) {
  Text text;
  bool cut = false;
  if (!NextTextLine(data_, size_, &walk->offset, &text, &cut)) return false;
  line->number = ++walk->lineNumber;
  if (cut && version_ >= 2) {
    cutLine_ = line->number;
    walk->offset = size_;
    return false;
  }
  char problem[160];
  if (text.size() > MAX_SCRIPT_LINE) {
    std::snprintf(problem, sizeof problem, "longer than %zu characters", MAX_SCRIPT_LINE);
    return Refuse(line->number, problem);
  }
  if (!ParseLine(text, *walk, line, problem, sizeof problem)) return Refuse(line->number, problem);
  if (line->kind == LineKind::Blank) return true;
  if (walk->ended) return Refuse(line->number, "nothing follows the end line");
  if (line->kind == LineKind::Version) {
    return line->number == 1 || Refuse(line->number, "the version comes on the first line only");
  }
  walk->first = false;
  if (line->kind == LineKind::Pass) {
    if (walk->passes == 0) walk->firstClock = line->passes.pass.clocks[0];
    walk->passes += line->passes.count;
    walk->clock = ClockAfterLine(line->passes, walk->clock);
  } else if (line->kind == LineKind::State && line->statePass != walk->passes) {
    std::snprintf(problem, sizeof problem, "a state for pass %llu after pass %llu",
                  static_cast<unsigned long long>(line->statePass),
                  static_cast<unsigned long long>(walk->passes));
    return Refuse(line->number, problem);
  } else if (line->kind == LineKind::End) {
    walk->ended = true;
  }
  return true;
}

bool RunReader::Open(const char* data, size_t size, ScriptCommands* commands) {
  data_ = data;
  size_ = size;
  commands_ = commands;
  problem_[0] = '\0';
  cutLine_ = 0;
  version_ = VersionNamed();
  if (version_ < 1 || version_ > RUN_FORMAT_VERSION) {
    std::snprintf(problem_, sizeof problem_,
                  "line 1: a run of format version %d; versions 1 to %d are read here", version_,
                  RUN_FORMAT_VERSION);
    return false;
  }
  Walk walk;
  Line line{};
  while (ReadLine(&walk, &line)) {
  }
  checkedPasses_ = walk.passes;
  firstClock_ = walk.firstClock;
  lastClock_ = walk.passes ? walk.clock : walk.firstClock;
  ended_ = walk.ended;
  walk_ = Walk{};
  line_.kind = LineKind::Blank;
  runPass_ = 0;
  lineClock_ = 0;
  passNumber_ = 0;
  return problem_[0] == '\0';
}

bool RunReader::Next(RunItem* item) {
  while (line_.kind != LineKind::Pass || runPass_ >= line_.passes.count) {
    lineClock_ = walk_.clock;
    if (!ReadLine(&walk_, &line_)) return false;
    runPass_ = 0;
    if (line_.kind == LineKind::State || line_.kind == LineKind::Command) {
      const bool state = line_.kind == LineKind::State;
      *item = RunItem{state ? RunItemKind::State : RunItemKind::Command, line_.number,
                      state ? line_.statePass : passNumber_, nullptr, line_.text};
      return true;
    }
  }
  PassLine& passes = line_.passes;
  if (passes.run) {
    // One pass of the run at a time: a script's run line may count thousands.
    lineClock_ += RunPassStep(passes, runPass_);
    passes.pass.clocks[0] = lineClock_;
  }
  ++runPass_;
  *item = RunItem{RunItemKind::Pass, line_.number, ++passNumber_, &passes.pass, Text()};
  return true;
}
