#pragma once
// An image held by the rendering device for drawing through a sprite batch. The device
// keeps a copy of the pixels so that it can rebuild the texture when the renderer
// loses it.
#include <cstdint>

#include "platform/gfx/rect.h"
#include "platform/gfx/render_device.h"

struct Texture {
  void Release();
  int Width() const;
  int Height() const;
  // The texture's own ARGB pixels (null rect: all of them), to be written in place until
  // UnlockRect, which draws with them from then on. One lock at a time; flags must be 0.
  HRESULT LockRect(LockedRect* locked, const Rect* rect, uint32_t flags);
  HRESULT UnlockRect();

 protected:
  Texture() = default;
  ~Texture() = default;
};
