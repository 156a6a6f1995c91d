#include <SDL.h>

#include "platform/system/cursor.h"

void ShowGameCursor(bool show) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}
