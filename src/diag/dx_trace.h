#pragma once
// Names and descriptions of result codes, and the trace of a failed platform call. The
// codes are the platform's (platform/hresult.h); diag uses the platform, never the reverse.
#include <cstdint>

#include "platform/hresult.h"

// The code's published name, or "Unknown". The texts are constants; nothing is allocated.
const char* DXGetErrorStringA(HRESULT hr);
const char16_t* DXGetErrorStringW(HRESULT hr);
// The code's description, or "n/a".
const char* DXGetErrorDescriptionA(HRESULT hr);
const char16_t* DXGetErrorDescriptionW(HRESULT hr);

// Writes one line about a failed call to the debugger output and, when asked, offers to
// break into the debugger. Returns hr unchanged. strFile and strMsg may be null.
HRESULT DXTraceA(const char* strFile, uint32_t dwLine, HRESULT hr, const char* strMsg,
                 bool bPopMsgBox);
HRESULT DXTraceW(const char* strFile, uint32_t dwLine, HRESULT hr, const char16_t* strMsg,
                 bool bPopMsgBox);
