// Fonts are found by face name, with a stand-in where the family is missing, and draw
// their text, line by line, from the given top-left corner. The tests run on a font
// configuration with the system's rules but only the DejaVu faces, as on a machine
// without Arial or its metric twins.
#include "gfx/fonts.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <tuple>

#include "gfx_fixture.h"
#include "platform/gfx/font.h"
#include "platform/gfx/font_face.h"
#include "platform/system/verbose.h"

namespace {

constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t WHITE = 0xFFFFFFFF;

class FontsTest : public GfxTest {
 protected:
  // The font and the line it printed about its face (said with --verbose).
  Font* Make(const char* faceName, int32_t height, std::string* line = nullptr) {
    ::testing::internal::CaptureStderr();
    SetVerbose(true);
    Font* font = MakeFont(faceName, height);
    SetVerbose(false);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
    if (line) *line = printed;
    return font;
  }

  static FontFile FaceFor(const char* faceName) {
    FontFile file;
    EXPECT_TRUE(FindFontFace(ParseFaceName(faceName, 0, false), &file)) << faceName;
    return file;
  }

  static Rect Measure(Font* font, const char* text) {
    Rect rect{100, 200, 0, 0};
    font->DrawText(nullptr, text, -1, &rect, DT_CALCRECT, WHITE);
    return rect;
  }

  ScopedFonts dejaVu{"/usr/share/fonts/truetype/dejavu", true};
};

TEST_F(FontsTest, TheScoreFontHasA24PixelCellAndItsTextStartsAtItsCorner) {
  std::string line;
  Font* font = Make("Arial Bold", 24, &line);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(line.find("\"Arial Bold\" is drawn with DejaVu Sans Bold"), std::string::npos) << line;
  for (const char* text : {"SCORE = 0", "SCORE = 1234567"}) {
    const Rect cell = Measure(font, text);
    EXPECT_EQ(cell.bottom - cell.top, 24) << text;
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

  // No height asks for the default one rather than for no font.
  font = Make("Arial", 0);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(Measure(font, "SCORE").bottom - 200, 16);
  ReleaseFont(font);
  DrawTextAt(nullptr, 0, 0, "SCORE = 0", WHITE);  // an empty handle draws nothing
}

TEST_F(FontsTest, StyleWordsChooseWeightWidthAndSlantOfTheNearestFace) {
  const struct {
    const char* name;
    const char* family;
    int weight;
    int width;
    bool slanted;
  } cases[] = {
      {"Arial", "DejaVu Sans", FC_WEIGHT_REGULAR, FC_WIDTH_NORMAL, false},
      {"Arial Bold", "DejaVu Sans", FC_WEIGHT_BOLD, FC_WIDTH_NORMAL, false},
      {"Arial Black", "DejaVu Sans", FC_WEIGHT_BOLD, FC_WIDTH_NORMAL, false},
      {"Arial Semibold", "DejaVu Sans", FC_WEIGHT_BOLD, FC_WIDTH_NORMAL, false},
      {"Arial Light", "DejaVu Sans", FC_WEIGHT_EXTRALIGHT, FC_WIDTH_NORMAL, false},
      {"Arial Condensed", "DejaVu Sans", FC_WEIGHT_REGULAR, FC_WIDTH_SEMICONDENSED, false},
      {"arial bold ITALIC", "DejaVu Sans", FC_WEIGHT_BOLD, FC_WIDTH_NORMAL, true},
      {"DejaVu Serif Italic", "DejaVu Serif", FC_WEIGHT_REGULAR, FC_WIDTH_NORMAL, true},
      // A family with a style word in its own name keeps it.
      {"DejaVu Sans Light", "DejaVu Sans", FC_WEIGHT_EXTRALIGHT, FC_WIDTH_NORMAL, false},
  };
  for (const auto& row : cases) {
    const FontFile face = FaceFor(row.name);
    const auto chosen = std::tuple(face.family, face.weight, face.width, face.slanted,
                                   face.addBold || face.addSlant);
    EXPECT_EQ(chosen,
              std::tuple(std::string(row.family), row.weight, row.width, row.slanted, false))
        << row.name;
  }
  // A family without the weight or slant asked for gets them from the renderer.
  const FontFile plain = FaceFor("DejaVu Math TeX Gyre Bold Italic");
  EXPECT_EQ(plain.family, "DejaVu Math TeX Gyre");
  EXPECT_TRUE(plain.addBold);
  EXPECT_TRUE(plain.addSlant);
  // The descriptor's own weight counts where the name says none.
  FontFile heavy;
  ASSERT_TRUE(FindFontFace(ParseFaceName("Arial", FW_BOLD, false), &heavy));
  EXPECT_EQ(heavy.weight, FC_WEIGHT_BOLD);
}

TEST_F(FontsTest, Only31CharactersOfTheNameCount) {
  // 31 characters, all needed: without its last letter "Oblique" is no style.
  const char* whole = "DejaVu Sans        Bold Oblique";
  ASSERT_EQ(std::strlen(whole), 31u);
  std::string line;
  Font* font = Make(whole, 14, &line);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(line.find("DejaVu Sans Bold Oblique"), std::string::npos) << line;
  ReleaseFont(font);
  // The 32nd character goes unread.
  font = Make("DejaVu Sans Bold               X", 14, &line);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(line.find("drawn with DejaVu Sans Bold\n"), std::string::npos) << line;
  ReleaseFont(font);
}

TEST_F(FontsTest, LineBreaksStartLinesOneCellLowerAndTheMeasureCoversThemAll) {
  Font* font = Make("Arial", 20);
  ASSERT_NE(font, nullptr);
  const Rect wide = Measure(font, "MMMMMM");
  const Rect narrow = Measure(font, "I");
  for (const char* text : {"I\nMMMMMM", "I\r\nMMMMMM", "I\rMMMMMM"}) {
    const Rect both = Measure(font, text);
    EXPECT_EQ(both.bottom - both.top, 40);
    EXPECT_EQ(both.right, wide.right);
  }
  const Rect three = Measure(font, "MMMMMM\n\nI");
  EXPECT_EQ(three.bottom - three.top, 60);

  ImageData image = DrawFrame(BLACK, [&] { DrawTextAt(font, 10, 10, "MMMMMM\nI", WHITE); });
  const Rect firstLine = Covered(image, BLACK, 0, 30);
  const Rect secondLine = Covered(image, BLACK, 30);
  // The break draws no glyph of its own: the second line starts back at the left.
  EXPECT_GT(firstLine.right - firstLine.left, 3 * (narrow.right - narrow.left));
  EXPECT_LE(secondLine.left, 10 + 3);
  EXPECT_LE(secondLine.right - secondLine.left, narrow.right - narrow.left);
  EXPECT_GE(secondLine.top, 30);
  EXPECT_LE(secondLine.bottom, 50);
  ReleaseFont(font);
}

}  // namespace
