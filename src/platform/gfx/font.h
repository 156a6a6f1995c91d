#pragma once
// Fonts found by face name through the system's font configuration and drawn as
// text through a sprite batch.
#include <cstdint>

#include "platform/gfx/rect.h"
#include "platform/hresult.h"

struct RenderDevice;
struct SpriteBatch;

constexpr int FACE_NAME_LENGTH = 32;  // with the terminating zero

constexpr uint32_t FW_DONTCARE = 0;
constexpr uint32_t FW_BOLD = 700;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t OUT_TT_PRECIS = 4;
constexpr uint8_t DEFAULT_QUALITY = 0;

// Text formats.
constexpr uint32_t DT_TOP = 0x0;
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;

struct FontDescription {
  int32_t height = 0;   // cell height in pixels (ascent + descent); negative: the
                        // characters' own height; 0: the default of 16 pixels
  uint32_t width = 0;   // 0: the face's own aspect (no other width is supported)
  uint32_t weight = 0;  // FW_DONTCARE, or 100..900 where the face name says none
  uint32_t mipLevels = 0;
  bool italic = false;
  uint8_t charSet = 0;
  uint8_t outputPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  char faceName[FACE_NAME_LENGTH] = {};  // "Arial Bold": family, then style words
};

struct Font {
  // Narrow (Latin-1) text; count −1 means up to the terminating zero. A line break
  // ("\n", "\r\n" or "\r") starts the next line one cell lower.
  // DT_CALCRECT: widens *rect from its top-left corner to cover every line and draws
  // nothing. Otherwise draws the text with its top-left at the rectangle's, clipped to
  // the rectangle unless DT_NOCLIP, through the batch (which must be begun) or straight
  // into the back buffer when there is none. Returns the text's height; 0 draws nothing.
  int DrawText(SpriteBatch* batch, const char* text, int count, Rect* rect, uint32_t format,
               uint32_t color);
  void Release();

 protected:
  Font() = default;
  ~Font() = default;
};

// The face is fontconfig's nearest to the name's family and style words: the family, its
// configured stand-in, or the default face. One line on standard error names the face
// used. Null *font and a failure code, after a one-line message, when there is no face
// at all or it cannot be opened.
HRESULT CreateFontIndirect(RenderDevice* device, const FontDescription& description, Font** font);
