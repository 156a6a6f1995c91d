#pragma once
// What the drawing on the processor keeps from one drawing to the next, with one owner:
// for each version of a texture's texels its stretches, its bordered rectangle and its
// turned looks, and the smooth scaler's tables. Texels are known by a version number that
// no other texels, and no earlier state of the same ones, ever had: whatever writes them
// takes a fresh one, so nothing kept from what they were can be found for what they are.
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gfx/rect.h"
#include "platform/software/smooth_scaler.h"

// A number for texels just made or written, never given out before.
uint64_t FreshVersion();

// A texture's ARGB texels, `width` to a row, as one version of them.
struct TexelImage {
  const uint32_t* texels = nullptr;
  int width = 0;
  int height = 0;
  uint64_t version = 0;
};

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePointer = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A part of the texels stretched to another size as SDL's software renderer stretches it
// for every copy.
struct KeptStretch {
  Rect source;
  int width = 0;
  int height = 0;
  SurfacePointer surface;
  std::vector<uint16_t> spans;  // each row's first and last-plus-one texel with any alpha
  // Its texels tinted by `tint` and weighed by their alphas, ready to go over the back
  // buffer: made once the same tint comes twice running (`lastTint`).
  std::vector<uint32_t> tinted;
  uint32_t tint = 0;
  uint32_t lastTint = 0;
};

// A turned rectangle of the texels as one turn and scale and one place within a pixel
// show it: filtered and tinted over the pixels it covers, not yet blended.
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

// Everything kept from one version of a texture's texels.
struct KeptImage {
  KeptStretch stretches[2];  // a sprite is drawn at one size or two
  int nextStretch = 0;
  // One rectangle's texels inside a border of copies of their edge texels, for turned
  // drawing without a check at each edge; empty until a rectangle is drawn turned.
  std::vector<uint32_t> bordered;
  Rect borderedSource;
  Rect borderedInk;               // within that rectangle, the texels with any alpha
  std::vector<TurnedLook> looks;  // in sets of a few, once drawn turned
  uint32_t lookClock = 0;
};

class KeptDrawings {
 public:
  // What is kept from exactly this version of the texels: the one place that says whether
  // a kept result may be used. Empty the first time.
  KeptImage& For(const TexelImage& image);
  // What was kept from this version is not wanted again: its texels changed or are gone.
  void Forget(uint64_t version);
  // Scales as ScaleSmoothly does, with tables kept for the sizes.
  void ScaleSmoothly(const SDL_Surface* source, SDL_Surface* target, const SDL_Rect& where);

 private:
  std::unordered_map<uint64_t, KeptImage> images_;
  // The last one asked for: a frame draws one texture many times running.
  uint64_t lastVersion_ = 0;
  KeptImage* last_ = nullptr;
  SmoothScaler scaler_;
  int shuffleBytes_ = ProcessorShuffleBytes();
};
