#include "gfx/fonts.h"

#include <cstring>

#include "gfx/graphics_device.h"
#include "platform/gfx/font.h"

Font* MakeFont(const char* faceName, int32_t height) {
  if (!graphics.d3ddev || !faceName) return nullptr;
  FontDescription description;
  description.height = height;
  description.width = 0;
  description.weight = FW_DONTCARE;  // a bold look comes only from the face name
  description.mipLevels = 0;
  description.italic = false;
  description.charSet = DEFAULT_CHARSET;
  description.outputPrecision = OUT_TT_PRECIS;
  description.quality = DEFAULT_QUALITY;
  description.pitchAndFamily = 0;
  std::strncpy(description.faceName, faceName, FACE_NAME_LENGTH - 1);
  description.faceName[FACE_NAME_LENGTH - 1] = '\0';

  Font* font = nullptr;
  CreateFontIndirect(graphics.d3ddev, description, &font);
  return font;
}

void DrawTextAt(Font* font, int32_t x, int32_t y, const char* text, uint32_t color) {
  if (!font || !text) return;
  // Measure first: the rectangle grows from (x, y) to the text's extent.
  Rect rect{x, y, 0, 0};
  font->DrawText(nullptr, text, -1, &rect, DT_CALCRECT, color);
  font->DrawText(graphics.spriteBatch, text, -1, &rect, DT_LEFT | DT_TOP, color);
}

void ReleaseFont(Font*& font) {
  if (!font) return;
  font->Release();
  font = nullptr;
}
