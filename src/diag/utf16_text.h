#pragma once
// Conversions between the wide (UTF-16) texts of the wide-text functions and the UTF-8 of
// the debugger output and the question box. Broken sequences become U+FFFD.
#include <cstddef>

// Reads one code point of UTF-8 text and moves past it; text must not be at its end.
char32_t NextUtf8CodePoint(const char*& text);

// Writes the UTF-8 form of text into output (capacity bytes, at least 1), cutting only
// between whole characters, always terminated. Returns the bytes written.
size_t Utf16ToUtf8(const char16_t* text, char* output, size_t capacity);
