#include "x_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include "platform/system/sdl_window.h"

ImageData ReadWindow() {
  ImageData image;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(SdlGameWindow(), &info) || info.subsystem != SDL_SYSWM_X11) return image;
  Display* display = info.info.x11.display;
  XSync(display, False);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, info.info.x11.window, &attributes);
  XImage* shown = XGetImage(display, info.info.x11.window, 0, 0, attributes.width,
                            attributes.height, AllPlanes, ZPixmap);
  if (!shown) return image;
  image.width = attributes.width;
  image.height = attributes.height;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels.push_back(static_cast<uint32_t>(XGetPixel(shown, x, y)) | 0xFF000000u);
    }
  }
  XDestroyImage(shown);
  return image;
}
