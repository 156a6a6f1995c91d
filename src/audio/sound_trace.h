#pragma once
// Every failed call of the sound code is reported as one line of debugger output naming
// the sound source, the line and the call; never with a box.
#include <cstdint>

#include "diag/dx_trace.h"

constexpr const char* SOUND_SOURCE_FILE = "directsound";

// Returns hr, so that a failure path can read `return TraceSoundError("mmioRead", E_FAIL);`.
// The line is the caller's.
inline HRESULT TraceSoundError(const char* strCall, HRESULT hr,
                               uint32_t dwLine = __builtin_LINE()) {
  return DXTraceA(SOUND_SOURCE_FILE, dwLine, hr, strCall, false);
}
