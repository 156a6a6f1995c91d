// Result-code lookups: the name and the description of every known code and of some
// unknown ones, beside the plain scan of the name table that a binary search replaces.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "diag/dx_trace.h"
#include "diag/error_tables.h"

namespace {

std::vector<HRESULT> Codes() {
  std::vector<HRESULT> codes;
  for (size_t i = 0; i < ERROR_NAME_COUNT; ++i)
    codes.push_back(static_cast<HRESULT>(ERROR_NAMES[i].code));
  for (uint32_t unknown = 0x8BAD0000u; unknown < 0x8BAD0010u; ++unknown) {
    codes.push_back(static_cast<HRESULT>(unknown));
  }
  return codes;
}

void BM_ResultCodeLookup(benchmark::State& state) {
  const std::vector<HRESULT> codes = Codes();
  for (auto _ : state) {
    for (HRESULT code : codes) {
      benchmark::DoNotOptimize(DXGetErrorStringA(code));
      benchmark::DoNotOptimize(DXGetErrorDescriptionA(code));
    }
  }
  state.counters["codes"] = static_cast<double>(codes.size());
}

void BM_ResultCodeLinearScan(benchmark::State& state) {
  const std::vector<HRESULT> codes = Codes();
  for (auto _ : state) {
    for (HRESULT code : codes) {
      const char* name = nullptr;
      for (size_t i = 0; i < ERROR_NAME_COUNT && !name; ++i) {
        if (ERROR_NAMES[i].code == static_cast<uint32_t>(code)) name = ERROR_NAMES[i].name;
      }
      benchmark::DoNotOptimize(name);
    }
  }
}

BENCHMARK(BM_ResultCodeLookup)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultCodeLinearScan)->Unit(benchmark::kMicrosecond);

}  // namespace
