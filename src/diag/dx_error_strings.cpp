// Names and descriptions of result codes: a binary search over constant tables, so a
// lookup neither allocates nor needs anything built at start-up.
#include <algorithm>

#include "diag/dx_trace.h"
#include "diag/error_tables.h"

namespace {

template <typename Entry>
const Entry* FindCode(const Entry* table, size_t count, HRESULT hr) {
  const uint32_t code = static_cast<uint32_t>(hr);
  const Entry* end = table + count;
  const Entry* found = std::lower_bound(
      table, end, code, [](const Entry& entry, uint32_t wanted) { return entry.code < wanted; });
  return found != end && found->code == code ? found : nullptr;
}

}  // namespace

const char* DXGetErrorStringA(HRESULT hr) {
  const ErrorName* entry = FindCode(ERROR_NAMES, ERROR_NAME_COUNT, hr);
  return entry ? entry->name : "Unknown";
}

const char16_t* DXGetErrorStringW(HRESULT hr) {
  const ErrorName* entry = FindCode(ERROR_NAMES, ERROR_NAME_COUNT, hr);
  return entry ? entry->wideName : u"Unknown";
}

const char* DXGetErrorDescriptionA(HRESULT hr) {
  const ErrorDescription* entry = FindCode(ERROR_DESCRIPTIONS, ERROR_DESCRIPTION_COUNT, hr);
  return entry ? entry->text : "n/a";
}

const char16_t* DXGetErrorDescriptionW(HRESULT hr) {
  const ErrorDescription* entry = FindCode(ERROR_DESCRIPTIONS, ERROR_DESCRIPTION_COUNT, hr);
  return entry ? entry->wideText : u"n/a";
}
