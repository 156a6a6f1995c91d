#include "record/run_text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/system/system.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n';
}

// strtoll and strtod want a terminated copy.
bool Terminated(Text text, char (&digits)[64]) {
  if (text.empty() || text.size() >= sizeof digits) return false;
  std::memcpy(digits, text.data(), text.size());
  digits[text.size()] = '\0';
  return true;
}

}  // namespace

Words::Words(Text line) : rest(line.substr(0, line.find('#'))) {}

bool Words::Next(Text* word) {
  size_t start = 0;
  while (start < rest.size() && IsSpace(rest[start])) ++start;
  size_t end = start;
  while (end < rest.size() && !IsSpace(rest[end])) ++end;
  *word = rest.substr(start, end - start);
  rest = rest.substr(end);
  return !word->empty();
}

Pieces::Pieces(Text list) : rest(list), done(list.empty()) {}

bool Pieces::Next(Text* piece) {
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

bool ParseInteger(Text text, long long* value) {
  char digits[64];
  if (!Terminated(text, digits)) return false;
  char* end = nullptr;
  *value = std::strtoll(digits, &end, 0);
  return end == digits + text.size();
}

bool ParseSpan(Text text, long long* first, long long* last) {
  // A dash at the start belongs to a negative first number.
  const size_t dash = text.find('-', 1);
  if (!ParseInteger(text.substr(0, dash), first)) return false;
  *last = *first;
  return dash == Text::npos || ParseInteger(text.substr(dash + 1), last);
}

bool ParseReal(Text text, double* value) {
  char digits[64];
  if (!Terminated(text, digits)) return false;
  char* end = nullptr;
  *value = std::strtod(digits, &end);
  return end == digits + text.size() && std::isfinite(*value);
}

bool StartsWith(Text text, Text prefix) { return text.substr(0, prefix.size()) == prefix; }

int Shown(Text text) { return static_cast<int>(text.size() < 60 ? text.size() : 60); }

void ShowEscaped(Text text, char* out, size_t size) {
  if (size == 0) return;
  size_t used = 0;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool plain = byte >= 0x20 && byte < 0x7F;
    if (used + (plain ? 1 : 4) >= size) break;
    if (plain) out[used++] = c;
    else used += static_cast<size_t>(std::snprintf(out + used, 5, "\\x%02X", byte));
  }
  out[used] = '\0';
}

bool Problem(char* problem, size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(problem, size, format, arguments);
  va_end(arguments);
  return false;
}

void LineBuilder::Add(const char* format, ...) {
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

void FormatReal(double value, int digits, char* out, size_t size) {
  if (value == 0.0) value = 0.0;
  std::snprintf(out, size, "%.*g", digits, value);
}

void LineBuilder::AddNumber(const char* name, double value, int digits) {
  char number[40];
  FormatReal(value, digits, number, sizeof number);
  Add(" %s=%s", name, number);
}

bool ParseAnswer(Text text, PassAnswer* answer) {
  if (text == "yes") *answer = PassAnswer{IDYES, false};
  else if (text == "no") *answer = PassAnswer{IDNO, false};
  else if (text == "yes+close") *answer = PassAnswer{IDYES, true};
  else if (text == "no+close") *answer = PassAnswer{IDNO, true};
  else return false;
  return true;
}

const char* AnswerName(const PassAnswer& answer) {
  if (answer.answer == IDYES) return answer.windowClosed ? "yes+close" : "yes";
  return answer.windowClosed ? "no+close" : "no";
}
