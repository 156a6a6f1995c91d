#pragma once
// Resources embedded in the program. The game embeds none, so every look-up fails; the
// rest exists so that code written for embedded data reads as it always did.
#include <cstdint>

struct ResourceEntry;
using HRSRC = ResourceEntry*;
using HGLOBAL = const void*;
using HMODULE = void*;

inline HRSRC FindResource(HMODULE, const char*, const char*) { return nullptr; }
inline HGLOBAL LoadResource(HMODULE, HRSRC) { return nullptr; }
inline uint32_t SizeofResource(HMODULE, HRSRC) { return 0; }
inline const void* LockResource(HGLOBAL) { return nullptr; }
