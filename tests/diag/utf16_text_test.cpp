// The wide variants' texts reach the UTF-8 output intact, and broken ones safely.
#include "diag/utf16_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ToUtf8(const std::u16string& text, size_t capacity = 64) {
  std::string output(capacity, '?');
  const size_t length = Utf16ToUtf8(text.c_str(), output.data(), capacity);
  EXPECT_EQ(output[length], '\0');
  return output.substr(0, length);
}

std::u32string Decode(const std::string& text) {
  std::u32string codePoints;
  for (const char* cursor = text.c_str(); *cursor;) codePoints += NextUtf8CodePoint(cursor);
  return codePoints;
}

// Every length of character reaching the output is the wide trace's test.
TEST(Utf16Text, ReplacesLoneHalvesOfPairsAndCutsOnlyBetweenWholeCharacters) {
  EXPECT_EQ(ToUtf8(std::u16string{0xD834, u'x', 0xDD1E}), "\uFFFDx\uFFFD");
  EXPECT_EQ(ToUtf8(u"ab\u2713", 5), "ab");
  EXPECT_EQ(ToUtf8(u"ab\u2713", 6), "ab\u2713");
  EXPECT_EQ(ToUtf8(u"abc", 1), "");
}

TEST(Utf16Text, DecodesAndReplacesBrokenSequences) {
  EXPECT_EQ(Decode("a\u00e9\u2713\U0001D11E"), U"a\u00e9\u2713\U0001D11E");
  EXPECT_EQ(Decode("\xC3"), U"\uFFFD");                  // cut short at the end: not read past
  EXPECT_EQ(Decode("\xE2\x9Cx"), U"\uFFFDx");            // cut short before another character
  EXPECT_EQ(Decode("\xC0\xAFz\x80"), U"\uFFFDz\uFFFD");  // overlong form; stray byte
  EXPECT_EQ(Decode("\xED\xA0\x80"), U"\uFFFD");          // an encoded surrogate
  EXPECT_EQ(Decode("\xF4\x90\x80\x80"), U"\uFFFD");      // beyond the last code point
}

}  // namespace
