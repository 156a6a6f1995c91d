// Every script in scripts/ is a recorded run with the lines it must print, written as
// "#> " comments and worked out from the rules by hand. An expected line names a printed
// line by its first words ("S 12", "Q 3", "D 4 enemy 0", "STARTUP", "END 9") and lists
// only the fields it cares about: "key=value" must match as printed, "key~value" within
// half a unit of the last digit written. "#>! PREFIX" says no line starts so.
// A bug report becomes one more script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "replay/replay.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Words(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
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

bool Has(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// The expected fields the printed line does not hold; empty when they agree.
std::string Compare(const std::vector<std::string>& expected, const std::vector<std::string>& got) {
  std::string problems;
  for (size_t i = KeyLength(expected); i < expected.size(); ++i) {
    const std::string& item = expected[i];
    const size_t approx = item.find('~');
    bool agrees = Has(got, item);
    if (approx != std::string::npos) {
      const std::string have = FieldValue(got, item.substr(0, approx));
      const std::string want = item.substr(approx + 1);
      agrees = !have.empty() && std::fabs(std::strtod(have.c_str(), nullptr) -
                                          std::strtod(want.c_str(), nullptr)) <= Tolerance(want);
    }
    if (!agrees) problems += " " + item;
  }
  return problems;
}

class ReplayScript : public testing::TestWithParam<std::string> {};

TEST_P(ReplayScript, PrintsTheExpectedLines) {
  const fs::path path = fs::path(ZF_SOURCE_DIR) / "tests/replay/scripts" / GetParam();
  std::ifstream file(path);
  ASSERT_TRUE(file) << path;
  std::stringstream script;
  script << file.rdbuf();

  std::ostringstream out, errors;
  ASSERT_EQ(RunReplay(script, out, errors), 0) << errors.str();

  // Printed lines by key, in order; lines with one key are matched in turn.
  std::map<std::string, std::vector<std::string>> printed;
  std::istringstream outLines(out.str());
  for (std::string line; std::getline(outLines, line);) printed[Key(Words(line))].push_back(line);
  std::map<std::string, size_t> used;

  std::istringstream lines(script.str());
  int lineNumber = 0;
  int checks = 0;
  for (std::string line; std::getline(lines, line);) {
    ++lineNumber;
    if (line.rfind("#>!", 0) == 0) {
      const std::string prefix = line.substr(4);
      EXPECT_EQ(out.str().find("\n" + prefix), std::string::npos)
          << GetParam() << ":" << lineNumber << ": a line starts with \"" << prefix << "\"";
      ++checks;
    } else if (line.rfind("#>", 0) == 0) {
      const std::vector<std::string> expected = Words(line.substr(2));
      const std::string key = Key(expected);
      const auto found = printed.find(key);
      const size_t turn = used[key]++;
      if (found == printed.end() || turn >= found->second.size()) {
        ADD_FAILURE() << GetParam() << ":" << lineNumber << ": no line \"" << key << "\" printed";
        continue;
      }
      const std::string& got = found->second[turn];
      const std::string problems = Compare(expected, Words(got));
      EXPECT_TRUE(problems.empty()) << GetParam() << ":" << lineNumber << ": want" << problems
                                    << "\n  printed: " << got;
      ++checks;
    }
  }
  EXPECT_GT(checks, 0) << GetParam() << " expects nothing";
}

std::vector<std::string> Scripts() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(ZF_SOURCE_DIR) / "tests/replay/scripts")) {
    if (entry.path().extension() == ".zfr") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Runs, ReplayScript, testing::ValuesIn(Scripts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = fs::path(info.param).stem().string();
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
