// Result-code names and descriptions: the rows a player's bug report hinges on and the
// table's rules.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "diag/dx_trace.h"
#include "diag/error_tables.h"

namespace {

HRESULT Code(uint32_t bits) { return static_cast<HRESULT>(bits); }

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

struct Row {
  uint32_t code;
  const char* name;
  const char* description;  // nullptr: not looked at
};

TEST(ErrorNames, TellingRowsInBothWidths) {
  const Row rows[] = {
      {0x00000001u, "S_FALSE", "Call successful, but returned FALSE"},
      {0x00000002u, "ERROR_FILE_NOT_FOUND", "The system cannot find the file specified."},
      {0x80070002u, "ERROR_FILE_NOT_FOUND", "The system cannot find the file specified."},
      {0x8007001Eu, "ERROR_READ_FAULT & DIERR_INPUTLOST",
       "Access to the device has been lost.  It must be re-acquired."},
      {0x88780078u, "DSERR_NODRIVER", "No sound driver is available for use"},
      {0x88760868u, "D3DERR_DEVICELOST", "Device lost"},
      {0x8876086Cu, "D3DERR_INVALIDCALL", "Invalid call"},
      {0x800706BAu, "RPC_S_SERVER_UNAVAILABLE", "n/a"},
      {0x00000005u, "ERROR_ACCESS_DENIED", "n/a"},
      {0x80070005u, "E_ACCESSDENIED", "n/a"},
      {0x12345678u, "Unknown", "n/a"},
      // Names that share a code are joined there.
      {0x80040201u, "DIERR_DEVICEFULL & VFW_E_INVALIDSUBTYPE & DMO_E_INVALIDSTREAMINDEX", nullptr},
      {0x00040001u, "OLE_S_STATIC & MS_S_PENDING & WBEM_S_ALREADY_EXISTS", nullptr},
      {0x800704DFu, "ERROR_ALREADY_INITIALIZED & DIERR_ALREADYINITIALIZED", nullptr},
      {1247, "ERROR_ALREADY_INITIALIZED", nullptr},
      // Range markers, and the driver codes past the first.
      {0x00040000u, "OLE_S_FIRST", nullptr},
      {0x80040170u, "CACHE_E_FIRST", nullptr},
      {0x80040300u, "DIERR_DRIVERFIRST", "n/a"},
      {0x80040301u, "DIERR_DRIVERFIRST+1", "n/a"},
      {0x80040305u, "DIERR_DRIVERFIRST+5", "n/a"},
      {0x80040306u, "Unknown", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.code);
    EXPECT_STREQ(DXGetErrorStringA(Code(row.code)), row.name);
    EXPECT_EQ(std::u16string(DXGetErrorStringW(Code(row.code))), Widen(row.name));
    if (!row.description) continue;
    EXPECT_STREQ(DXGetErrorDescriptionA(Code(row.code)), row.description);
    EXPECT_EQ(std::u16string(DXGetErrorDescriptionW(Code(row.code))), Widen(row.description));
  }
}

// Every entry is found by its code, the first and the last too.
TEST(ErrorNames, TablesAreSortedUniqueAndAgreeInBothWidths) {
  for (size_t i = 0; i < ERROR_NAME_COUNT; ++i) {
    ASSERT_TRUE(i == 0 || ERROR_NAMES[i - 1].code < ERROR_NAMES[i].code) << i;
    ASSERT_EQ(std::u16string(ERROR_NAMES[i].wideName), Widen(ERROR_NAMES[i].name));
    ASSERT_STREQ(DXGetErrorStringA(Code(ERROR_NAMES[i].code)), ERROR_NAMES[i].name);
  }
  for (size_t i = 0; i < ERROR_DESCRIPTION_COUNT; ++i) {
    ASSERT_TRUE(i == 0 || ERROR_DESCRIPTIONS[i - 1].code < ERROR_DESCRIPTIONS[i].code) << i;
    ASSERT_EQ(std::u16string(ERROR_DESCRIPTIONS[i].wideText), Widen(ERROR_DESCRIPTIONS[i].text));
    // Every described code has a name.
    EXPECT_STRNE(DXGetErrorStringA(Code(ERROR_DESCRIPTIONS[i].code)), "Unknown");
  }
}

}  // namespace
