#include "app/run_script.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "game/world_state.h"
#include "platform/system/random.h"
#include "platform/system/system.h"
#include "platform/system/window.h"

namespace {

using Text = std::string_view;

struct NamedKey {
  const char* name;
  int code;
};

constexpr NamedKey KEY_NAMES[] = {
    {"W", DIK_W},       {"A", DIK_A},         {"S", DIK_S},       {"D", DIK_D},
    {"E", DIK_E},       {"P", DIK_P},         {"Z", DIK_Z},       {"X", DIK_X},
    {"C", DIK_C},       {"SPACE", DIK_SPACE}, {"F1", DIK_F1},     {"F2", DIK_F1 + 1},
    {"F3", DIK_F1 + 2}, {"F4", DIK_F1 + 3},   {"F5", DIK_F5},     {"UP", DIK_UP},
    {"DOWN", DIK_DOWN}, {"LEFT", DIK_LEFT},   {"RIGHT", DIK_RIGHT},
};

struct NamedMessage {
  const char* name;
  uint32_t message;
};

constexpr NamedMessage FOCUS_NAMES[] = {{"lost", MSG_KILLFOCUS},
                                        {"gained", MSG_SETFOCUS},
                                        {"minimised", MSG_MINIMIZED},
                                        {"restored", MSG_RESTORED}};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n'; }

// The words of a line up to its comment, one at a time.
struct Words {
  Text rest;
  explicit Words(Text line) : rest(line.substr(0, line.find('#'))) {}
  bool Next(Text* word) {
    size_t start = 0;
    while (start < rest.size() && IsSpace(rest[start])) ++start;
    size_t end = start;
    while (end < rest.size() && !IsSpace(rest[end])) ++end;
    *word = rest.substr(start, end - start);
    rest = rest.substr(end);
    return !word->empty();
  }
};

// The pieces of a comma list as the first scripts were read: an empty list has none, and
// one comma at the very end adds none.
struct Pieces {
  Text rest;
  bool done;
  explicit Pieces(Text list) : rest(list), done(list.empty()) {}
  bool Next(Text* piece) {
    if (done) return false;
    const size_t comma = rest.find(',');
    *piece = rest.substr(0, comma);
    if (comma == Text::npos) {
      done = true;
    } else {
      rest = rest.substr(comma + 1);
      done = rest.empty();
    }
    return true;
  }
};

bool ParseInteger(Text text, long long* value) {
  char digits[64];
  if (text.empty() || text.size() >= sizeof digits) return false;
  std::memcpy(digits, text.data(), text.size());
  digits[text.size()] = '\0';
  char* end = nullptr;
  *value = std::strtoll(digits, &end, 0);
  return end == digits + text.size();
}

bool ParseClock(Text text, uint32_t previous, uint32_t* clock) {
  long long value = 0;
  const bool relative = !text.empty() && text[0] == '+';
  if (!ParseInteger(relative ? text.substr(1) : text, &value) || value < 0 || value > 0xFFFFFFFFLL) {
    return false;
  }
  *clock = relative ? previous + static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  return true;
}

bool StartsWith(Text text, Text prefix) { return text.substr(0, prefix.size()) == prefix; }

// Writes "line"-less problems: the caller knows the line.
bool Problem(char* problem, size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(problem, size, format, arguments);
  va_end(arguments);
  return false;
}

int Shown(Text text) { return static_cast<int>(text.size() < 60 ? text.size() : 60); }

bool ParseKey(Text text, RecordedPass* pass) {
  if (text == "ESC") {
    pass->escape = true;
    return true;
  }
  for (const NamedKey& key : KEY_NAMES) {
    if (text == key.name) {
      pass->keys[key.code] = 0x80;
      return true;
    }
  }
  long long code = 0;
  if (!ParseInteger(text, &code) || code < 0 || code >= KEY_CODE_COUNT) return false;
  pass->keys[code] = 0x80;
  return true;
}

bool ParsePad(Text text, XINPUT_GAMEPAD* pad) {
  long long values[7];
  int count = 0;
  Pieces pieces(text);
  for (Text piece; pieces.Next(&piece);) {
    if (count == 7 || !ParseInteger(piece, &values[count])) return false;
    ++count;
  }
  if (count != 7 || values[0] < 0 || values[0] > 0xFFFF || values[1] < 0 || values[1] > 255 ||
      values[2] < 0 || values[2] > 255) {
    return false;
  }
  for (int i = 3; i < 7; ++i) {
    if (values[i] < -32768 || values[i] > 32767) return false;
  }
  pad->wButtons = static_cast<uint16_t>(values[0]);
  pad->bLeftTrigger = static_cast<uint8_t>(values[1]);
  pad->bRightTrigger = static_cast<uint8_t>(values[2]);
  pad->sThumbLX = static_cast<int16_t>(values[3]);
  pad->sThumbLY = static_cast<int16_t>(values[4]);
  pad->sThumbRX = static_cast<int16_t>(values[5]);
  pad->sThumbRY = static_cast<int16_t>(values[6]);
  return true;
}

bool ParseDraws(Text text, RecordedPass* pass) {
  Pieces pieces(text);
  for (Text piece; pieces.Next(&piece);) {
    const size_t dash = piece.find('-', 1);
    long long first = 0, last = 0;
    if (!ParseInteger(piece.substr(0, dash), &first)) return false;
    last = first;
    if (dash != Text::npos && !ParseInteger(piece.substr(dash + 1), &last)) return false;
    if (first < 0 || last < first || last >= MAX_PASS_REQUESTS) return false;
    for (long long request = first; request <= last; ++request) {
      SetPassDraws(pass, static_cast<int>(request));
    }
  }
  return true;
}

bool AddMessage(RecordedPass* pass, uint32_t message) {
  if (pass->messageCount == MAX_PASS_MESSAGES) return false;
  pass->messages[pass->messageCount++] = message;
  return true;
}

bool ParseOption(Text token, int version, RecordedPass* pass, char* problem, size_t size) {
  if (token == "close") {
    if (!AddMessage(pass, MSG_DESTROY)) return Problem(problem, size, "more than %d messages", MAX_PASS_MESSAGES);
  } else if (token == "noscene") {
    pass->noScene = true;
  } else if (token == "dump") {
    pass->dump = true;
  } else if (StartsWith(token, "focus=")) {
    const Text what = token.substr(6);
    uint32_t message = MSG_NONE;
    for (const NamedMessage& named : FOCUS_NAMES) {
      if (what == named.name) message = named.message;
    }
    if (message == MSG_NONE) return Problem(problem, size, "focus wants lost, gained, minimised or restored");
    if (!AddMessage(pass, message)) return Problem(problem, size, "more than %d messages", MAX_PASS_MESSAGES);
  } else if (StartsWith(token, "keys=")) {
    Pieces pieces(token.substr(5));
    for (Text key; pieces.Next(&key);) {
      if (!ParseKey(key, pass)) return Problem(problem, size, "unknown key \"%.*s\"", Shown(key), key.data());
    }
  } else if (StartsWith(token, "pad=")) {
    pass->padPresent = true;
    if (!ParsePad(token.substr(4), &pass->pad)) {
      return Problem(problem, size, "pad wants BUTTONS,LT,RT,LX,LY,RX,RY in range");
    }
  } else if (StartsWith(token, "ask=")) {
    Pieces pieces(token.substr(4));
    for (Text text; pieces.Next(&text);) {
      PassAnswer answer{};
      if (!ParseAnswer(text, &answer)) {
        return Problem(problem, size, "unknown answer \"%.*s\"", Shown(text), text.data());
      }
      if (pass->answerCount == MAX_PASS_ANSWERS) return Problem(problem, size, "more than %d answers", MAX_PASS_ANSWERS);
      pass->answers[pass->answerCount++] = answer;
    }
  } else if (version >= 2 && StartsWith(token, "draws=")) {
    if (!ParseDraws(token.substr(6), pass)) {
      return Problem(problem, size, "draws wants request numbers or FIRST-LAST below %d", MAX_PASS_REQUESTS);
    }
  } else {
    return Problem(problem, size, "unknown option \"%.*s\"", Shown(token), token.data());
  }
  return true;
}

// Version 1 took one message a pass: a close, or the last focus= written.
bool KeepOneMessage(RecordedPass* pass, char* problem, size_t size) {
  bool close = false;
  uint32_t focus = MSG_NONE;
  for (int i = 0; i < pass->messageCount; ++i) {
    if (pass->messages[i] == MSG_DESTROY) close = true;
    else focus = pass->messages[i];
  }
  if (close && focus != MSG_NONE) return Problem(problem, size, "a pass takes one message: close or focus=, not both");
  pass->messageCount = 0;
  if (close) AddMessage(pass, MSG_DESTROY);
  if (focus != MSG_NONE) AddMessage(pass, focus);
  return true;
}

bool ParsePassClocks(Text text, int version, uint32_t previous, RecordedPass* pass) {
  Pieces pieces(text);
  for (Text piece; pieces.Next(&piece);) {
    if (pass->clockCount == (version >= 2 ? MAX_PASS_CLOCKS : 1)) return false;
    const uint32_t before = pass->clockCount ? pass->clocks[pass->clockCount - 1] : previous;
    if (!ParseClock(piece, before, &pass->clocks[pass->clockCount])) return false;
    ++pass->clockCount;
  }
  return pass->clockCount > 0;
}

// Appends text to a fixed buffer; remembers when it did not fit.
struct Line {
  char* out;
  size_t size;
  size_t used = 0;
  bool full = false;
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (full) return;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(out + used, size - used, format, arguments);
    va_end(arguments);
    if (written < 0 || static_cast<size_t>(written) >= size - used) {
      full = true;
      return;
    }
    used += static_cast<size_t>(written);
  }
};

const char* KeyName(int code) {
  for (const NamedKey& key : KEY_NAMES) {
    if (key.code == code) return key.name;
  }
  return nullptr;
}

void AddKeys(const RecordedPass& pass, Line* line) {
  const char* separator = " keys=";
  for (int code = 0; code < KEY_CODE_COUNT; ++code) {
    if (!(pass.keys[code] & 0x80)) continue;
    if (const char* name = KeyName(code)) line->Add("%s%s", separator, name);
    else line->Add("%s0x%02X", separator, code);
    separator = ",";
  }
  if (pass.escape) line->Add("%sESC", separator);
}

void AddDraws(const RecordedPass& pass, Line* line) {
  const char* separator = " draws=";
  for (int request = 0; request < pass.drawsNamed; ++request) {
    if (!PassDraws(pass, request)) continue;
    int last = request;
    while (last + 1 < pass.drawsNamed && PassDraws(pass, last + 1)) ++last;
    if (last > request) line->Add("%s%d-%d", separator, request, last);
    else line->Add("%s%d", separator, request);
    separator = ",";
    request = last;
  }
}

const char* FocusName(uint32_t message) {
  for (const NamedMessage& named : FOCUS_NAMES) {
    if (named.message == message) return named.name;
  }
  return nullptr;
}

// A float as %.9g, a double as %.17g; a negative zero prints as 0.
void AddNumber(Line* line, const char* name, double value, int digits) {
  if (value == 0.0) value = 0.0;
  line->Add(" %s=%.*g", name, digits, value);
}

}  // namespace

bool ParseAnswer(std::string_view text, PassAnswer* answer) {
  if (text == "yes") *answer = PassAnswer{IDYES, false};
  else if (text == "no") *answer = PassAnswer{IDNO, false};
  else if (text == "yes+close") *answer = PassAnswer{IDYES, true};
  else if (text == "no+close") *answer = PassAnswer{IDNO, true};
  else return false;
  return true;
}

void ClearPass(RecordedPass* pass) { std::memset(pass, 0, sizeof *pass); }

bool PassDraws(const RecordedPass& pass, int request) {
  return request >= 0 && request < pass.drawsNamed && (pass.draws[request / 8] & (1u << (request % 8)));
}

void SetPassDraws(RecordedPass* pass, int request) {
  if (request < 0 || request >= MAX_PASS_REQUESTS) return;
  pass->draws[request / 8] |= static_cast<uint8_t>(1u << (request % 8));
  if (request >= pass->drawsNamed) pass->drawsNamed = request + 1;
}

bool SameInputs(const RecordedPass& a, const RecordedPass& b) {
  return a.escape == b.escape && a.padPresent == b.padPresent && a.noScene == b.noScene &&
         a.dump == b.dump && a.messageCount == 0 && b.messageCount == 0 && a.answerCount == 0 &&
         b.answerCount == 0 && a.drawsNamed == b.drawsNamed &&
         std::memcmp(&a.pad, &b.pad, sizeof a.pad) == 0 &&
         std::memcmp(a.keys, b.keys, sizeof a.keys) == 0 &&
         std::memcmp(a.draws, b.draws, (a.drawsNamed + 7) / 8) == 0;
}

bool ParseScriptLine(const char* data, size_t length, int version, uint32_t previousClock,
                     ScriptLine* parsed, char* problem, size_t problemSize) {
  const Text line(data, length);
  Words words(line);
  Text command;
  parsed->kind = ScriptLineKind::Blank;
  if (!words.Next(&command)) return true;
  if (command == RUN_FORMAT_TAG) {
    Text number, extra;
    long long value = 0;
    if (!words.Next(&number) || words.Next(&extra) || !ParseInteger(number, &value) || value < 0 ||
        value > 1000000) {
      return Problem(problem, problemSize, "%s wants the format's version", RUN_FORMAT_TAG);
    }
    parsed->kind = ScriptLineKind::Version;
    parsed->version = static_cast<int>(value);
    return true;
  }
  if (version >= 2 && command == "end") {
    Text extra;
    if (words.Next(&extra)) return Problem(problem, problemSize, "end takes nothing");
    parsed->kind = ScriptLineKind::End;
    return true;
  }
  if (version >= 2 && command == "state") {
    Text number, field;
    long long pass = 0;
    if (!words.Next(&number) || !ParseInteger(number, &pass) || pass < 0 || !words.Next(&field)) {
      return Problem(problem, problemSize, "state wants a pass and FIELD=VALUE");
    }
    parsed->kind = ScriptLineKind::State;
    parsed->statePass = static_cast<uint64_t>(pass);
    parsed->stateText = field.data();
    do {
      if (field.find('=') == Text::npos) return Problem(problem, problemSize, "state wants FIELD=VALUE");
      parsed->stateLength = static_cast<size_t>(field.data() + field.size() - parsed->stateText);
    } while (words.Next(&field));
    return true;
  }
  if (command != "pass" && command != "run") {
    parsed->kind = ScriptLineKind::Other;
    parsed->command = command.data();
    parsed->commandLength = command.size();
    return true;
  }

  RecordedPass& pass = parsed->pass;
  ClearPass(&pass);
  Text clock;
  if (command == "pass") {
    parsed->kind = ScriptLineKind::Pass;
    parsed->count = 1;
    if (!words.Next(&clock) || !ParsePassClocks(clock, version, previousClock, &pass)) {
      return Problem(problem, problemSize, "pass wants a clock: decimal, 0x hex or +D");
    }
  } else {
    parsed->kind = ScriptLineKind::Run;
    Text count;
    long long passes = 0;
    if (!words.Next(&count) || !ParseInteger(count, &passes) || passes < 0 || passes > 0xFFFFFFFFLL ||
        !words.Next(&clock) || clock[0] != '+') {
      return Problem(problem, problemSize, "run wants a count and +D");
    }
    const size_t colon = version >= 2 ? clock.find(':') : Text::npos;
    const Text late = colon == Text::npos ? Text() : clock.substr(colon + 1);
    parsed->lateBy = colon == Text::npos ? nullptr : late.data();
    if (!ParseClock(clock.substr(0, colon), 0, &parsed->step) ||
        (parsed->lateBy && (late.size() != static_cast<size_t>(passes) ||
                            late.find_first_not_of("0123456789") != Text::npos))) {
      return Problem(problem, problemSize, version >= 2 ? "run wants a count and +D, or +D:DIGITS with a digit a pass"
                                                        : "run wants a count and +D");
    }
    parsed->count = static_cast<uint32_t>(passes);
    pass.clockCount = 1;
    pass.clocks[0] = previousClock + RunPassStep(*parsed, 0);
  }
  for (Text option; words.Next(&option);) {
    if (!ParseOption(option, version, &pass, problem, problemSize)) return false;
  }
  return version >= 2 || KeepOneMessage(&pass, problem, problemSize);
}

uint32_t RunPassStep(const ScriptLine& line, uint32_t n) {
  return line.step + (line.lateBy && n < line.count ? static_cast<uint32_t>(line.lateBy[n] - '0') : 0);
}

uint32_t ClockAfterRun(const ScriptLine& line, uint32_t previousClock) {
  // The steps' sum at once: a run line may count billions of passes.
  uint32_t clock = previousClock + line.count * line.step;
  for (uint32_t n = 0; line.lateBy && n < line.count; ++n) clock += static_cast<uint32_t>(line.lateBy[n] - '0');
  return clock;
}

int WrittenClocks(const RecordedPass& pass) {
  int count = pass.clockCount;
  while (count > 1 && pass.clocks[count - 1] == pass.clocks[count - 2]) --count;
  return count;
}

size_t FormatPass(const RecordedPass& pass, bool absolute, uint32_t previousClock, uint32_t count,
                  const char* lateBy, char* out, size_t size) {
  Line line{out, size};
  const uint32_t first = pass.clockCount ? pass.clocks[0] : previousClock;
  if (count > 1) {
    line.Add("run %u +%u", count, first - previousClock);
    if (lateBy && std::strspn(lateBy, "0") < count) line.Add(":%.*s", static_cast<int>(count), lateBy);
  } else if (absolute) {
    line.Add("pass %u", first);
  } else {
    line.Add("pass +%u", first - previousClock);
  }
  for (int i = 1; i < WrittenClocks(pass); ++i) line.Add(",+%u", pass.clocks[i] - pass.clocks[i - 1]);
  AddKeys(pass, &line);
  if (pass.padPresent) {
    const XINPUT_GAMEPAD& pad = pass.pad;
    line.Add(" pad=0x%04X,%u,%u,%d,%d,%d,%d", pad.wButtons, pad.bLeftTrigger, pad.bRightTrigger,
             pad.sThumbLX, pad.sThumbLY, pad.sThumbRX, pad.sThumbRY);
  }
  for (int i = 0; i < pass.messageCount; ++i) {
    if (const char* focus = FocusName(pass.messages[i])) line.Add(" focus=%s", focus);
    else line.Add(" close");
  }
  for (int i = 0; i < pass.answerCount; ++i) {
    line.Add("%s%s%s", i == 0 ? " ask=" : ",", pass.answers[i].answer == IDYES ? "yes" : "no",
             pass.answers[i].windowClosed ? "+close" : "");
  }
  if (pass.noScene) line.Add(" noscene");
  AddDraws(pass, &line);
  if (pass.dump) line.Add(" dump");
  return line.full ? 0 : line.used;
}

size_t FormatWorldState(char* out, size_t size) {
  int projectiles = 0, live = 0, sauced = 0;
  for (const GameObject& shot : world.projectiles) projectiles += shot.active;
  for (const GameObject& enemy : world.enemies) {
    live += enemy.active;
    sauced += enemy.sauced && !enemy.active;
  }
  Line line{out, size};
  line.Add("score=%d", world.score);
  AddNumber(&line, "health", world.health, 17);
  AddNumber(&line, "energy", world.energy, 17);
  line.Add(" wl=%d mode=%d prev=%d paused=%d quit=%d lastShot=%u rumble=%d", world.weaponLevel,
           world.playerMode, world.previousPlayerMode, world.paused ? 1 : 0,
           world.quitRequested ? 1 : 0, world.lastShotTime, world.rumbleTicks);
  AddNumber(&line, "scroll", world.backgroundScroll, 17);
  AddNumber(&line, "px", world.player.x, 9);
  AddNumber(&line, "py", world.player.y, 9);
  line.Add(" proj=%d live=%d sauced=%d rand=%llu", projectiles, live, sauced, RandCount());
  return line.used;
}

bool SameState(const char* recorded, size_t recordedLength, const char* now, char* difference,
               size_t size) {
  Words fields(Text(recorded, recordedLength));
  const Text current(now);
  for (Text field; fields.Next(&field);) {
    const Text name = field.substr(0, field.find('=') + 1);
    Words words(current);
    Text value = "(none)";
    for (Text word; words.Next(&word);) {
      if (StartsWith(word, name)) value = word.substr(name.size());
    }
    const Text want = field.substr(name.size());
    if (value != want) {
      std::snprintf(difference, size, "%.*s%.*s, recorded %.*s", Shown(name), name.data(),
                    Shown(value), value.data(), Shown(want), want.data());
      return false;
    }
  }
  return true;
}

bool NextScriptLine(ScriptCursor* cursor, const char** line, size_t* length, bool* cut) {
  if (cursor->offset >= cursor->size) return false;
  const char* start = cursor->data + cursor->offset;
  const size_t left = cursor->size - cursor->offset;
  const void* newline = std::memchr(start, '\n', left);
  *line = start;
  *length = newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : left;
  *cut = newline == nullptr;
  cursor->offset += *length + (newline ? 1 : 0);
  ++cursor->lineNumber;
  return true;
}

int ScriptVersionOf(const char* data, size_t size) {
  if (size == 0) return 1;
  ScriptCursor cursor{data, size, 0, 0};
  const char* line = nullptr;
  size_t length = 0;
  bool cut = false;
  NextScriptLine(&cursor, &line, &length, &cut);
  ScriptLine parsed;
  char problem[100];
  if (ParseScriptLine(line, length, RUN_FORMAT_VERSION, 0, &parsed, problem, sizeof problem) &&
      parsed.kind == ScriptLineKind::Version) {
    return parsed.version;
  }
  // A recording cut within its first line.
  char tagText[16];
  const int tagLength = std::snprintf(tagText, sizeof tagText, "%s %d", RUN_FORMAT_TAG, RUN_FORMAT_VERSION);
  const Text tag(tagText, static_cast<size_t>(tagLength));
  const Text first(line, length);
  return cut && first.size() <= tag.size() && tag.substr(0, first.size()) == first ? RUN_FORMAT_VERSION : 1;
}

bool CheckRecording(const char* data, size_t size, ScriptCheck* check) {
  *check = ScriptCheck{};
  check->version = ScriptVersionOf(data, size);
  if (check->version < 1 || check->version > RUN_FORMAT_VERSION) {
    return Problem(check->problem, sizeof check->problem,
                   "line 1: a run of format version %d; versions 1 to %d are read here",
                   check->version, RUN_FORMAT_VERSION);
  }
  ScriptCursor cursor{data, size, 0, 0};
  const char* text = nullptr;
  size_t length = 0;
  bool cut = false;
  uint32_t clock = 0;
  char problem[160];
  ScriptLine parsed;
  while (NextScriptLine(&cursor, &text, &length, &cut)) {
    const int number = cursor.lineNumber;
    if (cut && check->version >= 2) {
      check->cutLine = number;
      break;
    }
    if (length > MAX_SCRIPT_LINE) {
      return Problem(check->problem, sizeof check->problem, "line %d: longer than %zu characters",
                     number, MAX_SCRIPT_LINE);
    }
    if (!ParseScriptLine(text, length, check->version, clock, &parsed, problem, sizeof problem)) {
      return Problem(check->problem, sizeof check->problem, "line %d: %s", number, problem);
    }
    if (parsed.kind != ScriptLineKind::Blank && check->ended) {
      return Problem(check->problem, sizeof check->problem, "line %d: nothing follows the end line", number);
    }
    switch (parsed.kind) {
      case ScriptLineKind::Version:
        if (number != 1) {
          return Problem(check->problem, sizeof check->problem,
                         "line %d: the version comes on the first line only", number);
        }
        break;
      case ScriptLineKind::Pass:
        ++check->passes;
        clock = parsed.pass.clocks[0];
        break;
      case ScriptLineKind::Run:
        check->passes += parsed.count;
        clock = ClockAfterRun(parsed, clock);
        break;
      case ScriptLineKind::State:
        if (parsed.statePass != check->passes) {
          return Problem(check->problem, sizeof check->problem,
                         "line %d: a state for pass %llu after pass %llu", number,
                         static_cast<unsigned long long>(parsed.statePass),
                         static_cast<unsigned long long>(check->passes));
        }
        break;
      case ScriptLineKind::End:
        check->ended = true;
        break;
      case ScriptLineKind::Other:
        return Problem(check->problem, sizeof check->problem, "line %d: unknown command \"%.*s\"",
                       number, Shown(Text(parsed.command, parsed.commandLength)), parsed.command);
      case ScriptLineKind::Blank:
        break;
    }
  }
  return true;
}
