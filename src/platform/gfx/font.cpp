// Fonts over SDL2_ttf: one face at one pixel height, and the textures of the last few
// texts drawn, so that text drawn every frame is rendered only when it changes.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gfx/font_face.h"
#include "platform/gfx/render_internal.h"

namespace {

constexpr int CACHED_TEXTS = 4;

struct CachedText {
  std::string text;
  TextureImpl* texture = nullptr;
  uint64_t lastUse = 0;
};

bool StyleHas(const std::string& style, const char* word) {
  return strcasestr(style.c_str(), word) != nullptr;
}

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

}  // namespace

struct FontImpl : Font {
  DeviceImpl* device = nullptr;
  TTF_Font* font = nullptr;
  CachedText cache[CACHED_TEXTS];
  uint64_t uses = 0;

  // The texture of the text, rendered now when it is not among the cached ones.
  TextureImpl* TextureFor(const char* text, int count) {
    ++uses;
    CachedText* oldest = &cache[0];
    for (CachedText& entry : cache) {
      if (entry.texture && entry.text.size() == static_cast<size_t>(count) &&
          std::memcmp(entry.text.data(), text, count) == 0) {
        entry.lastUse = uses;
        return entry.texture;
      }
      if (entry.lastUse < oldest->lastUse) oldest = &entry;
    }
    if (!device) return nullptr;
    DestroyTexture(oldest->texture);
    oldest->texture = nullptr;
    oldest->text.assign(text, count);
    oldest->lastUse = uses;
    // White glyphs; the colour of each draw tints them.
    SDL_Surface* glyphs = TTF_RenderText_Blended(font, oldest->text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!glyphs) {
      std::fprintf(stderr, "zorbly-frondles: cannot render the text \"%s\" (%s)\n",
                   oldest->text.c_str(), TTF_GetError());
      return nullptr;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(glyphs);
    if (!argb) return nullptr;
    std::vector<uint32_t> pixels(static_cast<size_t>(argb->w) * argb->h);
    for (int row = 0; row < argb->h; ++row) {
      std::memcpy(&pixels[static_cast<size_t>(row) * argb->w],
                  static_cast<const unsigned char*>(argb->pixels) + row * argb->pitch,
                  static_cast<size_t>(argb->w) * 4);
    }
    oldest->texture = NewTexture(device, pixels.data(), argb->w, argb->h);
    SDL_FreeSurface(argb);
    return oldest->texture;
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
  if (description.height == 0) {
    std::fprintf(stderr, "zorbly-frondles: font \"%s\" asked for with no height\n", faceName);
    return D3DERR_INVALIDCALL;
  }

  FontFile file;
  if (!FindFontFace(faceName, description.weight, description.italic, &file)) {
    std::fprintf(stderr, "zorbly-frondles: font face \"%s\" is not installed\n", faceName);
    return E_FAIL;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "zorbly-frondles: cannot start the font renderer (%s)\n", TTF_GetError());
    return E_FAIL;
  }
  // A negative height is the characters' own height, a positive one the whole line's.
  const int height = description.height < 0 ? -description.height : description.height;
  TTF_Font* font = TTF_OpenFontIndex(file.path.c_str(), height, file.index);
  if (!font || (description.height > 0 && !FitCellHeight(font, height))) {
    std::fprintf(stderr, "zorbly-frondles: cannot open font \"%s\" (%s)\n", file.path.c_str(),
                 TTF_GetError());
    if (font) TTF_CloseFont(font);
    TTF_Quit();
    return E_FAIL;
  }
  // A weight or slant the family has no face for is drawn by the renderer.
  int style = TTF_STYLE_NORMAL;
  if (description.weight >= 600 && !StyleHas(file.style, "Bold") &&
      !StyleHas(file.style, "Black") && !StyleHas(file.style, "Heavy")) {
    style |= TTF_STYLE_BOLD;
  }
  if (description.italic && !StyleHas(file.style, "Italic") && !StyleHas(file.style, "Oblique")) {
    style |= TTF_STYLE_ITALIC;
  }
  TTF_SetFontStyle(font, style);

  FontImpl* impl = new FontImpl;
  impl->device = static_cast<DeviceImpl*>(renderDevice);
  impl->font = font;
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
  TextureImpl* texture = font->TextureFor(text, count);
  if (!texture) return 0;
  const int width = texture->width;
  const int height = texture->height;

  if (format & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }
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
    DrawTextureRect(font->device, texture, source, sprite->transform, position, color,
                    sprite->flags & D3DXSPRITE_ALPHABLEND);
    return height;
  }
  if (!RecoverDevice(font->device)) return 0;
  SDL_SetRenderTarget(font->device->renderer, font->device->backBuffer.texture);
  DrawTextureRect(font->device, texture, source, Matrix2D{}, position, color, true);
  return height;
}
