// Off-screen plain surfaces and the copies between them and into the back buffer.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/gfx/render_internal.h"

namespace {

constexpr uint32_t OPAQUE = 0xFF000000u;

SurfaceImpl* Impl(RenderSurface* surface) { return static_cast<SurfaceImpl*>(surface); }

bool InsideSurface(const Rect& rect, const SurfaceImpl& surface) {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         rect.right <= surface.width && rect.bottom <= surface.height;
}

Rect WholeSurface(const SurfaceImpl& surface) { return Rect{0, 0, surface.width, surface.height}; }

// Nearest-texel copy between two ARGB pixel arrays; a plain row copy at equal sizes.
void CopyPixels(const uint32_t* source, int sourcePitch, const Rect& from, uint32_t* dest,
                int destPitch, const Rect& to) {
  const int sourceWidth = from.right - from.left;
  const int sourceHeight = from.bottom - from.top;
  const int destWidth = to.right - to.left;
  const int destHeight = to.bottom - to.top;
  for (int row = 0; row < destHeight; ++row) {
    const int sourceRow =
        from.top + static_cast<int>(static_cast<int64_t>(row) * sourceHeight / destHeight);
    const uint32_t* in = source + static_cast<size_t>(sourceRow) * sourcePitch + from.left;
    uint32_t* out = dest + static_cast<size_t>(to.top + row) * destPitch + to.left;
    if (sourceWidth == destWidth) {
      std::memcpy(out, in, static_cast<size_t>(destWidth) * 4);
      continue;
    }
    for (int column = 0; column < destWidth; ++column) {
      out[column] = in[static_cast<int64_t>(column) * sourceWidth / destWidth];
    }
  }
}

bool ReadBackBuffer(DeviceImpl* device, const Rect& rect, uint32_t* pixels) {
  if (!RecoverDevice(device)) return false;
  const SDL_Rect area{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  if (SDL_Surface* back = BackPixelsForWriting(device)) {
    // ARGB's layout either way; the alpha byte means nothing.
    for (int y = 0; y < area.h; ++y) {
      const uint32_t* row = PixelRow(back, area.y + y) + area.x;
      uint32_t* out = pixels + static_cast<size_t>(y) * area.w;
      for (int x = 0; x < area.w; ++x) out[x] = row[x] | OPAQUE;
    }
    return true;
  }
  SDL_SetRenderTarget(device->renderer, device->backBuffer.texture);
  if (SDL_RenderReadPixels(device->renderer, &area, SDL_PIXELFORMAT_ARGB8888, pixels, area.w * 4) !=
      0) {
    std::fprintf(stderr, "zorbly-frondles: cannot read the back buffer (%s)\n", SDL_GetError());
    return false;
  }
  // The back buffer's alpha byte means nothing.
  const size_t count = static_cast<size_t>(area.w) * area.h;
  for (size_t i = 0; i < count; ++i) pixels[i] |= OPAQUE;
  return true;
}

}  // namespace

bool BuildSurfaceTexture(SurfaceImpl* surface) {
  DeviceImpl* device = surface->device;
  if (!device) return false;
  if (!surface->texture) {
    surface->texture = SDL_CreateTexture(device->renderer, device->opaqueFormat,
                                         SDL_TEXTUREACCESS_STATIC, surface->width, surface->height);
    if (!surface->texture) {
      std::fprintf(stderr, "zorbly-frondles: cannot copy a %d x %d surface to the screen (%s)\n",
                   surface->width, surface->height, SDL_GetError());
      return false;
    }
    SDL_SetTextureBlendMode(surface->texture, SDL_BLENDMODE_NONE);
    surface->textureVersion = 0;
  }
  if (surface->textureVersion != surface->version) {
    SDL_UpdateTexture(surface->texture, nullptr, surface->pixels.data(), surface->width * 4);
    surface->textureVersion = surface->version;
  }
  return true;
}

HRESULT RenderDevice::CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format,
                                                  uint32_t, RenderSurface** result,
                                                  void* sharedHandle) {
  if (!result) return D3DERR_INVALIDCALL;
  *result = nullptr;
  DeviceImpl* device = static_cast<DeviceImpl*>(this);
  if (format != D3DFMT_X8R8G8B8 || sharedHandle || width == 0 || height == 0) {
    return D3DERR_INVALIDCALL;
  }
  const uint32_t limit = static_cast<uint32_t>(device->maxTextureSize);
  if (width > limit || height > limit) {
    std::fprintf(stderr, "zorbly-frondles: a %u x %u surface is larger than the device holds\n",
                 width, height);
    return D3DERR_INVALIDCALL;
  }
  SurfaceImpl* surface = new (std::nothrow) SurfaceImpl;
  if (!surface) return E_OUTOFMEMORY;
  surface->device = device;
  surface->width = static_cast<int>(width);
  surface->height = static_cast<int>(height);
  if (!surface->pixels.Assign(static_cast<size_t>(width) * height, OPAQUE)) {
    delete surface;
    return E_OUTOFMEMORY;
  }
  surface->version = FreshVersion();
  device->surfaces.push_back(surface);
  *result = surface;
  return S_OK;
}

void RenderSurface::Release() {
  SurfaceImpl* surface = Impl(this);
  if (surface->isBackBuffer) return;
  if (surface->device) {
    Unregister(surface->device->surfaces, surface);
    if (surface->texture) SDL_DestroyTexture(surface->texture);
  }
  delete surface;
}

int RenderSurface::Width() const { return static_cast<const SurfaceImpl*>(this)->width; }
int RenderSurface::Height() const { return static_cast<const SurfaceImpl*>(this)->height; }

HRESULT RenderSurface::LoadPixels(const ImageData& image) {
  SurfaceImpl* surface = Impl(this);
  if (surface->isBackBuffer || image.width != surface->width || image.height != surface->height ||
      image.pixels.size() != surface->pixels.size()) {
    return D3DERR_INVALIDCALL;
  }
  for (size_t i = 0; i < surface->pixels.size(); ++i) surface->pixels[i] = image.pixels[i] | OPAQUE;
  surface->version = FreshVersion();
  return S_OK;
}

HRESULT RenderSurface::LockRect(LockedRect* locked, const Rect* rect, uint32_t flags) {
  SurfaceImpl* surface = Impl(this);
  const Rect area = rect ? *rect : WholeSurface(*surface);
  if (!locked || flags != 0 || surface->isBackBuffer || surface->locked ||
      !InsideSurface(area, *surface)) {
    return D3DERR_INVALIDCALL;
  }
  surface->locked = true;
  locked->pitch = surface->width * 4;
  locked->bits =
      surface->pixels.data() + static_cast<size_t>(area.top) * surface->width + area.left;
  return S_OK;
}

HRESULT RenderSurface::UnlockRect() {
  SurfaceImpl* surface = Impl(this);
  if (!surface->locked) return D3DERR_INVALIDCALL;
  surface->locked = false;
  surface->version = FreshVersion();
  return S_OK;
}

HRESULT RenderSurface::ReadPixels(ImageData* image) {
  SurfaceImpl* surface = Impl(this);
  if (!image) return D3DERR_INVALIDCALL;
  if (!surface->isBackBuffer) {
    image->width = surface->width;
    image->height = surface->height;
    image->pixels.assign(surface->pixels.data(), surface->pixels.data() + surface->pixels.size());
    return S_OK;
  }
  if (!surface->device) return D3DERR_INVALIDCALL;
  std::vector<uint32_t> pixels(static_cast<size_t>(surface->width) * surface->height);
  if (!ReadBackBuffer(surface->device, WholeSurface(*surface), pixels.data())) {
    return D3DERR_DEVICELOST;
  }
  image->width = surface->width;
  image->height = surface->height;
  image->pixels = std::move(pixels);
  return S_OK;
}

HRESULT RenderDevice::StretchRect(RenderSurface* sourceSurface, const Rect* sourceRect,
                                  RenderSurface* destSurface, const Rect* destRect,
                                  uint32_t filter) {
  DeviceImpl* device = static_cast<DeviceImpl*>(this);
  if (!sourceSurface || !destSurface || sourceSurface == destSurface) return D3DERR_INVALIDCALL;
  SurfaceImpl* source = Impl(sourceSurface);
  SurfaceImpl* dest = Impl(destSurface);
  if (source->device != device || dest->device != device) return D3DERR_INVALIDCALL;
  if (filter != D3DTEXF_NONE && filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) {
    return D3DERR_INVALIDCALL;
  }
  const Rect from = sourceRect ? *sourceRect : WholeSurface(*source);
  const Rect to = destRect ? *destRect : WholeSurface(*dest);
  if (!InsideSurface(from, *source) || !InsideSurface(to, *dest)) return D3DERR_INVALIDCALL;

  if (dest->isBackBuffer) {
    // A copy over the whole back buffer leaves nothing of what was there.
    const bool covering =
        to.left == 0 && to.top == 0 && to.right == dest->width && to.bottom == dest->height;
    const bool sameSize = from.right - from.left == to.right - to.left &&
                          from.bottom - from.top == to.bottom - to.top;
    if (device->backPixels && sameSize && !PlainDrawing()) {
      // Memory to memory, row by row, as SDL's own blit would: no texture for the surface.
      TargetBackBufferForDrawing(device, covering);
      SDL_RenderFlush(device->renderer);
      SDL_Surface* back = device->backPixels;
      for (int y = 0; y < to.bottom - to.top; ++y) {
        std::memcpy(
            PixelRow(back, to.top + y) + to.left,
            source->pixels.data() + static_cast<size_t>(from.top + y) * source->width + from.left,
            static_cast<size_t>(to.right - to.left) * 4);
      }
      return S_OK;
    }
    if (!RecoverDevice(device) || !BuildSurfaceTexture(source)) return D3DERR_DEVICELOST;
    SDL_SetTextureScaleMode(source->texture,
                            filter == D3DTEXF_LINEAR ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    TargetBackBufferForDrawing(device, covering);
    const SDL_Rect in{from.left, from.top, from.right - from.left, from.bottom - from.top};
    const SDL_Rect out{to.left, to.top, to.right - to.left, to.bottom - to.top};
    return SDL_RenderCopy(device->renderer, source->texture, &in, &out) == 0 ? S_OK : E_FAIL;
  }

  if (source->isBackBuffer) {
    const int width = from.right - from.left;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * (from.bottom - from.top));
    if (!ReadBackBuffer(device, from, pixels.data())) return D3DERR_DEVICELOST;
    const Rect read{0, 0, width, from.bottom - from.top};
    CopyPixels(pixels.data(), width, read, dest->pixels.data(), dest->width, to);
  } else {
    CopyPixels(source->pixels.data(), source->width, from, dest->pixels.data(), dest->width, to);
  }
  dest->version = FreshVersion();
  return S_OK;
}
