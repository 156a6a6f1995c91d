// What the device draws into its memory back buffer itself, through platform/software,
// rather than through SDL's renderer: unturned sprites where that is quicker, and runs of
// bar slices gathered to be blended together.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/gfx/render_internal.h"

namespace {

bool plainDrawing = false;

// Gathers a slice into the pending run when it continues it, else starts a new run.
void AddSlice(DeviceImpl* device, TextureImpl* texture, const Rect& source, int x, int y,
              uint32_t color) {
  SliceRun& run = device->pendingSlices;
  const bool continues = run.count > 0 && run.texture == texture && run.source == source &&
                         run.color == color && run.y == y &&
                         (run.count == 1 ? x > run.x : x == run.x + run.step * run.count);
  if (!continues) {
    BackPixelsForWriting(device);  // draws the run before, and whatever else is waiting
    run = SliceRun{texture, source, color, x, y, 0, 0};
  } else if (run.count == 1) {
    run.step = x - run.x;
  }
  ++run.count;
}

}  // namespace

void DrawPendingSlices(DeviceImpl* device) {
  SliceRun& run = device->pendingSlices;
  if (run.count == 0) return;
  const SliceRun slices = run;
  run.count = 0;
  BlendSlices(Texels(*slices.texture), slices.source, slices.color, slices.x, slices.y, slices.step,
              slices.count, device->backPixels);
}

void SetPlainDrawing(bool plain) { plainDrawing = plain; }
bool PlainDrawing() { return plainDrawing; }

bool DrawUnturnedItself(DeviceImpl* device, TextureImpl* texture, const Rect& source,
                        Vector2 corner, float width, float height, uint32_t color, bool blend) {
  if (!device->backPixels || plainDrawing) return false;
  // SDL's software renderer takes whole pixels; a fraction is left to it.
  if (corner.x != std::floor(corner.x) || corner.y != std::floor(corner.y) ||
      std::fabs(corner.x) > 1e6f || std::fabs(corner.y) > 1e6f) {
    return false;
  }
  const int x = static_cast<int>(corner.x);
  const int y = static_cast<int>(corner.y);
  const int w = std::max(static_cast<int>(width), 1);
  const int h = std::max(static_cast<int>(height), 1);
  const bool stretch = w != source.right - source.left || h != source.bottom - source.top;
  SDL_ScaleMode mode = SDL_ScaleModeNearest;
  if (stretch &&
      (SDL_GetTextureScaleMode(texture->texture, &mode) != 0 || mode != SDL_ScaleModeLinear)) {
    return false;
  }
  // An untinted copy at its own size is SDL's quickest already.
  if (!stretch && !(blend && color != 0xFFFFFFFFu)) return false;
  if (!stretch && source.right - source.left == 1) {
    AddSlice(device, texture, source, x, y, color);
    return true;
  }
  return DrawUnturned(device->kept, Texels(*texture), source, x, y, w, h, color, blend,
                      BackPixelsForWriting(device));
}
