#pragma once
// The constant tables behind the result-code lookups, each sorted by code (as unsigned).
// They are constant-initialised: nothing is built when the program starts.
#include <cstddef>
#include <cstdint>

struct ErrorName {
  uint32_t code;
  const char* name;
  const char16_t* wideName;
};

struct ErrorDescription {
  uint32_t code;
  const char* text;
  const char16_t* wideText;
};

extern const ErrorName ERROR_NAMES[];
extern const size_t ERROR_NAME_COUNT;
extern const ErrorDescription ERROR_DESCRIPTIONS[];
extern const size_t ERROR_DESCRIPTION_COUNT;
