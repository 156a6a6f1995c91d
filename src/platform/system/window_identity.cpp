#include "platform/system/window_identity.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/gfx/image_file.h"
#include "platform/system/asset_path.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

namespace {
// Named as the installed icon is: a working folder's own "icon.png" is not taken for it.
constexpr char ICON_FILE[] = ZF_APP_ID ".png";
constexpr int ICON_SIDE_LIMIT = 512;
}  // namespace

void NameWindowClass() {
  // SDL would name the class after the program's file, which a launcher cannot rely on.
  setenv("SDL_VIDEO_X11_WMCLASS", ZF_APP_ID, 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", ZF_APP_ID, 0);
}

void GiveWindowIcon(SDL_Window* window) {
  const std::string path = AssetPath(ICON_FILE);
  if (path.empty()) {
    std::fprintf(stderr,
                 "zorbly-frondles: warning: \"%s\" not found in %s; the window has no icon\n",
                 ICON_FILE, AssetFolders().c_str());
    return;
  }
  ImageData icon;
  if (!LoadImageFile(path.c_str(), &icon, ICON_SIDE_LIMIT)) return;  // it said why
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      icon.pixels.data(), icon.width, icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) {
    std::fprintf(stderr, "zorbly-frondles: warning: the window has no icon (%s)\n", SDL_GetError());
    return;
  }
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

void LetDesktopPlaceWindow(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // SDL marks every window's place as chosen by the user, which a window manager obeys.
  XSizeHints hints{};
  long supplied = 0;
  if (XGetWMNormalHints(info.info.x11.display, info.info.x11.window, &hints, &supplied) &&
      (hints.flags & (USPosition | PPosition))) {
    hints.flags &= ~(USPosition | PPosition);
    XSetWMNormalHints(info.info.x11.display, info.info.x11.window, &hints);
  }
#else
  (void)window;
#endif
}
