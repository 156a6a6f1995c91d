#pragma once
// Every failed call of the sound code is reported as one line of debugger output naming
// the sound source, the line and the call; never with a box.
#include <cstdint>
#include <source_location>

#include "diag/dx_trace.h"

constexpr const char* SOUND_SOURCE_FILE = "directsound";

// Returns hr, so that a failure path can read `return TraceSoundError("mmioRead", E_FAIL);`.
inline HRESULT TraceSoundError(const char* strCall, HRESULT hr,
                               std::source_location where = std::source_location::current()) {
  return DXTraceA(SOUND_SOURCE_FILE, static_cast<uint32_t>(where.line()), hr, strCall, false);
}
