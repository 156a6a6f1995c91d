// Fonts over SDL2_ttf: one face at one pixel height, and the textures of the last few
// texts drawn, so that text drawn every frame is rendered only when it changes.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/font_face.h"
#include "platform/gfx/render_internal.h"
#include "platform/system/verbose.h"

namespace {

constexpr int CACHED_TEXTS = 4;
// A height of 0 asks for the system's default: the cell of its ordinary dialog text.
constexpr int DEFAULT_CELL_HEIGHT = 16;

struct CachedText {
  std::string text;
  TextureImpl* texture = nullptr;  // null for text without ink (spaces, empty lines)
  int width = 0;
  int height = 0;
  uint64_t lastUse = 0;
};

// The largest point size whose line (ascent + descent) is at most `height` pixels.
bool FitCellHeight(TTF_Font* font, int height) {
  int size = height;
  if (TTF_SetFontSize(font, size) != 0) return false;
  const int natural = TTF_FontHeight(font);
  if (natural > height && natural > 0) {
    size = std::max(1, static_cast<int>(static_cast<int64_t>(height) * height / natural) + 1);
  }
  while (size > 1) {
    if (TTF_SetFontSize(font, size) != 0) return false;
    if (TTF_FontHeight(font) <= height) return true;
    --size;
  }
  return TTF_SetFontSize(font, 1) == 0;
}

// The text's lines, split at "\r\n", "\n" or "\r".
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

}  // namespace

struct FontImpl : Font {
  DeviceImpl* device = nullptr;
  TTF_Font* font = nullptr;
  int lineHeight = 0;
  CachedText cache[CACHED_TEXTS];
  uint64_t uses = 0;

  // The text's lines one below the other, each in a cell of lineHeight pixels: from the
  // cache, or rendered now. Null when the device is gone or rendering failed.
  CachedText* Render(const char* text, int count) {
    ++uses;
    CachedText* oldest = &cache[0];
    for (CachedText& entry : cache) {
      if (entry.lastUse != 0 && entry.text.size() == static_cast<size_t>(count) &&
          std::memcmp(entry.text.data(), text, count) == 0) {
        entry.lastUse = uses;
        return &entry;
      }
      if (entry.lastUse < oldest->lastUse) oldest = &entry;
    }
    if (!device) return nullptr;
    DestroyTexture(oldest->texture);
    *oldest = CachedText{};
    const std::string whole(text, count);
    const std::vector<std::string> lines = SplitLines(whole);
    std::vector<SDL_Surface*> rendered(lines.size(), nullptr);
    int width = 0;
    bool failed = false;
    for (size_t i = 0; i < lines.size() && !failed; ++i) {
      if (lines[i].empty()) continue;
      // White glyphs; the colour of each draw tints them.
      SDL_Surface* glyphs =
          TTF_RenderText_Blended(font, lines[i].c_str(), SDL_Color{255, 255, 255, 255});
      rendered[i] =
          glyphs ? SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
      if (glyphs) SDL_FreeSurface(glyphs);
      if (!rendered[i]) {
        std::fprintf(stderr, "zorbly-frondles: cannot render the text \"%s\" (%s)\n",
                     lines[i].c_str(), glyphs ? SDL_GetError() : TTF_GetError());
        failed = true;
        break;
      }
      width = std::max(width, rendered[i]->w);
    }
    const int height = lineHeight * static_cast<int>(lines.size());
    std::vector<uint32_t> pixels;
    if (!failed && width > 0) pixels.assign(static_cast<size_t>(width) * height, 0);
    for (size_t i = 0; i < rendered.size(); ++i) {
      SDL_Surface* line = rendered[i];
      if (!line) continue;
      // A glyph reaching past its cell would spill into the next line's.
      const int rows = std::min(line->h, lineHeight);
      for (int row = 0; !pixels.empty() && row < rows; ++row) {
        std::memcpy(&pixels[(i * lineHeight + row) * static_cast<size_t>(width)],
                    static_cast<const unsigned char*>(line->pixels) + row * line->pitch,
                    static_cast<size_t>(line->w) * 4);
      }
      SDL_FreeSurface(line);
    }
    if (failed) return nullptr;
    if (!pixels.empty()) {
      oldest->texture = NewTexture(device, std::move(pixels), width, height);
      if (!oldest->texture) return nullptr;
    }
    oldest->text = whole;
    oldest->width = width;
    oldest->height = height;
    oldest->lastUse = uses;
    return oldest;
  }
};

void DetachFont(FontImpl* font) { font->device = nullptr; }

HRESULT CreateFontIndirect(RenderDevice* renderDevice, const FontDescription& description,
                           Font** result) {
  if (!result) return D3DERR_INVALIDCALL;
  *result = nullptr;
  if (!renderDevice) return D3DERR_INVALIDCALL;
  // The name field may lack its terminator; it holds 31 characters at most.
  char faceName[FACE_NAME_LENGTH];
  std::memcpy(faceName, description.faceName, FACE_NAME_LENGTH - 1);
  faceName[FACE_NAME_LENGTH - 1] = '\0';
  if (description.height == INT32_MIN) {
    std::fprintf(stderr, "zorbly-frondles: font \"%s\" asked for at an impossible height\n",
                 faceName);
    return D3DERR_INVALIDCALL;
  }

  FontFile file;
  if (!FindFontFace(ParseFaceName(faceName, description.weight, description.italic), &file)) {
    std::fprintf(stderr, "zorbly-frondles: no font face at all for \"%s\"\n", faceName);
    return E_FAIL;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "zorbly-frondles: cannot start the font renderer (%s)\n", TTF_GetError());
    return E_FAIL;
  }
  // A positive height is the whole line's, a negative one the characters' own.
  const int cellHeight = description.height == 0 ? DEFAULT_CELL_HEIGHT : description.height;
  const int size = cellHeight < 0 ? -cellHeight : cellHeight;
  TTF_Font* font = TTF_OpenFontIndex(file.path.c_str(), size, file.index);
  if (!font || (cellHeight > 0 && !FitCellHeight(font, cellHeight))) {
    std::fprintf(stderr, "zorbly-frondles: cannot open font \"%s\" (%s)\n", file.path.c_str(),
                 TTF_GetError());
    if (font) TTF_CloseFont(font);
    TTF_Quit();
    return E_FAIL;
  }
  // A weight or slant the face lacks is drawn by the renderer.
  int style = TTF_STYLE_NORMAL;
  if (file.addBold) style |= TTF_STYLE_BOLD;
  if (file.addSlant) style |= TTF_STYLE_ITALIC;
  TTF_SetFontStyle(font, style);
  SayChosen("font \"%s\" is drawn with %s %s%s%s", faceName, file.family.c_str(),
            file.style.c_str(), file.addBold ? ", made bold" : "",
            file.addSlant ? ", slanted" : "");

  FontImpl* impl = new (std::nothrow) FontImpl;
  if (!impl) {
    TTF_CloseFont(font);
    TTF_Quit();
    return E_OUTOFMEMORY;
  }
  impl->device = static_cast<DeviceImpl*>(renderDevice);
  impl->font = font;
  impl->lineHeight = cellHeight > 0 ? cellHeight : TTF_FontHeight(font);
  impl->device->fonts.push_back(impl);
  *result = impl;
  return S_OK;
}

void Font::Release() {
  FontImpl* font = static_cast<FontImpl*>(this);
  for (CachedText& entry : font->cache) DestroyTexture(entry.texture);
  if (font->device) Unregister(font->device->fonts, font);
  TTF_CloseFont(font->font);
  TTF_Quit();
  delete font;
}

int Font::DrawText(SpriteBatch* batch, const char* text, int count, Rect* rect, uint32_t format,
                   uint32_t color) {
  FontImpl* font = static_cast<FontImpl*>(this);
  if (!text || !rect || !font->device) return 0;
  if (count < 0) count = static_cast<int>(std::strlen(text));
  if (count == 0) return 0;
  // The renderer stops at a zero byte.
  count = static_cast<int>(strnlen(text, count));
  const CachedText* block = font->Render(text, count);
  if (!block) return 0;
  const int width = block->width;
  const int height = block->height;

  if (format & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }
  if (!block->texture) return height;
  Rect source{0, 0, width, height};
  if (!(format & DT_NOCLIP)) {
    source.right = std::min(width, rect->right - rect->left);
    source.bottom = std::min(height, rect->bottom - rect->top);
    if (source.right <= 0 || source.bottom <= 0) return height;
  }
  const Vector2 position{static_cast<float>(rect->left), static_cast<float>(rect->top)};
  if (batch) {
    SpriteImpl* sprite = static_cast<SpriteImpl*>(batch);
    if (!sprite->begun || sprite->device != font->device) return 0;
    DrawTextureRect(font->device, block->texture, source, sprite->transform, position, color,
                    sprite->flags & D3DXSPRITE_ALPHABLEND);
    return height;
  }
  if (!RecoverDevice(font->device)) return 0;
  TargetBackBufferForDrawing(font->device);
  DrawTextureRect(font->device, block->texture, source, Matrix2D{}, position, color, true);
  return height;
}
