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

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (int i = 1; i < argc && !error; ++i) {
    if (!std::filesystem::is_directory(argv[i], error)) {
      files.emplace_back(argv[i]);
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argv[i], error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
  }
  if (error || files.empty()) {
    std::fprintf(stderr, "seed runner: no seed files (%s)\n",
                 error ? error.message().c_str() : "none given");
    return 1;
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "seed runner: cannot read %s\n", path.c_str());
      return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu seed files ran through\n", files.size());
  return 0;
}
