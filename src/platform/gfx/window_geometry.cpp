// The window as the X server really has it. SDL takes a window switched to full screen to
// have the screen's size at once, and only a window manager makes it so: without one the
// window stays as it was while SDL draws for the whole screen. Xlib's names stay in here.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/gfx/window_picture.h"

namespace {

#ifdef SDL_VIDEO_DRIVER_X11
// The X display and window behind an SDL window; false on any other video driver.
bool XWindowOf(SDL_Window* window, Display** display, Window* xWindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *xWindow = info.info.x11.window;
  return true;
}
#endif

}  // namespace

bool RealWindowSize(SDL_Window* window, int* width, int* height) {
#ifdef SDL_VIDEO_DRIVER_X11
  Display* display = nullptr;
  Window xWindow = 0;
  Window root = 0;
  int x = 0, y = 0;
  unsigned int w = 0, h = 0, border = 0, depth = 0;
  if (XWindowOf(window, &display, &xWindow) &&
      XGetGeometry(display, xWindow, &root, &x, &y, &w, &h, &border, &depth)) {
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
  }
#endif
  SDL_GetWindowSize(window, width, height);
  return false;
}

void PlaceFullScreenWindow(SDL_Window* window) {
  int width = 0, height = 0, realWidth = 0, realHeight = 0;
  SDL_GetWindowSize(window, &width, &height);
  if (!RealWindowSize(window, &realWidth, &realHeight) ||
      (realWidth == width && realHeight == height)) {
    return;
  }
#ifdef SDL_VIDEO_DRIVER_X11
  // Where a window manager is slow to do it, this asks it for what it is about to do.
  SDL_Rect screen{0, 0, width, height};
  SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &screen);
  Display* display = nullptr;
  Window xWindow = 0;
  if (XWindowOf(window, &display, &xWindow)) {
    XMoveResizeWindow(display, xWindow, screen.x, screen.y, static_cast<unsigned int>(screen.w),
                      static_cast<unsigned int>(screen.h));
    XRaiseWindow(display, xWindow);
    XSync(display, False);
  }
#endif
}
