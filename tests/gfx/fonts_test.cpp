// Fonts are found by face name and draw their text from the given top-left corner.
#include "gfx/fonts.h"

#include <cstring>

#include "gfx_fixture.h"

namespace {

constexpr uint32_t BLACK = 0xFF000000;

using FontsTest = GfxTest;

TEST_F(FontsTest, TheScoreTextStartsAtItsCornerWhateverItsLength) {
  Font* font = MakeFont("Arial Bold", 24);
  ASSERT_NE(font, nullptr);
  for (const char* text : {"SCORE = 0", "SCORE = 1234567"}) {
    ImageData image = DrawFrame(BLACK, [&] { DrawTextAt(font, 900, 40, text, 0xC8FFFFFF); });
    const Rect ink = Covered(image, BLACK);
    // The ink starts a little inside the text's cell, never before it.
    EXPECT_GE(ink.left, 900) << text;
    EXPECT_LE(ink.left, 903) << text;
    EXPECT_GE(ink.top, 40) << text;
    EXPECT_LE(ink.top, 48) << text;
    EXPECT_LE(ink.bottom, 40 + 24) << text;
    // Translucent white: grey, never full white.
    EXPECT_LE(At(image, ink.left + 1, ink.top + 3) & 0xFF, 0xC8u) << text;
  }
  ReleaseFont(font);
  EXPECT_EQ(font, nullptr);
}

TEST_F(FontsTest, BoldComesFromTheFaceNameAndOnly31CharactersOfItCount) {
  Font* regular = MakeFont("Arial", 14);
  Font* bold = MakeFont("Arial Bold", 14);
  ASSERT_NE(regular, nullptr);
  ASSERT_NE(bold, nullptr);
  auto inkCount = [&](Font* font) {
    ImageData image = DrawFrame(BLACK, [&] { DrawTextAt(font, 10, 10, "MMMM", 0xFFFFFFFF); });
    int count = 0;
    for (uint32_t pixel : image.pixels) count += pixel != BLACK;
    return count;
  };
  EXPECT_GT(inkCount(bold), inkCount(regular) * 11 / 10);
  ReleaseFont(regular);
  ReleaseFont(bold);

  // 31 characters, all needed: without its last letter "Italic" is no style.
  const char* whole = "Liberation     Sans Bold Italic";
  ASSERT_EQ(std::strlen(whole), 31u);
  Font* font = MakeFont(whole, 14);
  EXPECT_NE(font, nullptr);
  ReleaseFont(font);
  // The 32nd character goes unread.
  font = MakeFont("Liberation Sans Bold           X", 14);
  EXPECT_NE(font, nullptr);
  ReleaseFont(font);

  EXPECT_EQ(MakeFont("Zorbly Nonexistent Face", 14), nullptr);
  DrawTextAt(nullptr, 0, 0, "SCORE = 0", 0xFFFFFFFF);  // an empty handle draws nothing
}

}  // namespace
