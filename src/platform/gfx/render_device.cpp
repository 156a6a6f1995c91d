// The device over SDL's renderer: the back buffer as a render target texture, the
// scene, clearing, presenting with kept aspect, Alt+Enter and recovery after the
// renderer loses its textures.
#include <SDL.h>

#include <cstdio>
#include <utility>

#include "platform/gfx/render_internal.h"
#include "platform/gfx/screen_label.h"
#include "platform/gfx/window_picture.h"
#include "platform/system/run_tap.h"
#include "platform/system/sdl_window.h"

namespace {

// Largest side accepted when the renderer names no limit of its own.
constexpr int TEXTURE_SIZE_LIMIT = 16384;

DeviceImpl* Impl(RenderDevice* device) { return static_cast<DeviceImpl*>(device); }

struct GraphicsImpl : GraphicsObject {};

// Watches every event as it is queued: the main loop takes one event per pass and
// hands none of them here.
int SDLCALL WatchDeviceEvents(void* userData, SDL_Event* event) {
  DeviceImpl* device = static_cast<DeviceImpl*>(userData);
  switch (event->type) {
    case SDL_RENDER_TARGETS_RESET: device->targetsReset = true; break;
    case SDL_RENDER_DEVICE_RESET: device->deviceReset = true; break;
    default: break;
  }
  return 1;
}

// The device whose pictures the window shows: the question box asks it for the last one.
DeviceImpl* windowDevice = nullptr;

// A picture of the back buffer's size that can be drawn into.
SDL_Texture* MakePicture(DeviceImpl* device, SDL_Renderer* renderer) {
  SDL_Texture* picture = SDL_CreateTexture(renderer, device->opaqueFormat, SDL_TEXTUREACCESS_TARGET,
                                           device->backBuffer.width, device->backBuffer.height);
  if (!picture) return nullptr;
  SDL_SetTextureBlendMode(picture, SDL_BLENDMODE_NONE);
  return picture;
}

void ForgetShownPicture(DeviceImpl* device) {
  if (device->shownPicture) SDL_DestroyTexture(device->shownPicture);
  device->shownPicture = nullptr;
  device->backBufferShown = false;
}

bool BuildBackBuffer(DeviceImpl* device) {
  SurfaceImpl& back = device->backBuffer;
  back.texture = MakePicture(device, device->renderer);
  if (!back.texture) {
    std::fprintf(stderr, "zorbly-frondles: cannot make the %d x %d back buffer (%s)\n", back.width,
                 back.height, SDL_GetError());
    return false;
  }
  SDL_SetRenderTarget(device->renderer, back.texture);
  SDL_SetRenderDrawColor(device->renderer, 0, 0, 0, 255);
  SDL_RenderClear(device->renderer);
  return true;
}

}  // namespace

void TargetBackBufferForDrawing(DeviceImpl* device, bool wiping) {
  if (device->backPixels) {
    DrawPendingSlices(device);
    if (device->clearPending && !wiping) {
      SDL_SetRenderDrawColor(device->renderer, (device->clearColor >> 16) & 0xFF,
                             (device->clearColor >> 8) & 0xFF, device->clearColor & 0xFF, 255);
      SDL_RenderClear(device->renderer);
    }
    device->clearPending = false;
    device->backBufferShown = false;
    return;
  }
  bool swapped = false;
  if (device->backBufferShown) {
    device->backBufferShown = false;
    if (!device->shownPicture) device->shownPicture = MakePicture(device, device->renderer);
    // Without room for it, the question box reads the window instead.
    swapped = device->shownPicture != nullptr;
    if (swapped) std::swap(device->backBuffer.texture, device->shownPicture);
  }
  SDL_SetRenderTarget(device->renderer, device->backBuffer.texture);
  if (swapped && !wiping) SDL_RenderCopy(device->renderer, device->shownPicture, nullptr, nullptr);
}

SDL_Surface* BackPixelsForWriting(DeviceImpl* device) {
  if (!device->backPixels) return nullptr;
  TargetBackBufferForDrawing(device);
  SDL_RenderFlush(device->renderer);
  return device->backPixels;
}

SDL_Texture* LastPresentedPicture(SDL_Renderer* renderer) {
  DeviceImpl* device = windowDevice;
  if (!device) return nullptr;
  if (device->backPixels) {
    // The memory back buffer holds it until drawn on: a clear waits for the next drawing.
    if (device->windowRenderer != renderer) return nullptr;
    if (!device->shownPicture) device->shownPicture = MakePicture(device, renderer);
    if (!device->shownPicture) return nullptr;
    DrawPendingSlices(device);
    SDL_RenderFlush(device->renderer);
    SDL_UpdateTexture(device->shownPicture, nullptr, device->backPixels->pixels,
                      device->backPixels->pitch);
    return device->shownPicture;
  }
  if (device->renderer != renderer) return nullptr;
  return device->backBufferShown ? device->backBuffer.texture : device->shownPicture;
}

bool RecoverDevice(DeviceImpl* device) {
  if (device->backPixels) {
    // Nothing of a memory back buffer's renderer is ever lost.
    device->deviceReset = false;
    device->targetsReset = false;
    return true;
  }
  if (device->deviceReset.exchange(false)) {
    // Every texture is gone: rebuild each from the pixels kept for it.
    device->targetsReset = false;
    ForgetShownPicture(device);
    if (device->backBuffer.texture) SDL_DestroyTexture(device->backBuffer.texture);
    device->backBuffer.texture = nullptr;
    for (TextureImpl* texture : device->textures) {
      if (texture->texture) SDL_DestroyTexture(texture->texture);
      texture->texture = nullptr;
      BuildTexture(texture);
    }
    for (SurfaceImpl* surface : device->surfaces) {
      if (surface->texture) SDL_DestroyTexture(surface->texture);
      surface->texture = nullptr;
      surface->textureVersion = 0;
    }
    BuildBackBuffer(device);
  } else if (device->targetsReset.exchange(false) && device->backBuffer.texture) {
    // Only the pictures drawn into are lost, and every frame redraws the back buffer.
    ForgetShownPicture(device);
    SDL_SetRenderTarget(device->renderer, device->backBuffer.texture);
    SDL_SetRenderDrawColor(device->renderer, 0, 0, 0, 255);
    SDL_RenderClear(device->renderer);
  }
  if (!device->backBuffer.texture && !BuildBackBuffer(device)) return false;
  return true;
}

GraphicsObject* CreateGraphicsObject() {
  if (SDL_GetNumRenderDrivers() <= 0) {
    std::fprintf(stderr, "zorbly-frondles: no renderer is available for drawing\n");
    return nullptr;
  }
  return new GraphicsImpl;
}

void GraphicsObject::Release() { delete static_cast<GraphicsImpl*>(this); }

namespace {

// Whether the parameters ask for a device that can be made; says why not.
bool CanMakeDevice(WindowHandle window, const PresentParameters& parameters) {
  if (!window) {
    std::fprintf(stderr, "zorbly-frondles: cannot make the rendering device: no window\n");
    return false;
  }
  if (parameters.backBufferFormat != D3DFMT_X8R8G8B8 &&
      parameters.backBufferFormat != D3DFMT_UNKNOWN) {
    std::fprintf(stderr,
                 "zorbly-frondles: cannot make the rendering device: only 32-bit "
                 "colour back buffers are supported\n");
    return false;
  }
  return true;
}

// The back buffer's size as asked; a side of 0 takes the window's. False, said, when the
// size is none or too large for any renderer.
bool ChooseBackBufferSize(const DeviceImpl* device, const PresentParameters& parameters, int* width,
                          int* height) {
  *width = static_cast<int>(parameters.backBufferWidth);
  *height = static_cast<int>(parameters.backBufferHeight);
  if (device->window && (*width <= 0 || *height <= 0)) {
    SDL_GetWindowSize(device->window, width, height);
  }
  if (*width <= 0 || *height <= 0 || *width > TEXTURE_SIZE_LIMIT || *height > TEXTURE_SIZE_LIMIT) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a %d x %d back buffer\n", *width, *height);
    return false;
  }
  return true;
}

// The pixel format for what has no alpha: the window's own where that is ARGB's layout
// without alpha (pixels then go in and out unchanged), else ARGB's.
Uint32 OpaqueFormat(SDL_Window* window) {
  return window && SDL_GetWindowPixelFormat(window) == SDL_PIXELFORMAT_RGB888
             ? SDL_PIXELFORMAT_RGB888
             : SDL_PIXELFORMAT_ARGB8888;
}

bool IsSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  return SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
}

// A back buffer in memory and the software renderer that draws into it.
bool MakeMemoryBackBuffer(DeviceImpl* device, int width, int height) {
  if (!device->backBlock.Assign(static_cast<size_t>(width) * height, 0)) return false;
  device->backPixels = SDL_CreateRGBSurfaceWithFormatFrom(device->backBlock.data(), width, height,
                                                          32, width * 4, device->opaqueFormat);
  if (!device->backPixels) return false;
  SDL_SetSurfaceBlendMode(device->backPixels, SDL_BLENDMODE_NONE);
  SDL_FillRect(device->backPixels, nullptr, SDL_MapRGB(device->backPixels->format, 0, 0, 0));
  device->renderer = SDL_CreateSoftwareRenderer(device->backPixels);
  return device->renderer != nullptr;
}

bool MakeRenderer(DeviceImpl* device, int width, int height, bool vsync) {
  if (device->window) {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, vsync ? "1" : "0");
    // Nothing else draws through the renderer: its draws may wait to go out together.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    const Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    SDL_Renderer* renderer = CreateWindowRenderer(device->window, flags);
    if (renderer && IsSoftware(renderer)) {
      device->windowRenderer = renderer;
      device->opaqueFormat = OpaqueFormat(device->window);
      MakeMemoryBackBuffer(device, width, height);
    } else {
      device->renderer = renderer;
    }
  } else {
    // No pixels on any screen: the memory back buffer is all there is.
    MakeMemoryBackBuffer(device, width, height);
  }
  if (!device->renderer) {
    std::fprintf(stderr, "zorbly-frondles: cannot make the rendering device (%s)\n",
                 SDL_GetError());
    return false;
  }
  return true;
}

// The renderer's largest texture.
void ReadRendererLimits(DeviceImpl* device) {
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(device->renderer, &info);
  int limit = TEXTURE_SIZE_LIMIT;
  if (info.max_texture_width > 0) limit = std::min(limit, info.max_texture_width);
  if (info.max_texture_height > 0) limit = std::min(limit, info.max_texture_height);
  device->maxTextureSize = limit;
}

bool MakeBackBuffer(DeviceImpl* device, int width, int height) {
  device->backBuffer.device = device;
  device->backBuffer.isBackBuffer = true;
  device->backBuffer.width = width;
  device->backBuffer.height = height;
  if (width > device->maxTextureSize || height > device->maxTextureSize) {
    std::fprintf(stderr, "zorbly-frondles: the renderer cannot hold a %d x %d back buffer\n", width,
                 height);
    return false;
  }
  return device->backPixels || BuildBackBuffer(device);
}

// The SDL objects of the device, in order; the result code of the first step that fails.
HRESULT BuildDevice(DeviceImpl* device, const PresentParameters& parameters) {
  int width = 0;
  int height = 0;
  if (!ChooseBackBufferSize(device, parameters, &width, &height)) return D3DERR_INVALIDCALL;
  const bool vsync = parameters.presentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
  if (!MakeRenderer(device, width, height, vsync)) return D3DERR_NOTAVAILABLE;
  ReadRendererLimits(device);
  if (!MakeBackBuffer(device, width, height)) return D3DERR_NOTAVAILABLE;
  return S_OK;
}

// The SDL objects of the device; a back buffer texture goes with its renderer.
void DestroyRenderers(DeviceImpl* device) {
  if (device->shownPicture) SDL_DestroyTexture(device->shownPicture);
  device->shownPicture = nullptr;
  if (device->renderer) SDL_DestroyRenderer(device->renderer);
  if (device->windowRenderer) SDL_DestroyRenderer(device->windowRenderer);
  if (device->backPixels) SDL_FreeSurface(device->backPixels);
}

// What a device that could not be finished holds.
void DiscardDevice(DeviceImpl* device) {
  DestroyRenderers(device);
  delete device;
}

}  // namespace

HRESULT GraphicsObject::CreateDevice(WindowHandle window, const PresentParameters& parameters,
                                     RenderDevice** result) {
  if (!result) return D3DERR_INVALIDCALL;
  *result = nullptr;
  if (!CanMakeDevice(window, parameters)) return D3DERR_INVALIDCALL;

  DeviceImpl* device = new DeviceImpl;
  device->window = SdlGameWindow();
  const HRESULT built = BuildDevice(device, parameters);
  if (FAILED(built)) {
    DiscardDevice(device);
    return built;
  }

  if (device->window && !parameters.windowed) {
    if (SDL_SetWindowFullscreen(device->window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      std::fprintf(stderr, "zorbly-frondles: cannot switch to full screen (%s)\n", SDL_GetError());
    } else {
      PlaceFullScreenWindow(device->window);
      device->sizeInDoubt = true;
    }
  }
  SDL_AddEventWatch(WatchDeviceEvents, device);
  if (device->window) {
    windowDevice = device;
    WatchFullScreenKey(true);
  }
  *result = device;
  return S_OK;
}

void RenderDevice::Release() {
  DeviceImpl* device = Impl(this);
  SDL_DelEventWatch(WatchDeviceEvents, device);
  if (device->window) WatchFullScreenKey(false);
  // Whatever outlives the device keeps its handle but no longer reaches SDL.
  for (TextureImpl* texture : device->textures) {
    if (texture->texture) SDL_DestroyTexture(texture->texture);
    texture->texture = nullptr;
    texture->device = nullptr;
  }
  for (SurfaceImpl* surface : device->surfaces) {
    if (surface->texture) SDL_DestroyTexture(surface->texture);
    surface->texture = nullptr;
    surface->device = nullptr;
  }
  for (SpriteImpl* sprite : device->sprites) sprite->device = nullptr;
  for (FontImpl* font : device->fonts) DetachFont(font);
  for (MeshImpl* mesh : device->meshes) DetachMesh(mesh);
  if (device->backBuffer.texture) SDL_DestroyTexture(device->backBuffer.texture);
  if (windowDevice == device) windowDevice = nullptr;
  DestroyRenderers(device);
  delete device;
}

int RenderDevice::MaxTextureSize() const {
  return static_cast<const DeviceImpl*>(this)->maxTextureSize;
}

HRESULT RenderDevice::GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type,
                                    RenderSurface** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  *surface = &Impl(this)->backBuffer;
  return S_OK;
}

HRESULT RenderDevice::Clear(uint32_t rectCount, const Rect* rects, uint32_t flags, uint32_t color,
                            float, uint32_t) {
  DeviceImpl* device = Impl(this);
  if (rectCount > 0 && !rects) return D3DERR_INVALIDCALL;
  if (!RecoverDevice(device)) return D3DERR_DEVICELOST;
  if (!(flags & D3DCLEAR_TARGET)) return S_OK;
  if (rectCount == 0 && device->backPixels && !PlainDrawing()) {
    // The frame's first drawing most often covers it all: a clear then costs nothing.
    DrawPendingSlices(device);
    device->clearPending = true;
    device->clearColor = color;
    return S_OK;
  }
  TargetBackBufferForDrawing(device, rectCount == 0);
  SDL_Renderer* renderer = device->renderer;
  SDL_SetRenderDrawColor(renderer, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, 255);
  if (rectCount == 0) {
    SDL_RenderClear(renderer);
    return S_OK;
  }
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  for (uint32_t i = 0; i < rectCount; ++i) {
    const Rect& rect = rects[i];
    if (rect.right <= rect.left || rect.bottom <= rect.top) continue;
    const SDL_Rect fill{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    SDL_RenderFillRect(renderer, &fill);
  }
  return S_OK;
}

namespace {
bool sceneFailing = false;
}  // namespace

void SetSceneFailing(bool failing) { sceneFailing = failing; }

const char* RendererName(RenderDevice* device) {
  SDL_RendererInfo info{};
  if (!device || SDL_GetRendererInfo(static_cast<DeviceImpl*>(device)->renderer, &info) != 0) {
    return "none";
  }
  return info.name;
}

HRESULT RenderDevice::BeginScene() {
  DeviceImpl* device = Impl(this);
  if (device->inScene) return D3DERR_INVALIDCALL;
  if (sceneFailing || !RecoverDevice(device)) {
    // Nothing is drawn in this pass, nor are its looks' random values taken.
    if (RunTap* tap = CurrentRunTap()) tap->SceneFailed();
    return D3DERR_DEVICELOST;
  }
  TargetBackBufferForDrawing(device);
  device->inScene = true;
  return S_OK;
}

HRESULT RenderDevice::EndScene() {
  DeviceImpl* device = Impl(this);
  if (!device->inScene) return D3DERR_INVALIDCALL;
  device->inScene = false;
  return S_OK;
}

namespace {

// Narrows the output to the window the display really has while, after a switch, SDL's idea
// of its size may still be ahead of it: asked at each present until the two agree.
void FitRealWindow(DeviceImpl* device, int* width, int* height) {
  if (!device->sizeInDoubt) return;
  int realWidth = 0, realHeight = 0, sdlWidth = 0, sdlHeight = 0;
  SDL_GetWindowSize(device->window, &sdlWidth, &sdlHeight);
  if (!RealWindowSize(device->window, &realWidth, &realHeight) ||
      (realWidth == sdlWidth && realHeight == sdlHeight)) {
    device->sizeInDoubt = false;
    return;
  }
  *width = std::min(*width, realWidth);
  *height = std::min(*height, realHeight);
}

// Black where the picture leaves room in the output, width x height of the screen's pixels.
void FillBars(SDL_Surface* screen, int width, int height, const SDL_Rect& picture) {
  const SDL_Rect bars[] = {
      {0, 0, width, picture.y},
      {0, picture.y, picture.x, picture.h},
      {picture.x + picture.w, picture.y, width - picture.x - picture.w, picture.h},
      {0, picture.y + picture.h, width, height - picture.y - picture.h}};
  for (const SDL_Rect& bar : bars) {
    if (bar.w > 0 && bar.h > 0) SDL_FillRect(screen, &bar, SDL_MapRGB(screen->format, 0, 0, 0));
  }
}

// The memory back buffer into the window's own pixels: a plain copy at 1:1, else scaled
// smoothly to fit with its aspect kept. The window's pixels, or null when it has none.
SDL_Surface* CopyIntoWindow(DeviceImpl* device, SDL_Surface* back) {
  SDL_Surface* screen = SDL_GetWindowSurface(device->window);
  if (!screen) return nullptr;
  int width = screen->w, height = screen->h;
  FitRealWindow(device, &width, &height);
  const SDL_Rect picture = LetterboxRect(width, height, back->w, back->h);
  FillBars(screen, width, height, picture);
  if (picture.w > 0 && picture.h > 0) {
    SDL_Rect where = picture;
    if (picture.w == back->w && picture.h == back->h) {
      SDL_BlitSurface(back, nullptr, screen, &where);
    } else if (screen->format->format == back->format->format && back->w >= 2 && back->h >= 2) {
      device->kept.ScaleSmoothly(back, screen, where);
    } else {
      SDL_BlitScaled(back, nullptr, screen, &where);
    }
    DrawScreenLabelsInto(device, screen, picture.x, picture.y, picture.w, picture.h);
  }
  return screen;
}

bool ShowMemoryBackBuffer(DeviceImpl* device) {
  SDL_Surface* back = BackPixelsForWriting(device);
  if (!device->window) return true;
  SDL_Surface* screen = CopyIntoWindow(device, back);
  if (!screen) return false;
  const void* pixels = screen->pixels;
  if (ShowWindowOnce(device->window)) {
    // Shown at the last moment; showing may size it anew (full screen), and then the
    // picture goes into its new pixels.
    SDL_Surface* now = SDL_GetWindowSurface(device->window);
    if (!now || now != screen || now->pixels != pixels) screen = CopyIntoWindow(device, back);
    if (!screen) return false;
  }
  return SDL_UpdateWindowSurface(device->window) == 0;
}

// The back buffer texture drawn over the window's renderer output.
bool ShowBackBufferTexture(DeviceImpl* device) {
  SDL_Renderer* renderer = device->renderer;
  // Shown first, as showing may size it anew; its picture comes with the next swap.
  if (device->window) ShowWindowOnce(device->window);
  SDL_SetRenderTarget(renderer, nullptr);
  // The drawable size, not the window's: sharp on high-DPI screens.
  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
  int width = outputWidth, height = outputHeight;
  if (device->window) FitRealWindow(device, &width, &height);
  const SurfaceImpl& back = device->backBuffer;
  SDL_Rect picture = LetterboxRect(width, height, back.width, back.height);
  // OpenGL counts rows from the bottom of the window it really has, SDL from the top of
  // the one it takes it to have.
  picture.y += outputHeight - height;
  // Black bars only where the picture leaves room for them.
  if (picture.w != outputWidth || picture.h != outputHeight) {
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
  }
  if (picture.w > 0 && picture.h > 0) {
    // Texel for texel at 1:1; smoothing only pays where the picture is scaled.
    const SDL_ScaleMode mode = picture.w == back.width && picture.h == back.height
                                   ? SDL_ScaleModeNearest
                                   : SDL_ScaleModeLinear;
    SDL_ScaleMode current = SDL_ScaleModeLinear;
    SDL_GetTextureScaleMode(back.texture, &current);
    if (current != mode) SDL_SetTextureScaleMode(back.texture, mode);
    SDL_RenderCopy(renderer, back.texture, nullptr, &picture);
    DrawScreenLabels(device, picture.x, picture.y, picture.w, picture.h);
  }
  SDL_RenderPresent(renderer);
  SDL_SetRenderTarget(renderer, device->backBuffer.texture);
  return true;
}

}  // namespace

HRESULT RenderDevice::Present(const Rect* sourceRect, const Rect* destRect,
                              WindowHandle overrideWindow, const void* dirtyRegion) {
  if (sourceRect || destRect || overrideWindow || dirtyRegion) return D3DERR_INVALIDCALL;
  DeviceImpl* device = Impl(this);
  if (device->window && ApplyFullScreenSwitches(device->window)) device->sizeInDoubt = true;
  if (!RecoverDevice(device)) return D3DERR_DEVICELOST;
  // The back buffer is final from here on: whatever is drawn over every frame goes above.
  // The window opens with its first picture in it, never black or empty: it is shown
  // just before that picture goes out.
  const bool shown =
      device->backPixels ? ShowMemoryBackBuffer(device) : ShowBackBufferTexture(device);
  // Only a window's picture is asked for again.
  device->backBufferShown = device->window != nullptr;
  return shown ? S_OK : D3DERR_DEVICELOST;
}

bool RealWindowSize(RenderDevice* device, int* width, int* height) {
  SDL_Window* window = device ? Impl(device)->window : nullptr;
  return window && RealWindowSize(window, width, height);
}

bool RenderDevice::ShowCursor(bool show) {
  const bool wasShown = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  return wasShown;
}
