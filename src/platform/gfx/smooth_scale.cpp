// The back buffer in memory scaled smoothly into the window in full screen or a resized
// window: each source row is widened once (two neighbouring pixels weighed, two pixels at
// a time), and each output row mixes the two widened rows around it. The weights depend
// only on the sizes and are kept from frame to frame.
#include <SDL.h>

#include <algorithm>

#include "platform/gfx/render_internal.h"

namespace {

// Where output pixel `i` of `to` samples a line of `from`: the pixel before the point and
// the weight of the one after it, out of 256.
void Tap(int i, int from, int to, int32_t* start, uint16_t* weight) {
  const double point = std::clamp((i + 0.5) * from / to - 0.5, 0.0, from - 1.0);
  *start = std::min(static_cast<int32_t>(point), from - 2);
  *weight = static_cast<uint16_t>((point - *start) * 256.0 + 0.5);
}

void Prepare(SmoothScaler* scaler, int sourceWidth, int sourceHeight, int width, int height) {
  scaler->sourceWidth = sourceWidth;
  scaler->sourceHeight = sourceHeight;
  scaler->width = width;
  scaler->height = height;
  scaler->columns.resize(static_cast<size_t>(width + 1) / 2);
  for (int i = 0; i < width; i += 2) {
    int32_t starts[2];
    uint16_t weights[2];
    Tap(i, sourceWidth, width, &starts[0], &weights[0]);
    Tap(std::min(i + 1, width - 1), sourceWidth, width, &starts[1], &weights[1]);
    PixelLanes lanes[2];
    for (int k = 0; k < 2; ++k) {
      const uint16_t left = static_cast<uint16_t>(256 - weights[k]);
      lanes[k] = PixelLanes{left, left, left, left, weights[k], weights[k], weights[k], weights[k]};
    }
    scaler->columns[i / 2] = SmoothScaler::Pair{starts[0], starts[1], lanes[0], lanes[1]};
  }
  scaler->rows.resize(height);
  for (int y = 0; y < height; ++y)
    Tap(y, sourceHeight, height, &scaler->rows[y].start, &scaler->rows[y].weight);
  for (std::vector<uint32_t>& row : scaler->widened) row.assign(static_cast<size_t>(width) + 1, 0);
  scaler->widenedRow[0] = scaler->widenedRow[1] = -1;
}

// One source row to the output's width.
void Widen(const SmoothScaler& scaler, const uint32_t* in, uint32_t* out) {
  for (const SmoothScaler::Pair& pair : scaler.columns) {
    const PixelLanes first = LoadTwo(in + pair.first) * pair.firstWeights;
    const PixelLanes second = LoadTwo(in + pair.second) * pair.secondWeights;
    StoreTwo(out, (__builtin_shufflevector(first, second, 0, 1, 2, 3, 8, 9, 10, 11) +
                   __builtin_shufflevector(first, second, 4, 5, 6, 7, 12, 13, 14, 15)) >>
                      8);
    out += 2;
  }
}

// Two widened rows mixed, byte by byte (the compiler makes it vector code).
void Mix(const uint32_t* above, const uint32_t* below, uint16_t weight, int count, uint32_t* out) {
  const uint8_t* a = reinterpret_cast<const uint8_t*>(above);
  const uint8_t* b = reinterpret_cast<const uint8_t*>(below);
  uint8_t* o = reinterpret_cast<uint8_t*>(out);
  const uint16_t keep = static_cast<uint16_t>(256 - weight);
  for (int i = 0; i < count * 4; ++i)
    o[i] = static_cast<uint8_t>((a[i] * keep + b[i] * weight) >> 8);
}

}  // namespace

void ScaleSmoothly(SmoothScaler* scaler, const SDL_Surface* source, SDL_Surface* target,
                   const SDL_Rect& where) {
  if (source->w < 2 || source->h < 2 || where.w <= 0 || where.h <= 0) return;
  if (scaler->sourceWidth != source->w || scaler->sourceHeight != source->h ||
      scaler->width != where.w || scaler->height != where.h) {
    Prepare(scaler, source->w, source->h, where.w, where.h);
  }
  scaler->widenedRow[0] = scaler->widenedRow[1] = -1;  // a new picture
  for (int y = 0; y < where.h; ++y) {
    const SmoothScaler::Row row = scaler->rows[y];
    for (int k = 0; k < 2; ++k) {
      const int wanted = row.start + k;
      const int slot = wanted & 1;
      if (scaler->widenedRow[slot] == wanted) continue;
      Widen(*scaler, PixelRow(source, wanted), scaler->widened[slot].data());
      scaler->widenedRow[slot] = wanted;
    }
    uint32_t* out = PixelRow(target, where.y + y) + where.x;
    Mix(scaler->widened[row.start & 1].data(), scaler->widened[(row.start + 1) & 1].data(),
        row.weight, where.w, out);
  }
}
