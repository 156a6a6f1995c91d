#include "platform/software/kept_drawings.h"

#include <atomic>

uint64_t FreshVersion() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

KeptImage& KeptDrawings::For(const TexelImage& image) {
  // Kept under the version alone: texels written since have another, and find nothing.
  if (last_ && lastVersion_ == image.version) return *last_;
  last_ = &images_[image.version];
  lastVersion_ = image.version;
  return *last_;
}

void KeptDrawings::Forget(uint64_t version) {
  if (last_ && lastVersion_ == version) last_ = nullptr;
  images_.erase(version);
}

void KeptDrawings::ScaleSmoothly(const SDL_Surface* source, SDL_Surface* target,
                                 const SDL_Rect& where) {
  ::ScaleSmoothly(&scaler_, source, target, where, shuffleBytes_);
}
