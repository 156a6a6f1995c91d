#pragma once
// What the device, its surfaces, textures, sprite batches and fonts hold inside: the SDL
// objects behind the handles the game sees. For src/platform's render files only.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/gfx/font.h"
#include "platform/gfx/matrix2d.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/gfx/texture.h"
#include "platform/software/kept_drawings.h"
#include "platform/software/pixel_memory.h"
#include "platform/software/software_drawing.h"

struct DeviceImpl;

struct TextureImpl : Texture {
  DeviceImpl* device = nullptr;  // null once the device is gone
  SDL_Texture* texture = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // ARGB; the texture is rebuilt from them after a reset
  // A fresh one wherever the pixels are written (FreshVersion): what the device's drawing
  // keeps from them is kept under it.
  uint64_t version = 0;
  bool locked = false;
};

// The texture's pixels as the device's own drawing takes them.
inline TexelImage Texels(const TextureImpl& texture) {
  return TexelImage{texture.pixels.data(), texture.width, texture.height, texture.version};
}

struct SurfaceImpl : RenderSurface {
  DeviceImpl* device = nullptr;
  bool isBackBuffer = false;
  int width = 0;
  int height = 0;
  // Off-screen surfaces live in memory (ARGB, alpha 0xFF) and reach the back buffer
  // through a texture made when first needed and refreshed after each change: the pixels
  // take a fresh version wherever they are written, and the texture holds the one it was
  // last filled from (0: none). The back buffer is a render target texture and has no
  // pixels of its own here.
  PixelBlock pixels;
  uint64_t version = 0;
  SDL_Texture* texture = nullptr;
  uint64_t textureVersion = 0;
  bool locked = false;
};

struct SpriteImpl : SpriteBatch {
  DeviceImpl* device = nullptr;
  bool begun = false;
  uint32_t flags = 0;
  Matrix2D transform;
};

struct FontImpl;
struct MeshImpl;

// Tinted sprites one texel wide, drawn a fixed step apart along one row (a bar's slices),
// gathered to be blended together: each texel row is tinted once for all of them.
struct SliceRun {
  TextureImpl* texture = nullptr;
  Rect source;
  uint32_t color = 0;
  int x = 0;
  int y = 0;
  int step = 0;
  int count = 0;
};

// Opaque white: what meshes are lit by before any material is set.
inline Material DefaultMaterial() {
  Material material;
  material.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
  material.ambient = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
  return material;
}

struct DeviceImpl : RenderDevice {
  SDL_Window* window = nullptr;  // null for a device without one (a scripted system)
  // What draws into the back buffer. With a GPU it is the window's own renderer and the
  // back buffer one of its render target textures. On the processor the back buffer is a
  // surface in memory (`backPixels`) with a software renderer of its own: the device then
  // also writes into it itself (turned sprites, runs of bar slices), and presenting
  // copies it into the window, whose own renderer (`windowRenderer`) is left to the
  // question box.
  SDL_Renderer* renderer = nullptr;
  SDL_Surface* backPixels = nullptr;
  PixelBlock backBlock;  // what backPixels draws in
  SDL_Renderer* windowRenderer = nullptr;
  // The pixel format of what has no alpha of its own: the back buffer and the off-screen
  // surfaces. On the processor it is the window's own where that is ARGB's layout
  // without alpha, so that presenting is a plain copy.
  Uint32 opaqueFormat = SDL_PIXELFORMAT_ARGB8888;
  SurfaceImpl backBuffer;
  int maxTextureSize = 0;
  bool inScene = false;
  // A clear of the whole memory back buffer not yet done: the next drawing does it,
  // unless that drawing covers the whole buffer anyway. Until then the buffer still
  // holds the picture last presented.
  bool clearPending = false;
  uint32_t clearColor = 0;
  // Slices not yet blended into the memory back buffer: whatever draws next draws them first.
  SliceRun pendingSlices;
  // What its own drawing keeps between drawings, the full-screen scaler's tables among it.
  KeptDrawings kept;

  std::vector<TextureImpl*> textures;
  std::vector<SurfaceImpl*> surfaces;
  std::vector<SpriteImpl*> sprites;
  std::vector<FontImpl*> fonts;
  std::vector<MeshImpl*> meshes;

  // What meshes are drawn with.
  Matrix4 world;
  Matrix4 view;
  Matrix4 projection;
  Material material = DefaultMaterial();
  TextureImpl* stageTexture = nullptr;

  // The picture the window shows, kept aside once the back buffer is drawn on again: the
  // question box dims it behind itself, and a window's own buffer cannot be read back
  // reliably after it was presented. Null until needed or after the renderer lost it.
  // With a memory back buffer it is made on the window's renderer and filled from the
  // back buffer when asked for.
  SDL_Texture* shownPicture = nullptr;
  bool backBufferShown = false;  // presented, and not drawn on since
  // Switched to or from full screen: the window may not have the size SDL takes it to have
  // yet, and the display is asked until it does.
  bool sizeInDoubt = false;

  // Set by the event watch, which may run on any thread; handled on the next draw.
  std::atomic<bool> targetsReset{false};
  std::atomic<bool> deviceReset{false};
};

template <typename T>
void Unregister(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// The renderer for the game's window: OpenGL on a GPU, SDL's software renderer where
// OpenGL would be a software rasteriser, or what ZF_RENDERER asks for; the choice is said
// in one line. Null when no renderer can be made.
SDL_Renderer* CreateWindowRenderer(SDL_Window* window, Uint32 flags);

// Rebuilds what the renderer lost and applies pending window changes; false while the
// back buffer cannot be drawn into.
bool RecoverDevice(DeviceImpl* device);
// Makes the back buffer the render target for drawing into. A picture presented from it is
// kept aside first (the question box shows it): by a swap when `wiping` (the whole buffer
// is about to be cleared or covered), else by a copy that the new frame goes on drawing
// on. A memory back buffer is kept as it is; a clear still pending is done first unless
// `wiping`.
void TargetBackBufferForDrawing(DeviceImpl* device, bool wiping = false);
// A memory back buffer's pixels, ready to be written or read by the device itself: what
// its renderer has queued is drawn and a pending clear done. Null without one.
SDL_Surface* BackPixelsForWriting(DeviceImpl* device);

// A texture over ARGB pixels, which it takes over, registered with the device; null when
// refused.
TextureImpl* NewTexture(DeviceImpl* device, std::vector<uint32_t>&& pixels, int width, int height);
// Makes the SDL texture from the kept pixels; false when the renderer refuses.
bool BuildTexture(TextureImpl* texture);
void DestroyTexture(TextureImpl* texture);
bool BuildSurfaceTexture(SurfaceImpl* surface);

// Draws `source` of the texture, its local top-left moved by `offset`, through the
// transform into the back buffer, modulated by the ARGB colour.
HRESULT DrawTextureRect(DeviceImpl* device, TextureImpl* texture, const Rect& source,
                        const Matrix2D& transform, Vector2 offset, uint32_t color, bool blend);

// Draws `source` of the texture at whole-pixel `corner`, width x height, into a memory back
// buffer exactly as SDL's renderer would; false, having drawn nothing, where SDL's own way
// is as quick or the device has no memory back buffer.
bool DrawUnturnedItself(DeviceImpl* device, TextureImpl* texture, const Rect& source,
                        Vector2 corner, float width, float height, uint32_t color, bool blend);
// Whether the device's own ways of drawing are off (SetPlainDrawing).
bool PlainDrawing();
// Blends the slices gathered so far into the memory back buffer.
void DrawPendingSlices(DeviceImpl* device);

// Lets go of the device: its SDL objects are gone and the font must not draw.
void DetachFont(FontImpl* font);
// Lets go of the device: the mesh keeps its data but draws nothing any more.
void DetachMesh(MeshImpl* mesh);
