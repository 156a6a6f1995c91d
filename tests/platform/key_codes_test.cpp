// SDL's scan codes become the keyboard's set-1 codes, extended keys at 0x80 plus code.
#include "platform/input/key_codes.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <map>

namespace {

TEST(KeyCodesTest, KeysLandAtTheirSetOneCodes) {
  // clang-format off
  const std::pair<SDL_Scancode, int> keys[] = {
      // the game's own keys
      {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12}, {SDL_SCANCODE_P, 0x19},
      {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20},
      {SDL_SCANCODE_Z, 0x2C}, {SDL_SCANCODE_X, 0x2D}, {SDL_SCANCODE_C, 0x2E},
      {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F5, 0x3F},
      {SDL_SCANCODE_UP, 0xC8}, {SDL_SCANCODE_LEFT, 0xCB}, {SDL_SCANCODE_RIGHT, 0xCD},
      {SDL_SCANCODE_DOWN, 0xD0},
      // extended keys sit 0x80 above their plain twins
      {SDL_SCANCODE_KP_8, 0x48}, {SDL_SCANCODE_KP_ENTER, 0x9C}, {SDL_SCANCODE_RCTRL, 0x9D},
      {SDL_SCANCODE_LCTRL, 0x1D}, {SDL_SCANCODE_RALT, 0xB8}, {SDL_SCANCODE_PRINTSCREEN, 0xB7},
      {SDL_SCANCODE_PAUSE, 0xC5}, {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}, {SDL_SCANCODE_HOME, 0xC7},
      {SDL_SCANCODE_PAGEDOWN, 0xD1}, {SDL_SCANCODE_INSERT, 0xD2}, {SDL_SCANCODE_DELETE, 0xD3},
      {SDL_SCANCODE_LGUI, 0xDB}, {SDL_SCANCODE_RGUI, 0xDC}, {SDL_SCANCODE_APPLICATION, 0xDD},
  };
  // clang-format on
  for (const auto& [scancode, code] : keys) {
    EXPECT_EQ(KeyCodeFromScancode(scancode), code) << SDL_GetScancodeName(scancode);
  }
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_BRIGHTNESSUP), 0);
  EXPECT_EQ(KeyCodeFromScancode(-1), 0);
  EXPECT_EQ(KeyCodeFromScancode(SDL_NUM_SCANCODES), 0);
}

TEST(KeyCodesTest, TheWholeKeyboardHasDistinctCodes) {
  // Two keys share a code only where keyboards themselves send the same scan code.
  const std::map<int, int> sharedWith = {{SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_BACKSLASH},
                                         {SDL_SCANCODE_AUDIOMUTE, SDL_SCANCODE_MUTE}};
  std::map<int, int> ownerOfCode;
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    const int code = KeyCodeFromScancode(scancode);
    if (code == 0) continue;
    auto [owner, fresh] = ownerOfCode.emplace(code, scancode);
    const auto shared = sharedWith.find(scancode);
    EXPECT_TRUE(fresh || (shared != sharedWith.end() && shared->second == owner->second))
        << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)) << " repeats 0x" << std::hex
        << code;
  }
  EXPECT_GE(ownerOfCode.size(), 104u);  // at least a full desktop keyboard
}

}  // namespace
