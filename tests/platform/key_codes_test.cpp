// SDL's scan codes become the keyboard's set-1 codes, extended keys at 0x80 plus code.
#include <SDL.h>
#include <gtest/gtest.h>

#include <map>

#include "platform/key_codes.h"

namespace {

struct Expected {
  SDL_Scancode scancode;
  int keyCode;
};

TEST(KeyCodesTest, TheGamesKeysLandAtTheirCodes) {
  const Expected keys[] = {
      {SDL_SCANCODE_W, 0x11},     {SDL_SCANCODE_E, 0x12},     {SDL_SCANCODE_P, 0x19},
      {SDL_SCANCODE_A, 0x1E},     {SDL_SCANCODE_S, 0x1F},     {SDL_SCANCODE_D, 0x20},
      {SDL_SCANCODE_Z, 0x2C},     {SDL_SCANCODE_X, 0x2D},     {SDL_SCANCODE_C, 0x2E},
      {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_F1, 0x3B},    {SDL_SCANCODE_F2, 0x3C},
      {SDL_SCANCODE_F3, 0x3D},    {SDL_SCANCODE_F4, 0x3E},    {SDL_SCANCODE_F5, 0x3F},
      {SDL_SCANCODE_UP, 0xC8},    {SDL_SCANCODE_LEFT, 0xCB},  {SDL_SCANCODE_RIGHT, 0xCD},
      {SDL_SCANCODE_DOWN, 0xD0},
  };
  for (const Expected& key : keys) {
    EXPECT_EQ(KeyCodeFromScancode(key.scancode), key.keyCode) << SDL_GetScancodeName(key.scancode);
  }
}

TEST(KeyCodesTest, ExtendedKeysSitAboveTheirPlainTwins) {
  // Each extended key shares its low seven bits with a key of the main block or keypad.
  const Expected twins[] = {
      {SDL_SCANCODE_KP_ENTER, DIK_RETURN},    {SDL_SCANCODE_RCTRL, DIK_LCONTROL},
      {SDL_SCANCODE_RALT, DIK_LMENU},         {SDL_SCANCODE_KP_DIVIDE, DIK_SLASH},
      {SDL_SCANCODE_PRINTSCREEN, DIK_MULTIPLY}, {SDL_SCANCODE_HOME, DIK_NUMPAD7},
      {SDL_SCANCODE_UP, DIK_NUMPAD8},         {SDL_SCANCODE_PAGEUP, DIK_NUMPAD9},
      {SDL_SCANCODE_LEFT, DIK_NUMPAD4},       {SDL_SCANCODE_RIGHT, DIK_NUMPAD6},
      {SDL_SCANCODE_END, DIK_NUMPAD1},        {SDL_SCANCODE_DOWN, DIK_NUMPAD2},
      {SDL_SCANCODE_PAGEDOWN, DIK_NUMPAD3},   {SDL_SCANCODE_INSERT, DIK_NUMPAD0},
      {SDL_SCANCODE_DELETE, DIK_DECIMAL},     {SDL_SCANCODE_PAUSE, DIK_NUMLOCK},
  };
  for (const Expected& twin : twins) {
    EXPECT_EQ(KeyCodeFromScancode(twin.scancode), 0x80 | twin.keyCode)
        << SDL_GetScancodeName(twin.scancode);
  }
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LGUI), 0xDB);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RGUI), 0xDC);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_APPLICATION), 0xDD);
}

TEST(KeyCodesTest, TheWholeKeyboardHasDistinctCodes) {
  // Rows of consecutive codes on a standard keyboard.
  const SDL_Scancode topRow[] = {SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R,
                                 SDL_SCANCODE_T, SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I,
                                 SDL_SCANCODE_O, SDL_SCANCODE_P};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(KeyCodeFromScancode(topRow[i]), 0x10 + i);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_1 + i), 0x02 + i);  // 1 to 9, then 0
  }
  for (int i = 0; i < 10; ++i) EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F1 + i), 0x3B + i);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F11), 0x57);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F12), 0x58);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F15), 0x66);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_ESCAPE), 0x01);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LSHIFT), 0x2A);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RSHIFT), 0x36);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_NONUSBACKSLASH), 0x56);

  // Two keys share a code only where the keyboards themselves send the same scan code.
  const std::map<int, int> sharedWith = {
      {SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_BACKSLASH},
      {SDL_SCANCODE_AUDIOMUTE, SDL_SCANCODE_MUTE},
  };
  std::map<int, int> ownerOfCode;
  int mapped = 0;
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    const int code = KeyCodeFromScancode(scancode);
    if (code == 0) continue;
    ++mapped;
    auto [owner, fresh] = ownerOfCode.emplace(code, scancode);
    if (fresh) continue;
    const auto shared = sharedWith.find(scancode);
    EXPECT_TRUE(shared != sharedWith.end() && shared->second == owner->second)
        << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)) << " and "
        << SDL_GetScancodeName(static_cast<SDL_Scancode>(owner->second)) << " both give 0x"
        << std::hex << code;
  }
  EXPECT_GE(mapped, 104);  // at least a full desktop keyboard
}

TEST(KeyCodesTest, KeysWithoutACodeAndNonsenseGiveNone) {
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_00), 0);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_BRIGHTNESSUP), 0);
  EXPECT_EQ(KeyCodeFromScancode(-1), 0);
  EXPECT_EQ(KeyCodeFromScancode(SDL_NUM_SCANCODES), 0);
  EXPECT_EQ(KeyCodeFromScancode(1 << 30), 0);
}

}  // namespace
