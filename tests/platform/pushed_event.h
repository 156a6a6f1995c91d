#pragma once
// One SDL event queued as the window system would queue it, its fields set by `fill`.
#include <SDL.h>

template <typename Fill>
void PushEvent(Uint32 type, Fill fill) {
  SDL_Event event{type};
  fill(event);
  SDL_PushEvent(&event);
}
