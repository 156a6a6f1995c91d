#include "record/run_lines.h"

#include <cstdio>
#include <cstring>

#include "platform/system/system.h"
#include "platform/system/window.h"

namespace {

struct NamedKey {
  const char* name;
  int code;
};

constexpr NamedKey KEY_NAMES[] = {
    {"W", DIK_W},       {"A", DIK_A},         {"S", DIK_S},         {"D", DIK_D},
    {"E", DIK_E},       {"P", DIK_P},         {"Z", DIK_Z},         {"X", DIK_X},
    {"C", DIK_C},       {"SPACE", DIK_SPACE}, {"F1", DIK_F1},       {"F2", DIK_F1 + 1},
    {"F3", DIK_F1 + 2}, {"F4", DIK_F1 + 3},   {"F5", DIK_F5},       {"UP", DIK_UP},
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

bool ParseClock(Text text, uint32_t previous, uint32_t* clock) {
  long long value = 0;
  const bool relative = !text.empty() && text[0] == '+';
  if (!ParseInteger(relative ? text.substr(1) : text, &value) || value < 0 ||
      value > 0xFFFFFFFFLL) {
    return false;
  }
  *clock = relative ? previous + static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  return true;
}

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
    long long first = 0, last = 0;
    if (!ParseSpan(piece, &first, &last) || first < 0 || last < first || last >= MAX_PASS_REQUESTS)
      return false;
    for (long long request = first; request <= last; ++request) {
      SetPassDraws(pass, static_cast<int>(request));
    }
  }
  return true;
}

bool AddMessage(RecordedPass* pass, uint32_t message, char* problem, size_t size) {
  if (pass->messageCount == MAX_PASS_MESSAGES)
    return Problem(problem, size, "more than %d messages", MAX_PASS_MESSAGES);
  pass->messages[pass->messageCount++] = message;
  return true;
}

bool ParseFocus(Text what, RecordedPass* pass, char* problem, size_t size) {
  for (const NamedMessage& named : FOCUS_NAMES) {
    if (what == named.name) return AddMessage(pass, named.message, problem, size);
  }
  return Problem(problem, size, "focus wants lost, gained, minimised or restored");
}

bool ParseAnswers(Text list, RecordedPass* pass, char* problem, size_t size) {
  Pieces pieces(list);
  for (Text text; pieces.Next(&text);) {
    PassAnswer answer{};
    if (!ParseAnswer(text, &answer))
      return Problem(problem, size, "unknown answer \"%.*s\"", Shown(text), text.data());
    if (pass->answerCount == MAX_PASS_ANSWERS)
      return Problem(problem, size, "more than %d answers", MAX_PASS_ANSWERS);
    pass->answers[pass->answerCount++] = answer;
  }
  return true;
}

bool ParseOption(Text token, int version, RecordedPass* pass, char* problem, size_t size) {
  if (token == "close") return AddMessage(pass, MSG_DESTROY, problem, size);
  if (token == "noscene" || token == "dump") {
    (token == "dump" ? pass->dump : pass->noScene) = true;
    return true;
  }
  if (StartsWith(token, "focus=")) return ParseFocus(token.substr(6), pass, problem, size);
  if (StartsWith(token, "ask=")) return ParseAnswers(token.substr(4), pass, problem, size);
  if (StartsWith(token, "keys=")) {
    Pieces pieces(token.substr(5));
    for (Text key; pieces.Next(&key);) {
      if (!ParseKey(key, pass))
        return Problem(problem, size, "unknown key \"%.*s\"", Shown(key), key.data());
    }
    return true;
  }
  if (StartsWith(token, "pad=")) {
    pass->padPresent = true;
    return ParsePad(token.substr(4), &pass->pad) ||
           Problem(problem, size, "pad wants BUTTONS,LT,RT,LX,LY,RX,RY in range");
  }
  if (version >= 2 && StartsWith(token, "draws=")) {
    return ParseDraws(token.substr(6), pass) ||
           Problem(problem, size, "draws wants request numbers or FIRST-LAST below %d",
                   MAX_PASS_REQUESTS);
  }
  return Problem(problem, size, "unknown option \"%.*s\"", Shown(token), token.data());
}

// Version 1 took one message a pass: a close, or the last focus= written.
bool KeepOneMessage(RecordedPass* pass, char* problem, size_t size) {
  bool close = false;
  uint32_t focus = MSG_NONE;
  for (int i = 0; i < pass->messageCount; ++i) {
    if (pass->messages[i] == MSG_DESTROY) close = true;
    else focus = pass->messages[i];
  }
  if (close && focus != MSG_NONE)
    return Problem(problem, size, "a pass takes one message: close or focus=, not both");
  pass->messageCount = 0;
  if (close) pass->messages[pass->messageCount++] = MSG_DESTROY;
  if (focus != MSG_NONE) pass->messages[pass->messageCount++] = focus;
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

// "COUNT +D", or in a recording "COUNT +D:DIGITS" with a digit a pass.
bool ParseRunHead(Words* words, int version, PassLine* line) {
  Text count, clock;
  long long passes = 0;
  if (!words->Next(&count) || !ParseInteger(count, &passes) || passes < 0 ||
      passes > 0xFFFFFFFFLL || !words->Next(&clock) || clock[0] != '+') {
    return false;
  }
  const size_t colon = version >= 2 ? clock.find(':') : Text::npos;
  const Text late = colon == Text::npos ? Text() : clock.substr(colon + 1);
  line->lateBy = colon == Text::npos ? nullptr : late.data();
  line->count = static_cast<uint32_t>(passes);
  return ParseClock(clock.substr(0, colon), 0, &line->step) &&
         (!line->lateBy || (late.size() == static_cast<size_t>(passes) &&
                            late.find_first_not_of("0123456789") == Text::npos));
}

const char* KeyName(int code) {
  for (const NamedKey& key : KEY_NAMES) {
    if (key.code == code) return key.name;
  }
  return nullptr;
}

const char* FocusName(uint32_t message) {
  for (const NamedMessage& named : FOCUS_NAMES) {
    if (named.message == message) return named.name;
  }
  return nullptr;
}

void AddKeys(const RecordedPass& pass, LineBuilder* line) {
  const char* separator = " keys=";
  for (int code = 0; code < KEY_CODE_COUNT; ++code) {
    if (!(pass.keys[code] & 0x80)) continue;
    if (const char* name = KeyName(code)) line->Add("%s%s", separator, name);
    else line->Add("%s0x%02X", separator, code);
    separator = ",";
  }
  if (pass.escape) line->Add("%sESC", separator);
}

void AddDraws(const RecordedPass& pass, LineBuilder* line) {
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

void AddOptions(const RecordedPass& pass, LineBuilder* line) {
  AddKeys(pass, line);
  if (pass.padPresent) {
    const XINPUT_GAMEPAD& pad = pass.pad;
    line->Add(" pad=0x%04X,%u,%u,%d,%d,%d,%d", pad.wButtons, pad.bLeftTrigger, pad.bRightTrigger,
              pad.sThumbLX, pad.sThumbLY, pad.sThumbRX, pad.sThumbRY);
  }
  for (int i = 0; i < pass.messageCount; ++i) {
    if (const char* focus = FocusName(pass.messages[i])) line->Add(" focus=%s", focus);
    else line->Add(" close");
  }
  for (int i = 0; i < pass.answerCount; ++i)
    line->Add("%s%s", i == 0 ? " ask=" : ",", AnswerName(pass.answers[i]));
  if (pass.noScene) line->Add(" noscene");
  AddDraws(pass, line);
  if (pass.dump) line->Add(" dump");
}

}  // namespace

bool ReadPassLine(Text command, Words words, int version, uint32_t previousClock, PassLine* line,
                  char* problem, size_t problemSize) {
  RecordedPass& pass = line->pass;
  ClearPass(&pass);
  line->run = command == "run";
  line->count = 1;
  line->step = 0;
  line->lateBy = nullptr;
  if (!line->run) {
    Text clock;
    if (!words.Next(&clock) || !ParsePassClocks(clock, version, previousClock, &pass)) {
      return Problem(problem, problemSize, "pass wants a clock: decimal, 0x hex or +D");
    }
  } else {
    if (!ParseRunHead(&words, version, line)) {
      return Problem(problem, problemSize, "%s",
                     version >= 2 ? "run wants a count and +D, or +D:DIGITS with a digit a pass"
                                  : "run wants a count and +D");
    }
    const uint32_t most = version >= 2 ? MAX_RUN_PASSES : MAX_SCRIPT_RUN_PASSES;
    if (line->count > most) {
      return Problem(problem, problemSize, "a run of %u passes, more than a %s holds (%u)",
                     line->count, version >= 2 ? "recording's run line" : "script's run line",
                     most);
    }
    pass.clockCount = 1;
    pass.clocks[0] = previousClock + RunPassStep(*line, 0);
  }
  for (Text option; words.Next(&option);) {
    if (!ParseOption(option, version, &pass, problem, problemSize)) return false;
  }
  return version >= 2 || KeepOneMessage(&pass, problem, problemSize);
}

uint32_t RunPassStep(const PassLine& line, uint32_t n) {
  return line.step +
         (line.lateBy && n < line.count ? static_cast<uint32_t>(line.lateBy[n] - '0') : 0);
}

uint32_t ClockAfterLine(const PassLine& line, uint32_t previousClock) {
  if (!line.run) return line.pass.clocks[0];
  // The steps' sum at once: a script's run line may count thousands of passes.
  uint32_t clock = previousClock + line.count * line.step;
  for (uint32_t n = 0; line.lateBy && n < line.count; ++n)
    clock += static_cast<uint32_t>(line.lateBy[n] - '0');
  return clock;
}

size_t WritePassLine(const RecordedPass& pass, bool absolute, uint32_t previousClock,
                     uint32_t count, const char* lateBy, char* out, size_t size) {
  LineBuilder line{out, size};
  const uint32_t first = pass.clockCount ? pass.clocks[0] : previousClock;
  if (count > 1) {
    line.Add("run %u +%u", count, first - previousClock);
    if (lateBy && std::strspn(lateBy, "0") < count)
      line.Add(":%.*s", static_cast<int>(count), lateBy);
  } else if (absolute) {
    line.Add("pass %u", first);
  } else {
    line.Add("pass +%u", first - previousClock);
  }
  for (int i = 1; i < WrittenClocks(pass); ++i)
    line.Add(",+%u", pass.clocks[i] - pass.clocks[i - 1]);
  AddOptions(pass, &line);
  return line.full ? 0 : line.used;
}
