#pragma once
// What a window of SDL's dummy display (the game's, unless named) shows, as opaque ARGB.
#include <SDL.h>

#include "platform/gfx/image_file.h"
#include "platform/system/sdl_window.h"

inline ImageData ShownWindow(SDL_Window* window = SdlGameWindow()) {
  SDL_Surface* shown =
      SDL_ConvertSurfaceFormat(SDL_GetWindowSurface(window), SDL_PIXELFORMAT_ARGB8888, 0);
  if (!shown) return {};
  ImageData image{shown->w, shown->h, {}};
  for (int y = 0; y < shown->h; ++y) {
    const auto* row =
        reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(shown->pixels) + y * shown->pitch);
    for (int x = 0; x < shown->w; ++x) image.pixels.push_back(row[x] | 0xFF000000u);
  }
  SDL_FreeSurface(shown);
  return image;
}
