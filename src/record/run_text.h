#pragma once
// The words and numbers of a run's text, read and written one way for every reader and
// writer of it: recordings, hand-written scripts and zf-replay's own commands.
#include <cstddef>
#include <string_view>

using Text = std::string_view;

// The words of a line up to its comment ("#"), one at a time.
struct Words {
  Text rest;
  explicit Words(Text line);
  bool Next(Text* word);
};

// The pieces of a comma list, as the first scripts were read: an empty list has none, and
// one comma at the very end adds none.
struct Pieces {
  Text rest;
  bool done;
  explicit Pieces(Text list);
  bool Next(Text* piece);
};

// A whole word as an integer: decimal, or 0x hex.
bool ParseInteger(Text text, long long* value);
// "N" or "FIRST-LAST", both integers as ParseInteger reads them; N gives N to both.
bool ParseSpan(Text text, long long* first, long long* last);
// A whole word as a finite number.
bool ParseReal(Text text, double* value);
bool StartsWith(Text text, Text prefix);
// How much of a word a message quotes.
int Shown(Text text);
// The text as a terminal may be given it: control bytes and bytes past ASCII as \xHH (a
// recording's ESC [2J would clear the player's screen). Cut to fit out, and terminated.
void ShowEscaped(Text text, char* out, size_t size);
// Writes a one-line problem into problem; false, for the caller to return.
bool Problem(char* problem, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// A number as %.*g (a float with 9 digits, a double with 17); a negative zero as 0.
void FormatReal(double value, int digits, char* out, size_t size);

// Text appended to a fixed buffer; `full` once something did not fit.
struct LineBuilder {
  char* out;
  size_t size;
  size_t used = 0;
  bool full = false;
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // " NAME=VALUE", the value as FormatReal writes it.
  void AddNumber(const char* name, double value, int digits);
};

// The answers to a question: "yes", "no", "yes+close" or "no+close" (the window closed
// while it showed).
struct PassAnswer {
  int answer;  // IDYES or IDNO
  bool windowClosed;
};
bool ParseAnswer(Text text, PassAnswer* answer);
const char* AnswerName(const PassAnswer& answer);
