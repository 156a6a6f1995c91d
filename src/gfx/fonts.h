#pragma once
// Fonts by face name and height, and text drawn through the sprite batch.
#include <cstdint>

struct Font;

// A face name such as "Arial Bold" (family, then style words; at most 31 characters are
// used) at a line height of `height` pixels (0: a default height). Where the family is
// missing, its stand-in or the default face draws it; standard error names the face.
// Empty, after a one-line message, only when there is no face at all.
Font* MakeFont(const char* faceName, int32_t height);
// Draws text with its top-left corner at (x, y), blended in draw order with the sprites;
// each line break starts a line one cell lower. Only between the sprite batch's Begin
// and End.
void DrawTextAt(Font* font, int32_t x, int32_t y, const char* text, uint32_t color);

void ReleaseFont(Font*& font);
