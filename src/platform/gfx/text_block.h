#pragma once
// Several lines of text in one picture, for our own screens and labels: a line break
// starts a new line and a tab the next column, each column as wide as its widest cell.
// For src/platform only.
#include <SDL.h>
#include <SDL_ttf.h>

// White glyphs with their coverage in alpha (ARGB8888), in the font's current size; null
// when nothing could be rendered. An empty line is one line skip high.
SDL_Surface* RenderTextBlock(TTF_Font* font, const char* text);
