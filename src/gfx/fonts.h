#pragma once
// Fonts by face name and height, and text drawn through the sprite batch.
#include <cstdint>

struct Font;

// A face name such as "Arial Bold" (family, then style words; at most 31 characters are
// used) at a line height of `height` pixels. Empty, after a one-line message on standard
// error, when neither the face nor its configured stand-in is installed.
Font* MakeFont(const char* faceName, int32_t height);
// Draws one line of text with its top-left corner at (x, y), blended in draw order with
// the sprites. Only between the sprite batch's Begin and End.
void DrawTextAt(Font* font, int32_t x, int32_t y, const char* text, uint32_t color);

void ReleaseFont(Font*& font);
