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
#include "platform/gfx/pixel_lanes.h"
#include "platform/gfx/pixel_memory.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/gfx/texture.h"

struct DeviceImpl;

// A part of a texture stretched to another size as SDL's software renderer stretches it
// for every copy, kept for the next.
struct KeptStretch {
  Rect source;
  int width = 0;
  int height = 0;
  SDL_Surface* surface = nullptr;
  std::vector<uint16_t> spans;  // each row's first and last-plus-one texel with any alpha
  // Its texels tinted by `tint` and weighed by their alphas, ready to go over the back
  // buffer: made once the same tint comes twice running (`lastTint`).
  std::vector<uint32_t> tinted;
  uint32_t tint = 0;
  uint32_t lastTint = 0;
};

// A turned rectangle of a texture as one turn and scale and one place within a pixel show
// it: its texels filtered and tinted over the pixels it covers, not yet blended, kept for
// the next time the same look is drawn anywhere.
struct TurnedLook {
  Rect source;
  float m11 = 0.0f, m12 = 0.0f, m21 = 0.0f, m22 = 0.0f;
  int fracX = -1, fracY = -1;  // where its origin lies within a pixel, in 64ths; -1: none yet
  uint32_t color = 0;
  bool blend = false;
  uint32_t lastUse = 0;
  // From the pixel its origin lies in: the first column and row, and the size.
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint32_t> pixels;
  std::vector<uint16_t> spans;  // each row's first and last-plus-one pixel drawn
};

struct TextureImpl : Texture {
  DeviceImpl* device = nullptr;  // null once the device is gone
  SDL_Texture* texture = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // ARGB; the texture is rebuilt from them after a reset
  KeptStretch stretches[2];      // a sprite is drawn at one size or two
  int nextStretch = 0;
  // One rectangle's texels inside a border of copies of their edge texels, for turned
  // drawing without a check at each edge; empty until a rectangle is drawn turned.
  std::vector<uint32_t> bordered;
  Rect borderedSource;
  Rect borderedInk;               // within that rectangle, the texels with any alpha
  std::vector<TurnedLook> looks;  // in sets of a few, once drawn turned
  uint32_t lookClock = 0;
};

struct SurfaceImpl : RenderSurface {
  DeviceImpl* device = nullptr;
  bool isBackBuffer = false;
  int width = 0;
  int height = 0;
  // Off-screen surfaces live in memory (ARGB, alpha 0xFF) and reach the back buffer
  // through a texture made when first needed and refreshed after each change. The back
  // buffer is a render target texture and has no pixels of its own here.
  PixelBlock pixels;
  SDL_Texture* texture = nullptr;
  bool textureStale = true;
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

// What scaling one size of picture smoothly to another takes, kept from frame to frame:
// for each output pixel the source pixel it starts from and, channel by channel, the
// weights (out of 64) of that one and the next; for each output row the source row it
// starts from and the weight of the next; and the last two source rows widened.
struct SmoothScaler {
  struct Row {
    int32_t start;
    uint8_t weight;
  };
  int sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
  int shuffleLimit = 64;        // the widest shuffles to use (tests try each)
  int shuffleBytes = 0;         // how wide the processor's byte shuffles go: 0, 16, 32 or 64
  std::vector<int32_t> starts;  // padded to whole groups of eight pixels
  std::vector<int8_t> weights;
  // For the shuffles, each pair of output pixels from the four source pixels from its
  // window: which byte of those goes where.
  std::vector<int32_t> windows;
  std::vector<uint8_t> orders;
  std::vector<int32_t> wideWindows;  // the same for each eight output pixels
  std::vector<uint8_t> wideOrders;
  std::vector<Row> rows;
  std::vector<uint32_t> widened[2];
  int widenedRow[2] = {-1, -1};
};

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
  SmoothScaler scaler;  // for presenting the memory back buffer at another size

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

  // Set by the event watch, which may run on any thread; handled on the next draw.
  std::atomic<bool> targetsReset{false};
  std::atomic<bool> deviceReset{false};
};

// Row y of a 32-bit surface.
inline uint32_t* PixelRow(const SDL_Surface* surface, int y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                     static_cast<size_t>(y) * surface->pitch);
}

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
bool DrawUnturned(DeviceImpl* device, TextureImpl* texture, const Rect& source, Vector2 corner,
                  float width, float height, uint32_t color, bool blend);
// Whether the device's own ways of drawing are off (SetPlainDrawing).
bool PlainDrawing();
// Blends the slices gathered so far into the memory back buffer.
void DrawPendingSlices(DeviceImpl* device);

// Draws `source` of the texture, its local top-left at `offset`, through any affine
// transform into a 32-bit surface of ARGB's layout: filtered, tinted by the ARGB colour
// and blended (else copied) over what is there.
void DrawAffine(TextureImpl& texture, const Rect& source, const Matrix2D& transform, Vector2 offset,
                uint32_t color, bool blend, SDL_Surface* target);

// `source` scaled smoothly into `where` of `target`, both 32-bit of the same layout; the
// source at least 2 x 2.
void ScaleSmoothly(SmoothScaler* scaler, const SDL_Surface* source, SDL_Surface* target,
                   const SDL_Rect& where);

// Lets go of the device: its SDL objects are gone and the font must not draw.
void DetachFont(FontImpl* font);
// Lets go of the device: the mesh keeps its data but draws nothing any more.
void DetachMesh(MeshImpl* mesh);
