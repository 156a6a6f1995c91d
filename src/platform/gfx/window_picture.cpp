#include "platform/gfx/window_picture.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/gfx/render_device.h"

namespace {

std::atomic<int> pendingSwitches{0};
int watchers = 0;

// Runs as each event is queued, on whichever thread queues it.
int SDLCALL CountFullScreenSwitches(void*, SDL_Event* event) {
  if (event->type == SDL_KEYDOWN && !event->key.repeat && IsFullScreenKey(event->key)) {
    ++pendingSwitches;
  }
  return 1;
}

}  // namespace

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

bool ShowWindowOnce(SDL_Window* window) {
  // Once only: hidden later, the window was minimised or unmapped by the player, and
  // showing it again would undo that behind SDL's back (no restore is ever reported).
  static constexpr char SHOWN[] = "zf-shown";
  if (SDL_GetWindowData(window, SHOWN)) return false;
  SDL_SetWindowData(window, SHOWN, window);
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN)) return false;
  SDL_ShowWindow(window);
  return true;
}

void ToggleWindowFullScreen(SDL_Window* window) {
  static int windowedWidth = 0, windowedHeight = 0;  // the size to come back to
  const bool fullScreen = SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN;
  if (!fullScreen) SDL_GetWindowSize(window, &windowedWidth, &windowedHeight);
  if (SDL_SetWindowFullscreen(window, fullScreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    std::fprintf(stderr, "zorbly-frondles: cannot switch %s full screen (%s)\n",
                 fullScreen ? "out of" : "to", SDL_GetError());
    return;
  }
  // Without a window manager nothing sizes the window either way: it does so itself.
  if (fullScreen && windowedWidth > 0) SDL_SetWindowSize(window, windowedWidth, windowedHeight);
  if (!fullScreen) PlaceFullScreenWindow(window);
}

bool IsFullScreenKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode code = key.keysym.sym;
  return (code == SDLK_RETURN || code == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT);
}

void SwitchFullScreenAtNextPresent() { ++pendingSwitches; }

void WatchFullScreenKey(bool watch) {
  if (watch && watchers++ == 0) {
    pendingSwitches = 0;
    SDL_AddEventWatch(CountFullScreenSwitches, nullptr);
  } else if (!watch && watchers > 0 && --watchers == 0) {
    SDL_DelEventWatch(CountFullScreenSwitches, nullptr);
  }
}

bool ApplyFullScreenSwitches(SDL_Window* window) {
  const int switches = pendingSwitches.exchange(0);
  for (int i = 0; i < switches; ++i) ToggleWindowFullScreen(window);
  return switches > 0;
}
