// Recordings of any shape through the reader: the whole-text check never crashes and
// names the line it refuses; a recording it takes, cut anywhere after its first line,
// still reads to its last whole line; and every pass it yields, written back as a line
// and read again, is the same pass.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "record/run_lines.h"
#include "record/run_reader.h"

namespace {

// Passes written back per input: a script's run line may count thousands.
constexpr int MAX_CHECKED_PASSES = 2000;

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

// The pass as a text of its own, its first clock absolute, read again.
void WriteBack(const RecordedPass& pass, int version) {
  static char text[MAX_SCRIPT_LINE * 2];
  static RunReader again;
  const int head =
      version >= 2 ? std::snprintf(text, sizeof text, "%s %d\n", RUN_FORMAT_TAG, version) : 0;
  const size_t length =
      WritePassLine(pass, true, 0, 1, nullptr, text + head, sizeof text - head - 1);
  if (length == 0) __builtin_trap();
  text[head + length] = '\n';
  RunItem item;
  if (!again.Open(text, head + length + 1) || !again.Next(&item) ||
      item.kind != RunItemKind::Pass || !SameAsWritten(pass, *item.pass)) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  static RunReader reader, cutReader;
  if (!reader.Open(text, size)) {
    if (reader.problem()[0] == '\0') __builtin_trap();
    return 0;
  }
  if (reader.version() == RUN_FORMAT_VERSION && size > 1) {
    const void* firstNewline = std::memchr(text, '\n', size);
    const size_t cut = size - 1 - data[size / 2] % (size / 2 + 1);
    if (firstNewline && text + cut > static_cast<const char*>(firstNewline)) {
      if (!cutReader.Open(text, cut) || cutReader.passes() > reader.passes()) __builtin_trap();
    }
  }
  RunItem item;
  for (int passes = 0; passes < MAX_CHECKED_PASSES && reader.Next(&item);) {
    if (item.kind != RunItemKind::Pass) continue;
    WriteBack(*item.pass, reader.version());
    ++passes;
  }
  return 0;
}
