#pragma once
// Two ARGB pixels as eight 16-bit lanes (blue, green, red and alpha of the first, then of
// the second), for pixel arithmetic that the compiler turns into the processor's vector
// instructions.
#include <cstdint>
#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "ARGB words are read as B, G, R, A bytes");

using PixelLanes = uint16_t __attribute__((vector_size(16)));

using ByteLanes = uint8_t __attribute__((vector_size(16)));

// Widened by interleaving with zero bytes: one instruction where a conversion takes five.
inline PixelLanes Widen(ByteLanes bytes) {
  const ByteLanes wide = __builtin_shufflevector(bytes, ByteLanes{}, 0, 16, 1, 17, 2, 18, 3, 19, 4,
                                                 20, 5, 21, 6, 22, 7, 23);
  PixelLanes lanes;
  std::memcpy(&lanes, &wide, sizeof lanes);
  return lanes;
}

using WordLanes = uint64_t __attribute__((vector_size(16)));

// Eight bytes into the low half, the high half zero: one load, no trip through memory.
inline PixelLanes WidenWord(uint64_t word) {
  const WordLanes words = {word, 0};
  ByteLanes bytes;
  std::memcpy(&bytes, &words, sizeof bytes);
  return Widen(bytes);
}

// Two pixels as one word, wherever they lie.
inline uint64_t LoadWord(const uint32_t* pixels) {
  uint64_t word;
  std::memcpy(&word, pixels, sizeof word);
  return word;
}

inline PixelLanes LoadTwo(const uint32_t* pixels) { return WidenWord(LoadWord(pixels)); }

inline PixelLanes LoadPair(uint32_t first, uint32_t second) {
  return WidenWord(static_cast<uint64_t>(second) << 32 | first);
}

// The low byte of each lane, packed: the two pixels as one word.
inline uint64_t PackTwo(PixelLanes lanes) {
  using PackedBytes = uint8_t __attribute__((vector_size(8)));
  const PackedBytes bytes = __builtin_convertvector(lanes, PackedBytes);
  uint64_t word;
  std::memcpy(&word, &bytes, sizeof word);
  return word;
}

inline void StoreTwo(uint32_t* pixels, PixelLanes lanes) {
  const uint64_t word = PackTwo(lanes);
  std::memcpy(pixels, &word, sizeof word);
}

inline uint32_t FirstOf(PixelLanes lanes) { return static_cast<uint32_t>(PackTwo(lanes)); }

inline PixelLanes SameLanes(uint16_t value) { return PixelLanes{} + value; }

// The four channels of an ARGB colour, for both pixels.
inline PixelLanes ChannelLanes(uint32_t color) { return LoadPair(color, color); }

// Each pixel's alpha in all four of its lanes.
inline PixelLanes AlphaLanes(PixelLanes lanes) {
  return __builtin_shufflevector(lanes, lanes, 3, 3, 3, 3, 7, 7, 7, 7);
}

// x / 255 rounded down: exact for every x below 65535.
inline PixelLanes Divide255(PixelLanes x) { return (x + 1 + (x >> 8)) >> 8; }

// x / 255 rounded to nearest: exact up to 255 × 255.
inline PixelLanes Round255(PixelLanes x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}
