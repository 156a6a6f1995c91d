#include "platform/gfx/window_picture.h"

#include <cstdint>
#include <cstdio>

SDL_Rect LetterboxRect(int outputWidth, int outputHeight, int width, int height) {
  SDL_Rect rect{0, 0, outputWidth, outputHeight};
  if (width <= 0 || height <= 0) return rect;
  if (static_cast<int64_t>(outputWidth) * height > static_cast<int64_t>(outputHeight) * width) {
    rect.w = static_cast<int>(static_cast<int64_t>(outputHeight) * width / height);
  } else {
    rect.h = static_cast<int>(static_cast<int64_t>(outputWidth) * height / width);
  }
  rect.x = (outputWidth - rect.w) / 2;
  rect.y = (outputHeight - rect.h) / 2;
  return rect;
}

void ToggleWindowFullScreen(SDL_Window* window) {
  const bool fullScreen = SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN;
  if (SDL_SetWindowFullscreen(window, fullScreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    std::fprintf(stderr, "zorbly-frondles: cannot switch %s full screen (%s)\n",
                 fullScreen ? "out of" : "to", SDL_GetError());
  }
}
