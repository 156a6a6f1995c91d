#pragma once
// Screen-sized pixel buffers on large pages where the system offers them. Each fresh small
// page costs a fault when first touched, and a picture of a few megabytes is a thousand of
// them: at start-up that was most of the time the table took to load.
#include <cstddef>
#include <cstdint>

// At least `bytes`, uninitialised; null when there is no memory. Freed with the same size.
void* AllocatePixelBlock(size_t bytes);
void FreePixelBlock(void* block, size_t bytes);

// The pixels a surface owns.
class PixelBlock {
 public:
  PixelBlock() = default;
  PixelBlock(const PixelBlock&) = delete;
  PixelBlock& operator=(const PixelBlock&) = delete;
  ~PixelBlock() { FreePixelBlock(pixels_, count_ * sizeof(uint32_t)); }

  // `count` pixels, all `value`; false, holding none, when there is no memory.
  bool Assign(size_t count, uint32_t value);
  uint32_t* data() { return pixels_; }
  const uint32_t* data() const { return pixels_; }
  size_t size() const { return count_; }
  uint32_t& operator[](size_t i) { return pixels_[i]; }

 private:
  uint32_t* pixels_ = nullptr;
  size_t count_ = 0;
};
