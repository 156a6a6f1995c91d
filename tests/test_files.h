#pragma once
// Files the tests write: named for this process and the running test, so that tests and
// test runs side by side never meet, and removed when the test program ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << name;
  return name;
}

// The whole file, empty when it cannot be read.
inline std::vector<uint8_t> ReadFileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
