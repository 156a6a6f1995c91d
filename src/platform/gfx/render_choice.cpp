// Which of SDL's renderers draws into the game's window. A GPU draws through OpenGL. Where
// OpenGL is itself a software rasteriser, every sprite would pass through a general 3D
// pipeline on the processor: SDL's software renderer, writing straight into the window,
// does the same work for a fraction of the cost.
#include <SDL.h>
#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gfx/render_internal.h"
#include "platform/system/verbose.h"

namespace {

constexpr unsigned GL_RENDERER_NAME = 0x1F01;  // GL_RENDERER

int DriverIndex(const char* name) {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info{};
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, name) == 0) return i;
  }
  return -1;
}

bool IsOpenGL(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  return SDL_GetRendererInfo(renderer, &info) == 0 && std::strncmp(info.name, "opengl", 6) == 0;
}

// What the OpenGL of a renderer just made calls itself; its context is the current one.
std::string OpenGLName() {
  using GetString = const unsigned char* (*)(unsigned);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString ? getString(GL_RENDERER_NAME) : nullptr;
  return name ? reinterpret_cast<const char*>(name) : "an unnamed OpenGL";
}

// OpenGL can reach a GPU only through one of these device files. Without any that can be
// opened it can only be a software rasteriser, which is then known without loading it:
// that load alone would double the time to the first frame.
bool GraphicsDeviceSeen() {
  for (const char* node : {"/dev/nvidiactl", "/dev/dxg"}) {
    if (access(node, R_OK | W_OK) == 0) return true;
  }
  DIR* folder = opendir("/dev/dri");
  if (!folder) return false;
  bool seen = false;
  while (const dirent* entry = readdir(folder)) {
    if (std::strncmp(entry->d_name, "renderD", 7) != 0 &&
        std::strncmp(entry->d_name, "card", 4) != 0) {
      continue;
    }
    const std::string path = std::string("/dev/dri/") + entry->d_name;
    if (access(path.c_str(), R_OK | W_OK) == 0) {
      seen = true;
      break;
    }
  }
  closedir(folder);
  return seen;
}

SDL_Renderer* SoftwareOnWindow(SDL_Window* window, Uint32 flags) {
  // On X11 the window's own pixels go out as they are, not through a texture on OpenGL.
  const char* video = SDL_GetCurrentVideoDriver();
  if (video && std::strcmp(video, "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  const int index = DriverIndex("software");
  return index < 0 ? nullptr : SDL_CreateRenderer(window, index, flags);
}

enum class Wanted { Automatic, OpenGL, Software };

Wanted WantedRenderer() {
  const char* wanted = SDL_getenv("ZF_RENDERER");
  if (!wanted || !*wanted) return Wanted::Automatic;
  if (strcasecmp(wanted, "opengl") == 0) return Wanted::OpenGL;
  if (strcasecmp(wanted, "software") == 0) return Wanted::Software;
  std::fprintf(stderr,
               "zorbly-frondles: ZF_RENDERER=%s is neither opengl nor software; choosing for "
               "this machine\n",
               wanted);
  return Wanted::Automatic;
}

void SayChoice(SDL_Renderer* renderer, const std::string& why) {
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  SayChosen("drawing with the %s renderer (%s)", info.name, why.c_str());
}

}  // namespace

bool NamesSoftwareRasteriser(const char* openGLName) {
  if (!openGLName) return false;
  for (const char* rasteriser : {"llvmpipe", "softpipe", "swrast", "software rasterizer",
                                 "basic render driver", "gdi generic"}) {
    if (strcasestr(openGLName, rasteriser)) return true;
  }
  return false;
}

SDL_Renderer* CreateWindowRenderer(SDL_Window* window, Uint32 flags) {
  const Wanted wanted = WantedRenderer();
  if (wanted == Wanted::Software) {
    SDL_Renderer* renderer = SoftwareOnWindow(window, flags);
    if (renderer) SayChoice(renderer, "ZF_RENDERER=software");
    return renderer;
  }
  if (wanted == Wanted::OpenGL) {
    const int index = DriverIndex("opengl");
    SDL_Renderer* renderer = index < 0 ? nullptr : SDL_CreateRenderer(window, index, flags);
    if (renderer) {
      SayChoice(renderer, OpenGLName() + ", ZF_RENDERER=opengl");
      return renderer;
    }
    std::fprintf(stderr,
                 "zorbly-frondles: ZF_RENDERER=opengl, but there is no OpenGL here (%s); "
                 "choosing for this machine\n",
                 SDL_GetError());
  }

  // SDL's own setting wins: it is how a player names a renderer SDL knows.
  const char* sdlChoice = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  if (sdlChoice && *sdlChoice) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags | SDL_RENDERER_ACCELERATED);
    if (!renderer) renderer = SoftwareOnWindow(window, flags);
    if (renderer) SayChoice(renderer, std::string("SDL_RENDER_DRIVER=") + sdlChoice);
    return renderer;
  }
  if (!GraphicsDeviceSeen()) {
    SDL_Renderer* renderer = SoftwareOnWindow(window, flags);
    if (renderer)
      SayChoice(renderer, "no graphics device here: OpenGL would be a software rasteriser");
    return renderer;
  }
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags | SDL_RENDERER_ACCELERATED);
  if (renderer && IsOpenGL(renderer)) {
    const std::string name = OpenGLName();
    if (!NamesSoftwareRasteriser(name.c_str())) {
      SayChoice(renderer, name);
      return renderer;
    }
    SDL_DestroyRenderer(renderer);
    renderer = SoftwareOnWindow(window, flags);
    if (renderer) SayChoice(renderer, "OpenGL here is " + name + ", a software rasteriser");
    return renderer;
  }
  if (renderer) {
    SayChoice(renderer, "SDL's first choice");
    return renderer;
  }
  renderer = SoftwareOnWindow(window, flags);
  if (renderer) SayChoice(renderer, "no accelerated renderer here");
  return renderer;
}
