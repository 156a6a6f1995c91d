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
    case SDL_RENDER_TARGETS_RESET:
      device->targetsReset = true;
      break;
    case SDL_RENDER_DEVICE_RESET:
      device->deviceReset = true;
      break;
    default:
      break;
  }
  return 1;
}

// The device whose pictures the window shows: the question box asks it for the last one.
DeviceImpl* windowDevice = nullptr;

// A picture of the back buffer's size that can be drawn into.
SDL_Texture* MakePicture(DeviceImpl* device) {
  SDL_Texture* picture =
      SDL_CreateTexture(device->renderer, device->opaqueFormat, SDL_TEXTUREACCESS_TARGET,
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
  back.texture = MakePicture(device);
  if (!back.texture) {
    std::fprintf(stderr, "zorbly-frondles: cannot make the %d x %d back buffer (%s)\n",
                 back.width, back.height, SDL_GetError());
    return false;
  }
  SDL_SetRenderTarget(device->renderer, back.texture);
  SDL_SetRenderDrawColor(device->renderer, 0, 0, 0, 255);
  SDL_RenderClear(device->renderer);
  return true;
}

}  // namespace

void TargetBackBufferForDrawing(DeviceImpl* device, bool wiping) {
  bool swapped = false;
  if (device->backBufferShown) {
    device->backBufferShown = false;
    if (!device->shownPicture) device->shownPicture = MakePicture(device);
    // Without room for it, the question box reads the window instead.
    swapped = device->shownPicture != nullptr;
    if (swapped) std::swap(device->backBuffer.texture, device->shownPicture);
  }
  SDL_SetRenderTarget(device->renderer, device->backBuffer.texture);
  if (swapped && !wiping) SDL_RenderCopy(device->renderer, device->shownPicture, nullptr, nullptr);
}

SDL_Texture* LastPresentedPicture(SDL_Renderer* renderer) {
  const DeviceImpl* device = windowDevice;
  if (!device || device->renderer != renderer) return nullptr;
  return device->backBufferShown ? device->backBuffer.texture : device->shownPicture;
}

bool RecoverDevice(DeviceImpl* device) {
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
      surface->textureStale = true;
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
    std::fprintf(stderr, "zorbly-frondles: cannot make the rendering device: only 32-bit "
                         "colour back buffers are supported\n");
    return false;
  }
  return true;
}

// The back buffer's size as asked; a side of 0 takes the window's. False, said, when the
// size is none or too large for any renderer.
bool ChooseBackBufferSize(const DeviceImpl* device, const PresentParameters& parameters,
                          int* width, int* height) {
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

bool MakeRenderer(DeviceImpl* device, int width, int height, bool vsync) {
  if (device->window) {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, vsync ? "1" : "0");
    const Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    device->renderer = CreateWindowRenderer(device->window, flags);
  } else {
    // No pixels on any screen: draw into memory so that what is drawn can still be read.
    device->memoryTarget =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (device->memoryTarget) device->renderer = SDL_CreateSoftwareRenderer(device->memoryTarget);
  }
  if (!device->renderer) {
    std::fprintf(stderr, "zorbly-frondles: cannot make the rendering device (%s)\n",
                 SDL_GetError());
    return false;
  }
  return true;
}

// The renderer's pixel format for opaque pictures and its largest texture.
void ReadRendererLimits(DeviceImpl* device) {
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(device->renderer, &info);
  // The same layout as ARGB with the alpha byte unused: pixels go in and out unchanged.
  if ((info.flags & SDL_RENDERER_SOFTWARE) && device->window &&
      SDL_GetWindowPixelFormat(device->window) == SDL_PIXELFORMAT_RGB888) {
    device->opaqueFormat = SDL_PIXELFORMAT_RGB888;
  }
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
    std::fprintf(stderr, "zorbly-frondles: the renderer cannot hold a %d x %d back buffer\n",
                 width, height);
    return false;
  }
  return BuildBackBuffer(device);
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

// What a device that could not be finished holds; its back buffer goes with the renderer.
void DiscardDevice(DeviceImpl* device) {
  if (device->renderer) SDL_DestroyRenderer(device->renderer);
  if (device->memoryTarget) SDL_FreeSurface(device->memoryTarget);
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
      std::fprintf(stderr, "zorbly-frondles: cannot switch to full screen (%s)\n",
                   SDL_GetError());
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
  ForgetShownPicture(device);
  if (windowDevice == device) windowDevice = nullptr;
  SDL_DestroyRenderer(device->renderer);
  if (device->memoryTarget) SDL_FreeSurface(device->memoryTarget);
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

HRESULT RenderDevice::Clear(uint32_t rectCount, const Rect* rects, uint32_t flags,
                            uint32_t color, float, uint32_t) {
  DeviceImpl* device = Impl(this);
  if (rectCount > 0 && !rects) return D3DERR_INVALIDCALL;
  if (!RecoverDevice(device)) return D3DERR_DEVICELOST;
  if (!(flags & D3DCLEAR_TARGET)) return S_OK;
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

HRESULT RenderDevice::Present(const Rect* sourceRect, const Rect* destRect,
                              WindowHandle overrideWindow, const void* dirtyRegion) {
  if (sourceRect || destRect || overrideWindow || dirtyRegion) return D3DERR_INVALIDCALL;
  DeviceImpl* device = Impl(this);
  if (device->window) ApplyFullScreenSwitches(device->window);
  if (!RecoverDevice(device)) return D3DERR_DEVICELOST;

  SDL_Renderer* renderer = device->renderer;
  SDL_SetRenderTarget(renderer, nullptr);
  // The drawable size, not the window's: sharp on high-DPI screens.
  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
  const SurfaceImpl& back = device->backBuffer;
  const SDL_Rect picture = LetterboxRect(outputWidth, outputHeight, back.width, back.height);
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
  // Only a window's picture is asked for again.
  device->backBufferShown = device->window != nullptr;
  SDL_SetRenderTarget(renderer, device->backBuffer.texture);
  return S_OK;
}

bool RenderDevice::ShowCursor(bool show) {
  const bool wasShown = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  return wasShown;
}
