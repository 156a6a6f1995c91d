#pragma once
// The rendering device: a back buffer of the size asked for that every frame draws into,
// off-screen surfaces that are copied into it, and presentation to the window, scaled
// to its client area with the picture's aspect kept. Built over SDL's renderer; nothing
// here shows SDL. Results are the platform's 32-bit codes (platform/hresult.h).
#include <cstdint>

#include "platform/gfx/image_file.h"
#include "platform/gfx/material.h"
#include "platform/gfx/matrix3d.h"
#include "platform/gfx/rect.h"
#include "platform/hresult.h"
#include "platform/system/window.h"

constexpr HRESULT D3DERR_DEVICELOST = MakeResult(0x88760868u);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeResult(0x8876086Au);
constexpr HRESULT D3DERR_INVALIDCALL = MakeResult(0x8876086Cu);

// Pixel formats, pools and filters.
constexpr uint32_t D3DFMT_UNKNOWN = 0;
constexpr uint32_t D3DFMT_X8R8G8B8 = 22;  // 32-bit colour, alpha byte unused
constexpr uint32_t D3DFMT_D24S8 = 75;
constexpr uint32_t D3DPOOL_DEFAULT = 0;
constexpr uint32_t D3DTEXF_NONE = 0;
constexpr uint32_t D3DTEXF_POINT = 1;
constexpr uint32_t D3DTEXF_LINEAR = 2;

// Clear flags.
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr uint32_t D3DCLEAR_STENCIL = 0x4;

// Presentation.
constexpr uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr uint32_t D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL = 0x2;
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;  // wait for the vertical retrace
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
constexpr uint32_t D3DBACKBUFFER_TYPE_MONO = 0;

// Transform states.
constexpr uint32_t D3DTS_VIEW = 2;
constexpr uint32_t D3DTS_PROJECTION = 3;
constexpr uint32_t D3DTS_WORLD = 256;

struct PresentParameters {
  uint32_t backBufferWidth = 0;
  uint32_t backBufferHeight = 0;
  uint32_t backBufferFormat = D3DFMT_UNKNOWN;
  uint32_t backBufferCount = 0;
  uint32_t multiSampleType = 0;
  uint32_t multiSampleQuality = 0;
  uint32_t swapEffect = 0;
  WindowHandle deviceWindow = nullptr;
  bool windowed = false;  // false: desktop full screen
  bool enableAutoDepthStencil = false;
  uint32_t autoDepthStencilFormat = D3DFMT_UNKNOWN;
  uint32_t flags = 0;
  uint32_t fullScreenRefreshRateInHz = 0;
  uint32_t presentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
};

// A locked rectangle of a surface: its top-left pixel and the bytes from row to row.
struct LockedRect {
  int32_t pitch = 0;
  void* bits = nullptr;
};

// An X8R8G8B8 surface: the back buffer, or an off-screen plain surface in memory.
struct RenderSurface {
  // Off-screen surfaces are freed; the back buffer belongs to its device and stays.
  void Release();
  int Width() const;
  int Height() const;
  // Replaces the whole surface with an image of the same size; alpha is dropped.
  HRESULT LoadPixels(const ImageData& image);
  // The surface's pixels as ARGB with alpha 0xFF (what the screen would show).
  HRESULT ReadPixels(ImageData* image);
  // An off-screen surface's own ARGB pixels (null rect: all of them), to be written in
  // place with alpha 0xFF until UnlockRect. One lock at a time; flags must be 0.
  HRESULT LockRect(LockedRect* locked, const Rect* rect, uint32_t flags);
  HRESULT UnlockRect();

 protected:
  RenderSurface() = default;
  ~RenderSurface() = default;
};

struct Texture;

struct RenderDevice {
  // Fills the back buffer (D3DCLEAR_TARGET) with an ARGB colour; with rectangles, only
  // those. There is no depth or stencil buffer to clear: nothing draws with depth.
  HRESULT Clear(uint32_t rectCount, const Rect* rects, uint32_t flags, uint32_t color, float z,
                uint32_t stencil);
  // Copies a rectangle between surfaces or into the back buffer (null: whole surface).
  // Equal sizes copy 1:1; otherwise the copy is stretched, by nearest texel unless the
  // filter is D3DTEXF_LINEAR. Rectangles must lie inside their surfaces.
  HRESULT StretchRect(RenderSurface* source, const Rect* sourceRect, RenderSurface* dest,
                      const Rect* destRect, uint32_t filter);
  HRESULT CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format,
                                      uint32_t pool, RenderSurface** surface, void* sharedHandle);
  HRESULT GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, RenderSurface** surface);
  // ARGB pixels as a texture of the same size, drawable through a sprite batch; the
  // texture keeps the image's own pixels.
  HRESULT CreateTextureFromPixels(ImageData&& image, Texture** texture);
  // Side length of the largest texture (and surface) the device can hold.
  int MaxTextureSize() const;

  HRESULT BeginScene();
  HRESULT EndScene();
  // Shows the back buffer in the window's client area; all arguments must be null.
  HRESULT Present(const Rect* sourceRect, const Rect* destRect, WindowHandle overrideWindow,
                  const void* dirtyRegion);
  // The transforms that meshes are drawn through: world (model to world space), view
  // (world to the eye's space) and projection (eye to clip space). Each starts as the
  // identity and stays until it is set again.
  HRESULT SetTransform(uint32_t state, const Matrix4* matrix);
  HRESULT GetTransform(uint32_t state, Matrix4* matrix);
  // The material meshes are lit by; it starts as opaque white.
  HRESULT SetMaterial(const Material* material);
  // The texture meshes are drawn with (null: none). Stage 0 is the only stage. It stays
  // set until replaced, or until the texture is released.
  HRESULT SetTexture(uint32_t stage, Texture* texture);
  HRESULT GetTexture(uint32_t stage, Texture** texture);

  // Whether the mouse cursor shows over the window; returns the previous setting.
  bool ShowCursor(bool show);
  // Frees the device and what it still holds for its textures, surfaces and fonts.
  void Release();

 protected:
  RenderDevice() = default;
  ~RenderDevice() = default;
};

struct GraphicsObject {
  // A device for the game's window. With the SDL system the device presents to the real
  // window, through OpenGL on a GPU and SDL's software renderer where OpenGL would be a
  // software rasteriser; ZF_RENDERER=opengl or software overrides that choice.
  // A window without pixels (a scripted system) gets a device that draws into memory.
  // Failure leaves *device null with a one-line message on standard error.
  HRESULT CreateDevice(WindowHandle window, const PresentParameters& parameters,
                       RenderDevice** device);
  void Release();

 protected:
  GraphicsObject() = default;
  ~GraphicsObject() = default;
};

// Null, with a one-line message on standard error, when no renderer exists at all.
GraphicsObject* CreateGraphicsObject();

// For tests and recorded runs: while set, every BeginScene fails as on a lost device.
void SetSceneFailing(bool failing);
// For tests: while set, a device drawing on the processor leaves every clear and every
// unturned sprite to SDL's renderer, as it would without its own quicker ways, which must
// give the same pixels.
void SetPlainDrawing(bool plain);

// Switches the game's window between full screen and its size before, at the device's
// next present, as Alt+Enter does.
void SwitchFullScreenAtNextPresent();
// The device's window's size as the display has it, for checks that full screen fills the
// screen; false where the display cannot be asked.
bool RealWindowSize(RenderDevice* device, int* width, int* height);

// Whether an OpenGL renderer's name (its GL_RENDERER string) is a software rasteriser.
bool NamesSoftwareRasteriser(const char* openGLName);

// The name of the renderer the device draws with ("opengl", "software", ...), for reports.
const char* RendererName(RenderDevice* device);
