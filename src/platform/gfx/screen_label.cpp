#include "platform/gfx/screen_label.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/gfx/font_face.h"
#include "platform/gfx/render_internal.h"
#include "platform/gfx/text_block.h"
#include "platform/system/system.h"

namespace {

// The questions' palette: dark wood, sauce red, cheese cream.
constexpr uint32_t WOOD = 0xFF341E12;
constexpr uint32_t SAUCE = 0xFFB22218;
constexpr uint32_t CREAM = 0xFFFAE8C4;

struct Look {
  int points;
  int padding;  // between the border and the text
  int border;
};
// By slot: the middle's large label, the corner's marker, the volume's label, the legend
// under the middle.
constexpr Look LOOKS[] = {{56, 20, 4}, {20, 8, 2}, {20, 8, 2}, {15, 12, 2}};
constexpr int LEGEND_GAP = 8;  // between the middle's label and the legend
constexpr int MARGIN = 16;
constexpr int CORNER_TOP = 40;     // under the energy bar
constexpr int VOLUME_BOTTOM = 34;  // above the health bar

struct Label {
  char text[SCREEN_LABEL_MAX_BYTES + 1] = {};
  bool expires = false;
  uint32_t until = 0;
  bool stale = false;              // the picture shows another text, or none is made yet
  TextureImpl* picture = nullptr;  // registered with its device, so rebuilt after a reset
  SDL_Surface* pixels = nullptr;   // a view of the picture's pixels, for a window's own
};
Label labels[4];

TTF_Font* OpenLabelFont() {
  static TTF_Font* font = nullptr;
  static bool tried = false;
  if (tried) return font;
  tried = true;
  // Open for the rest of the run: labels change while playing, and nothing of it is freed
  // per change.
  FontFile file;
  if (!FindFontFace(ParseFaceName("Arial Bold", 0, false), &file)) {
    std::fprintf(stderr, "zorbly-frondles: no face to write labels with; none are shown\n");
    return nullptr;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: cannot start the font renderer (%s); no labels are shown\n",
                 TTF_GetError());
    return nullptr;
  }
  font = TTF_OpenFontIndex(file.path.c_str(), LOOKS[0].points, file.index);
  if (!font) {
    std::fprintf(stderr, "zorbly-frondles: cannot open the face %s (%s); no labels are shown\n",
                 file.path.c_str(), TTF_GetError());
    TTF_Quit();
    return nullptr;
  }
  if (file.addBold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  return font;
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t alpha) {
  uint32_t mixed = 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t from = (under >> shift) & 0xFF;
    const uint32_t to = (over >> shift) & 0xFF;
    mixed |= ((from * (255 - alpha) + to * alpha + 127) / 255) << shift;
  }
  return mixed;
}

// The text's glyphs in cream on wood inside the border, opaque: one copy draws it all.
bool MakePixels(const char* text, const Look& look, std::vector<uint32_t>* pixels, int* width,
                int* height) {
  TTF_Font* font = OpenLabelFont();
  if (!font) return false;
  TTF_SetFontSize(font, look.points);
  SDL_Surface* glyphs = RenderTextBlock(font, text);
  if (!glyphs) return false;
  const int inset = look.border + look.padding;
  *width = glyphs->w + 2 * inset;
  *height = glyphs->h + 2 * inset;
  pixels->assign(static_cast<size_t>(*width) * *height, SAUCE);
  for (int y = look.border; y < *height - look.border; ++y) {
    for (int x = look.border; x < *width - look.border; ++x) {
      uint32_t alpha = 0;
      const int gx = x - inset;
      const int gy = y - inset;
      if (gx >= 0 && gy >= 0 && gx < glyphs->w && gy < glyphs->h) {
        alpha = static_cast<const uint32_t*>(glyphs->pixels)[gy * glyphs->pitch / 4 + gx] >> 24;
      }
      (*pixels)[static_cast<size_t>(y) * *width + x] = Blend(WOOD, CREAM, alpha);
    }
  }
  SDL_FreeSurface(glyphs);
  return true;
}

TextureImpl* MakePicture(DeviceImpl* device, const char* text, const Look& look) {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  if (!MakePixels(text, look, &pixels, &width, &height)) return nullptr;
  return NewTexture(device, std::move(pixels), width, height);
}

SDL_Rect Place(size_t slot, int width, int height, int pictureWidth, int pictureHeight) {
  switch (static_cast<ScreenLabelSlot>(slot)) {
    case ScreenLabelSlot::Centre:
      return SDL_Rect{(pictureWidth - width) / 2, (pictureHeight - height) / 2, width, height};
    case ScreenLabelSlot::Corner: return SDL_Rect{MARGIN, CORNER_TOP, width, height};
    case ScreenLabelSlot::Legend: {
      // Under the middle's label, as it is made now; else under the picture's middle.
      const TextureImpl* centre = labels[0].picture;
      const int top = (pictureHeight + (centre ? centre->height : 0)) / 2 + LEGEND_GAP;
      return SDL_Rect{(pictureWidth - width) / 2, top, width, height};
    }
    case ScreenLabelSlot::Volume: break;
  }
  return SDL_Rect{pictureWidth - MARGIN - width, pictureHeight - VOLUME_BOTTOM - height, width,
                  height};
}

void Forget(Label& label) {
  SDL_FreeSurface(label.pixels);
  label.pixels = nullptr;
  DestroyTexture(label.picture);
  label.picture = nullptr;
  label.stale = true;
}

// The slot's label with its picture made for the device, or null when none is up.
Label* ReadyLabel(size_t slot, DeviceImpl* device) {
  Label& label = labels[slot];
  if (label.expires && static_cast<int32_t>(SystemMilliseconds() - label.until) >= 0) {
    SetScreenLabel(static_cast<ScreenLabelSlot>(slot), nullptr);
  }
  if (label.text[0] == '\0') return nullptr;
  // A picture of a device since released has no texture left to draw.
  if (label.picture && label.picture->device != device) Forget(label);
  if (label.stale) {
    Forget(label);
    label.picture = MakePicture(device, label.text, LOOKS[slot]);
    TextureImpl* picture = label.picture;
    if (picture) {
      label.pixels = SDL_CreateRGBSurfaceWithFormatFrom(picture->pixels.data(), picture->width,
                                                        picture->height, 32, picture->width * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
      // Opaque: a plain copy.
      if (label.pixels) SDL_SetSurfaceBlendMode(label.pixels, SDL_BLENDMODE_NONE);
    }
    label.stale = false;
  }
  return label.picture ? &label : nullptr;
}

// Placed on the back buffer's picture, then scaled with it to where it lies in the output.
SDL_Rect InOutput(size_t slot, const TextureImpl& picture, const SurfaceImpl& back, int x, int y,
                  int width, int height) {
  const SDL_Rect on = Place(slot, picture.width, picture.height, back.width, back.height);
  return SDL_Rect{x + on.x * width / back.width, y + on.y * height / back.height,
                  on.w * width / back.width, on.h * height / back.height};
}

}  // namespace

void SetScreenLabel(ScreenLabelSlot slot, const char* text, uint32_t showForMs) {
  Label& label = labels[static_cast<size_t>(slot)];
  if (!text) text = "";
  label.expires = showForMs != 0 && text[0] != '\0';
  if (label.expires) label.until = SystemMilliseconds() + showForMs;
  if (std::strncmp(label.text, text, sizeof label.text - 1) == 0) return;
  std::snprintf(label.text, sizeof label.text, "%s", text);
  label.stale = true;
  // A cleared label's picture goes at once; a new text's is made at the next present.
  if (label.text[0] == '\0') Forget(label);
}

bool CornerLabelPixels(int pictureWidth, int pictureHeight, std::vector<uint32_t>* pixels,
                       SDL_Rect* where) {
  const size_t slot = static_cast<size_t>(ScreenLabelSlot::Corner);
  if (labels[slot].text[0] == '\0') return false;
  int width = 0;
  int height = 0;
  if (!MakePixels(labels[slot].text, LOOKS[slot], pixels, &width, &height)) return false;
  *where = Place(slot, width, height, pictureWidth, pictureHeight);
  return true;
}

void DrawScreenLabels(DeviceImpl* device, int x, int y, int width, int height) {
  const SurfaceImpl& back = device->backBuffer;
  if (back.width <= 0 || back.height <= 0) return;
  for (size_t slot = 0; slot < std::size(labels); ++slot) {
    const Label* label = ReadyLabel(slot, device);
    if (!label || !label->picture->texture) continue;
    const SDL_Rect where = InOutput(slot, *label->picture, back, x, y, width, height);
    SDL_RenderCopy(device->renderer, label->picture->texture, nullptr, &where);
  }
}

void DrawScreenLabelsInto(DeviceImpl* device, SDL_Surface* screen, int x, int y, int width,
                          int height) {
  const SurfaceImpl& back = device->backBuffer;
  if (back.width <= 0 || back.height <= 0) return;
  for (size_t slot = 0; slot < std::size(labels); ++slot) {
    const Label* label = ReadyLabel(slot, device);
    if (!label || !label->pixels) continue;
    SDL_Rect where = InOutput(slot, *label->picture, back, x, y, width, height);
    if (where.w == label->picture->width && where.h == label->picture->height) {
      SDL_BlitSurface(label->pixels, nullptr, screen, &where);
    } else {
      SDL_BlitScaled(label->pixels, nullptr, screen, &where);
    }
  }
}
