#include "expect.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <vector>

#include "record/run_text.h"

namespace {

std::vector<std::string> WordsOf(const std::string& line) {
  std::vector<std::string> words;
  ::Words reader(line);
  for (Text word; reader.Next(&word);) words.emplace_back(word);
  return words;
}

// How many leading words name a line: "STARTUP", "S 4", "D 4 enemy 0".
size_t KeyLength(const std::vector<std::string>& words) {
  if (words.empty()) return 0;
  if (words[0] == "STARTUP") return 1;
  if (words[0] == "D") return std::min<size_t>(4, words.size());
  return std::min<size_t>(2, words.size());
}

std::string Key(const std::vector<std::string>& words) {
  std::string key;
  for (size_t i = 0; i < KeyLength(words); ++i) key += (i ? " " : "") + words[i];
  return key;
}

// Half a unit of the last digit written: "1.25" allows 0.005.
double Tolerance(const std::string& number) {
  const size_t point = number.find('.');
  if (point == std::string::npos) return 0.5;
  return 0.5 * std::pow(10.0, -static_cast<double>(number.size() - point - 1));
}

std::string FieldValue(const std::vector<std::string>& words, const std::string& name) {
  for (const std::string& word : words) {
    if (word.rfind(name + "=", 0) == 0) return word.substr(name.size() + 1);
  }
  return std::string();
}

// The expected fields the printed line does not hold; empty when they agree.
std::string Compare(const std::vector<std::string>& expected, const std::vector<std::string>& got) {
  std::string problems;
  for (size_t i = KeyLength(expected); i < expected.size(); ++i) {
    const std::string& item = expected[i];
    const size_t approx = item.find('~');
    bool agrees = std::find(got.begin(), got.end(), item) != got.end();
    if (approx != std::string::npos) {
      const std::string have = FieldValue(got, item.substr(0, approx));
      const std::string want = item.substr(approx + 1);
      double haveValue = 0, wantValue = 0;
      agrees = ParseReal(have, &haveValue) && ParseReal(want, &wantValue) &&
               std::fabs(haveValue - wantValue) <= Tolerance(want);
    }
    if (!agrees) problems += " " + item;
  }
  return problems;
}

// One line to the terminal: a script's words may hold control bytes.
void Tell(std::ostream& problems, const std::string& line) {
  char shown[4096];
  ShowEscaped(line, shown, sizeof shown);
  problems << shown << "\n";
}

}  // namespace

int CheckExpectations(const std::string& scriptName, const std::string& script,
                      const std::string& printed, std::ostream& problems) {
  // Printed lines by key, in order; lines with one key are matched in turn.
  std::map<std::string, std::vector<std::string>> lines;
  std::istringstream printedLines(printed);
  for (std::string line; std::getline(printedLines, line);)
    lines[Key(WordsOf(line))].push_back(line);
  std::map<std::string, size_t> used;

  std::istringstream scriptLines(script);
  int lineNumber = 0, checks = 0, failures = 0;
  for (std::string line; std::getline(scriptLines, line);) {
    ++lineNumber;
    const std::string where = scriptName + ":" + std::to_string(lineNumber) + ": ";
    if (line.rfind("#>!", 0) == 0) {
      ++checks;
      const std::string prefix = line.substr(4);
      if (("\n" + printed).find("\n" + prefix) != std::string::npos) {
        Tell(problems, where + "a line starts with \"" + prefix + "\"");
        ++failures;
      }
    } else if (line.rfind("#>", 0) == 0) {
      ++checks;
      const std::vector<std::string> expected = WordsOf(line.substr(2));
      const std::string key = Key(expected);
      const auto found = lines.find(key);
      const size_t turn = used[key]++;
      if (found == lines.end() || turn >= found->second.size()) {
        Tell(problems, where + "no line \"" + key + "\" printed");
        ++failures;
        continue;
      }
      const std::string mismatch = Compare(expected, WordsOf(found->second[turn]));
      if (!mismatch.empty()) {
        Tell(problems, where + "want" + mismatch);
        Tell(problems, "  printed: " + found->second[turn]);
        ++failures;
      }
    }
  }
  return checks == 0 ? -1 : failures;
}
