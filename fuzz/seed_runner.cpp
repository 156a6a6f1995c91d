// A fuzz target as a plain program: runs each file named, or each file in each folder
// named, through it once, so that its seed files guard against regressions on every test
// run without the fuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "seed runner: cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    if (!std::filesystem::is_directory(argv[i], error)) {
      files.emplace_back(argv[i]);
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argv[i], error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    if (error) {
      std::fprintf(stderr, "seed runner: cannot list %s (%s)\n", argv[i], error.message().c_str());
      return 1;
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "seed runner: no seed files given\n");
    return 1;
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    if (!RunFile(path)) return 1;
  }
  std::printf("%zu seed files ran through\n", files.size());
  return 0;
}
