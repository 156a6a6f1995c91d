#include "diag/utf16_text.h"

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

char32_t NextUtf8CodePoint(const char*& text) {
  const unsigned char lead = static_cast<unsigned char>(*text++);
  if (lead < 0x80) return lead;
  // The lead byte tells how many continuation bytes follow and the least value that
  // needs that many (anything smaller is an overlong form).
  int more;
  char32_t smallest;
  char32_t codePoint;
  if ((lead & 0xE0) == 0xC0) {
    more = 1;
    smallest = 0x80;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2;
    smallest = 0x800;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3;
    smallest = 0x10000;
    codePoint = lead & 0x07;
  } else {
    return REPLACEMENT;
  }
  for (int i = 0; i < more; ++i) {
    // A missing continuation byte (the terminator included) is not swallowed.
    if (!IsContinuation(static_cast<unsigned char>(*text))) return REPLACEMENT;
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(*text++) & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < smallest || codePoint > 0x10FFFF || surrogate) return REPLACEMENT;
  return codePoint;
}

size_t Utf16ToUtf8(const char16_t* text, char* output, size_t capacity) {
  size_t length = 0;
  while (*text) {
    char32_t codePoint = *text++;
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF && *text >= 0xDC00 && *text <= 0xDFFF) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*text++ - 0xDC00);
    } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
      codePoint = REPLACEMENT;  // half of a pair
    }
    char bytes[4];
    size_t count = 0;
    if (codePoint < 0x80) {
      bytes[count++] = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
      bytes[count++] = static_cast<char>(0xC0 | (codePoint >> 6));
      bytes[count++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
      bytes[count++] = static_cast<char>(0xE0 | (codePoint >> 12));
      bytes[count++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      bytes[count++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      bytes[count++] = static_cast<char>(0xF0 | (codePoint >> 18));
      bytes[count++] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
      bytes[count++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      bytes[count++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    if (length + count > capacity - 1) break;
    for (size_t i = 0; i < count; ++i) output[length++] = bytes[i];
  }
  output[length] = '\0';
  return length;
}
