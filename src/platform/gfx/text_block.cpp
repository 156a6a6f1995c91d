#include "platform/gfx/text_block.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Between two columns, in line skips.
constexpr double COLUMN_GAP = 1.2;

struct Cell {
  SDL_Surface* glyphs = nullptr;
  int line = 0;
  int column = 0;
  bool spans = false;  // the whole of a line without tabs: centred, in no column
};

}  // namespace

SDL_Surface* RenderTextBlock(TTF_Font* font, const char* text) {
  if (!font || !text) return nullptr;
  const int skip = TTF_FontLineSkip(font);
  std::vector<Cell> cells;
  std::vector<int> widths;
  int lines = 1;
  std::string piece;
  int column = 0;
  int spanning = 0;  // the widest line without tabs
  const auto finishCell = [&](bool lineEnds) {
    const bool spans = lineEnds && column == 0;
    if (!spans && widths.size() <= static_cast<size_t>(column)) widths.resize(column + 1, 0);
    if (!piece.empty()) {
      SDL_Surface* rendered =
          TTF_RenderUTF8_Blended(font, piece.c_str(), SDL_Color{255, 255, 255, 255});
      SDL_Surface* glyphs =
          rendered ? SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
      SDL_FreeSurface(rendered);
      if (glyphs) {
        cells.push_back(Cell{glyphs, lines - 1, column, spans});
        if (spans) spanning = std::max(spanning, glyphs->w);
        else widths[column] = std::max(widths[column], glyphs->w);
      }
    }
    piece.clear();
  };
  for (const char* c = text;; ++c) {
    if (*c == '\t' || *c == '\n' || *c == '\0') {
      finishCell(*c != '\t');
      if (*c == '\0') break;
      column = *c == '\t' ? column + 1 : 0;
      lines += *c == '\n';
    } else {
      piece.push_back(*c);
    }
  }
  const int gap = static_cast<int>(skip * COLUMN_GAP);
  std::vector<int> left(widths.size() + 1, 0);
  for (size_t i = 0; i < widths.size(); ++i) left[i + 1] = left[i] + widths[i] + gap;
  const int columns = std::max(0, left.back() - gap);
  const int width = std::max({1, columns, spanning});
  // The columns centred under the widest spanning line.
  for (int& x : left) x += (width - columns) / 2;
  SDL_Surface* block = SDL_CreateRGBSurfaceWithFormat(0, width, std::max(1, lines * skip), 32,
                                                      SDL_PIXELFORMAT_ARGB8888);
  if (block) {
    SDL_FillRect(block, nullptr, 0x00FFFFFF);
    for (const Cell& cell : cells) {
      const int x = cell.spans ? (width - cell.glyphs->w) / 2 : left[cell.column];
      SDL_Rect where{x, cell.line * skip, cell.glyphs->w, cell.glyphs->h};
      SDL_SetSurfaceBlendMode(cell.glyphs, SDL_BLENDMODE_NONE);
      SDL_BlitSurface(cell.glyphs, nullptr, block, &where);
    }
  }
  for (const Cell& cell : cells) SDL_FreeSurface(cell.glyphs);
  return block;
}
