// Recordings of any shape through the reader: the whole-file check never crashes and
// names the line it refuses; a recording it takes, cut anywhere after its first line,
// still reads to its last whole line; and every pass it reads, written back, reads as
// the same pass.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/run_script.h"

namespace {

// Field by field (padding holds anything); readings repeating the last one are not
// written.
bool SameAsWritten(const RecordedPass& read, const RecordedPass& again) {
  if (again.clockCount != WrittenClocks(read) ||
      std::memcmp(read.clocks, again.clocks, sizeof(uint32_t) * again.clockCount) != 0) {
    return false;
  }
  for (int i = 0; i < read.answerCount && read.answerCount == again.answerCount; ++i) {
    if (read.answers[i].answer != again.answers[i].answer ||
        read.answers[i].windowClosed != again.answers[i].windowClosed) {
      return false;
    }
  }
  return read.answerCount == again.answerCount && read.escape == again.escape &&
         read.padPresent == again.padPresent && read.noScene == again.noScene &&
         read.dump == again.dump && read.messageCount == again.messageCount &&
         read.drawsNamed == again.drawsNamed &&
         std::memcmp(read.keys, again.keys, sizeof read.keys) == 0 &&
         std::memcmp(&read.pad, &again.pad, sizeof read.pad) == 0 &&
         std::memcmp(read.messages, again.messages, sizeof(uint32_t) * read.messageCount) == 0 &&
         std::memcmp(read.draws, again.draws, sizeof read.draws) == 0;
}

void WriteBackEveryPass(const char* text, size_t size, int version) {
  static ScriptLine line, again;
  static char written[MAX_SCRIPT_LINE * 2];
  char problem[200];
  ScriptCursor cursor{text, size, 0, 0};
  const char* data = nullptr;
  size_t length = 0;
  bool cut = false;
  uint32_t clock = 0;
  while (NextScriptLine(&cursor, &data, &length, &cut)) {
    if (!ParseScriptLine(data, length, version, clock, &line, problem, sizeof problem)) continue;
    if (line.kind != ScriptLineKind::Pass && line.kind != ScriptLineKind::Run) continue;
    const size_t writtenLength = FormatPass(line.pass, false, clock, 1, nullptr, written, sizeof written);
    if (writtenLength == 0) __builtin_trap();
    if (!ParseScriptLine(written, writtenLength, version, clock, &again, problem, sizeof problem)) {
      __builtin_trap();
    }
    if (!SameAsWritten(line.pass, again.pass)) __builtin_trap();
    clock = line.pass.clocks[0];
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  static ScriptCheck check, cutCheck;
  const bool taken = CheckRecording(text, size, &check);
  if (!taken && check.problem[0] == '\0') __builtin_trap();
  if (taken && check.version == RUN_FORMAT_VERSION && size > 1) {
    const void* firstNewline = std::memchr(text, '\n', size);
    const size_t cut = size - 1 - data[size / 2] % (size / 2 + 1);
    if (firstNewline && text + cut > static_cast<const char*>(firstNewline)) {
      if (!CheckRecording(text, cut, &cutCheck)) __builtin_trap();
      if (cutCheck.passes > check.passes) __builtin_trap();
    }
  }
  WriteBackEveryPass(text, size, check.version >= 1 && check.version <= RUN_FORMAT_VERSION ? check.version : 1);
  return 0;
}
