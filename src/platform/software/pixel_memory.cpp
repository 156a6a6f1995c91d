#include "platform/software/pixel_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t LARGE_PAGE = size_t{2} << 20;
constexpr size_t LARGE_BLOCK = size_t{1} << 20;  // below this, the heap's own blocks do

size_t RoundUp(size_t bytes, size_t unit) { return (bytes + unit - 1) / unit * unit; }

}  // namespace

void* AllocatePixelBlock(size_t bytes) {
  if (bytes < LARGE_BLOCK) return std::malloc(std::max<size_t>(bytes, 1));
  // Whole large pages (a last small-paged stretch would fault page by page again), mapped
  // with one to spare and trimmed to start on one.
  const size_t length = RoundUp(bytes, LARGE_PAGE);
  void* mapped = mmap(nullptr, length + LARGE_PAGE, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = RoundUp(start, LARGE_PAGE);
  if (aligned > start) munmap(mapped, aligned - start);
  const uintptr_t end = start + length + LARGE_PAGE;
  if (end > aligned + length)
    munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
  // Only a hint: where large pages are off the block is plain pages.
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void FreePixelBlock(void* block, size_t bytes) {
  if (!block) return;
  if (bytes < LARGE_BLOCK) {
    std::free(block);
  } else {
    munmap(block, RoundUp(bytes, LARGE_PAGE));
  }
}

bool PixelBlock::Assign(size_t count, uint32_t value) {
  if (count != count_) {
    FreePixelBlock(pixels_, count_ * sizeof(uint32_t));
    count_ = 0;
    pixels_ = static_cast<uint32_t*>(AllocatePixelBlock(count * sizeof(uint32_t)));
    if (!pixels_) return false;
    count_ = count;
  }
  std::fill(pixels_, pixels_ + count, value);
  return true;
}
