#pragma once
// Files the tests write: named for this process and the running test, so that tests and
// test runs side by side never meet, and removed when the test program ends. Also what
// the tests set around the game: a variable of the environment, the fonts installed, a
// window procedure that ignores every message.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/window.h"

inline intptr_t IgnoreMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

inline std::string TestFile(const std::string& suffix) {
  static struct Written {
    std::vector<std::string> names;
    ~Written() {
      std::error_code ignored;
      for (const std::string& name : names) std::filesystem::remove_all(name, ignored);
    }
  } written;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = ::testing::TempDir() + "zf_" + std::to_string(getpid()) + "_" +
                     info->test_suite_name() + "_" + info->name() + suffix;
  written.names.push_back(name);
  return name;
}

// Writes the bytes to a test file of that suffix; its name.
template <typename Bytes>
std::string WriteTestFile(const Bytes& bytes, const std::string& suffix) {
  const std::string name = TestFile(suffix);
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << name;
  return name;
}

// The whole file, empty when it cannot be read.
template <typename Bytes = std::vector<uint8_t>>
Bytes ReadFileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One variable of the environment, set for the scope when a value is given, and as it
// was at the scope's start afterwards.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const char* name) : name_(name) {
    if (const char* previous = std::getenv(name)) saved_ = previous;
  }
  ScopedEnvironment(const char* name, const std::string& value) : ScopedEnvironment(name) {
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (saved_) setenv(name_, saved_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// For the scope, the only fonts installed are those in `fontFolder`, under the system's
// rules (its stand-ins for missing families) when asked.
class ScopedFonts {
 public:
  ScopedFonts(const std::string& fontFolder, bool systemRules) {
    const std::filesystem::path folder = TestFile("_fonts");
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig>\n"
        << (systemRules ? "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n" : "")
        << "<dir>" << fontFolder << "</dir>\n<cachedir>" << (folder / "cache").string()
        << "</cachedir>\n</fontconfig>\n";
    variable_.emplace("FONTCONFIG_FILE", (folder / "fonts.conf").string());
    EXPECT_TRUE(FcInitReinitialize());
  }
  ~ScopedFonts() {
    variable_.reset();
    FcInitReinitialize();
  }

 private:
  std::optional<ScopedEnvironment> variable_;
};
