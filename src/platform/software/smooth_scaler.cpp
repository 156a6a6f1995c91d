// The back buffer in memory scaled smoothly into the window in full screen or a resized
// window. The weights depend only on the sizes and are kept from frame to frame. Where the
// processor has byte shuffles (nearly all do) one shuffle and one multiply-add weigh two
// or four pixels.
#include "platform/software/smooth_scaler.h"

#include <algorithm>

#include "platform/software/pixel_lanes.h"
#include "platform/software/software_drawing.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZF_BYTE_SHUFFLES 1
#endif

namespace {

constexpr int GROUP = 8;  // output pixels widened together, at most

// Where output pixel `i` of `to` samples a line of `from`: the pixel before the point and
// the weight of the one after it, out of 64.
void Tap(int i, int from, int to, int32_t* start, uint8_t* weight) {
  const double point = std::clamp((i + 0.5) * from / to - 0.5, 0.0, from - 1.0);
  *start = std::min(static_cast<int32_t>(point), from - 2);
  *weight = static_cast<uint8_t>((point - *start) * 64.0 + 0.5);
}

// Each pair of output pixels from one load of four source pixels, each channel of a pixel's
// two beside each other. Where a pair reaches further (a picture made less than half as
// wide) the shuffles are not used.
void PrepareShuffles(SmoothScaler* scaler) {
  const size_t pairs = scaler->starts.size() / 2;
  scaler->windows.resize(pairs);
  scaler->orders.resize(pairs * 16);
  for (size_t p = 0; p < pairs; ++p) {
    const int32_t window = std::min(scaler->starts[2 * p], scaler->sourceWidth - 4);
    scaler->windows[p] = window;
    for (size_t k = 0; k < 2; ++k) {
      const int32_t from = scaler->starts[2 * p + k] - window;
      if (window < 0 || from < 0 || from > 2) scaler->shuffleBytes = 0;
      for (int channel = 0; channel < 4; ++channel) {
        scaler->orders[16 * p + 8 * k + 2 * channel] = static_cast<uint8_t>(4 * from + channel);
        scaler->orders[16 * p + 8 * k + 2 * channel + 1] =
            static_cast<uint8_t>(4 * from + 4 + channel);
      }
    }
  }
}

void Prepare(SmoothScaler* scaler, int sourceWidth, int sourceHeight, int width, int height,
             int widest) {
  scaler->sourceWidth = sourceWidth;
  scaler->sourceHeight = sourceHeight;
  scaler->width = width;
  scaler->height = height;
  scaler->widest = widest;
  scaler->shuffleBytes = std::min(widest, ProcessorShuffleBytes());
  const size_t padded = (static_cast<size_t>(width) + GROUP - 1) / GROUP * GROUP;
  scaler->starts.resize(padded);
  scaler->weights.resize(padded * 8);
  for (size_t i = 0; i < padded; ++i) {
    uint8_t weight = 0;
    Tap(std::min<int>(static_cast<int>(i), width - 1), sourceWidth, width, &scaler->starts[i],
        &weight);
    // Each channel of the pixel beside the same channel of the next one.
    for (size_t k = 0; k < 4; ++k) {
      scaler->weights[8 * i + 2 * k] = static_cast<int8_t>(64 - weight);
      scaler->weights[8 * i + 2 * k + 1] = static_cast<int8_t>(weight);
    }
  }
  PrepareShuffles(scaler);
  scaler->rows.resize(height);
  for (int y = 0; y < height; ++y)
    Tap(y, sourceHeight, height, &scaler->rows[y].start, &scaler->rows[y].weight);
  for (std::vector<uint32_t>& row : scaler->widened) row.assign(padded, 0);
  scaler->widenedRow[0] = scaler->widenedRow[1] = -1;
}

// Two output pixels at a time in the compiler's own vectors.
void WidenPlain(const SmoothScaler& scaler, const uint32_t* in, uint32_t* out) {
  const auto weighed = [&](size_t i) {
    const uint16_t keep = static_cast<uint16_t>(scaler.weights[8 * i]);
    const uint16_t take = static_cast<uint16_t>(scaler.weights[8 * i + 1]);
    const PixelLanes products =
        LoadTwo(in + scaler.starts[i]) * PixelLanes{keep, keep, keep, keep, take, take, take, take};
    return (products + __builtin_shufflevector(products, products, 4, 5, 6, 7, 0, 1, 2, 3) + 32) >>
           6;
  };
  for (size_t i = 0; i < scaler.starts.size(); i += 2) {
    StoreTwo(out + i,
             __builtin_shufflevector(weighed(i), weighed(i + 1), 0, 1, 2, 3, 8, 9, 10, 11));
  }
}

void MixPlain(const uint32_t* above, const uint32_t* below, uint8_t weight, int count,
              uint32_t* out) {
  const PixelLanes keep = SameLanes(static_cast<uint16_t>(64 - weight));
  const PixelLanes take = SameLanes(weight);
  const auto mixed = [&](PixelLanes a, PixelLanes b) { return (a * keep + b * take + 32) >> 6; };
  int i = 0;
  for (; i + 2 <= count; i += 2) StoreTwo(out + i, mixed(LoadTwo(above + i), LoadTwo(below + i)));
  if (i < count) out[i] = FirstOf(mixed(LoadPair(above[i], 0), LoadPair(below[i], 0)));
}

#ifdef ZF_BYTE_SHUFFLES

// Output pixels i and i + 1: their two source pixels each, weighed.
__attribute__((target("ssse3"))) inline __m128i WeighTwo(const SmoothScaler& scaler,
                                                         const uint32_t* in, size_t i) {
  const __m128i taps =
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + scaler.windows[i / 2]));
  const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&scaler.orders[8 * i]));
  const __m128i sums =
      _mm_maddubs_epi16(_mm_shuffle_epi8(taps, order),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(&scaler.weights[8 * i])));
  return _mm_srli_epi16(_mm_add_epi16(sums, _mm_set1_epi16(32)), 6);
}

__attribute__((target("ssse3"))) void WidenBy16(const SmoothScaler& scaler, const uint32_t* in,
                                                uint32_t* out) {
  for (size_t i = 0; i < scaler.starts.size(); i += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(WeighTwo(scaler, in, i), WeighTwo(scaler, in, i + 2)));
  }
}

__attribute__((target("ssse3"))) void MixBy16(const uint32_t* above, const uint32_t* below,
                                              uint8_t weight, int count, uint32_t* out) {
  // The row above's bytes at even places, the row below's at odd ones.
  const __m128i weights = _mm_set1_epi16(static_cast<short>(weight << 8 | (64 - weight)));
  const __m128i half = _mm_set1_epi16(32);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + i));
    const __m128i low = _mm_add_epi16(_mm_maddubs_epi16(_mm_unpacklo_epi8(a, b), weights), half);
    const __m128i high = _mm_add_epi16(_mm_maddubs_epi16(_mm_unpackhi_epi8(a, b), weights), half);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(_mm_srli_epi16(low, 6), _mm_srli_epi16(high, 6)));
  }
  MixPlain(above + i, below + i, weight, count - i, out + i);
}

// Output pixels i to i + 3, as WeighTwo does two.
__attribute__((target("avx2"))) inline __m256i WeighFour(const SmoothScaler& scaler,
                                                         const uint32_t* in, size_t i) {
  const __m256i taps =
      _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(in + scaler.windows[i / 2 + 1]),
                          reinterpret_cast<const __m128i*>(in + scaler.windows[i / 2]));
  const __m256i order = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&scaler.orders[8 * i]));
  const __m256i sums = _mm256_maddubs_epi16(
      _mm256_shuffle_epi8(taps, order),
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&scaler.weights[8 * i])));
  return _mm256_srli_epi16(_mm256_add_epi16(sums, _mm256_set1_epi16(32)), 6);
}

__attribute__((target("avx2"))) void WidenBy32(const SmoothScaler& scaler, const uint32_t* in,
                                               uint32_t* out) {
  for (size_t i = 0; i < scaler.starts.size(); i += 8) {
    // Packed by halves: pixels 0, 1, 4, 5 in the low one; put back in order.
    const __m256i packed =
        _mm256_packus_epi16(WeighFour(scaler, in, i), WeighFour(scaler, in, i + 4));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_permute4x64_epi64(packed, 0xD8));
  }
}

__attribute__((target("avx2"))) void MixBy32(const uint32_t* above, const uint32_t* below,
                                             uint8_t weight, int count, uint32_t* out) {
  const __m256i weights = _mm256_set1_epi16(static_cast<short>(weight << 8 | (64 - weight)));
  const __m256i half = _mm256_set1_epi16(32);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(above + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(below + i));
    const __m256i low =
        _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), weights), half);
    const __m256i high =
        _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), weights), half);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_packus_epi16(_mm256_srli_epi16(low, 6), _mm256_srli_epi16(high, 6)));
  }
  MixPlain(above + i, below + i, weight, count - i, out + i);
}

#endif

void Widen(const SmoothScaler& scaler, const uint32_t* in, uint32_t* out) {
#ifdef ZF_BYTE_SHUFFLES
  if (scaler.shuffleBytes == 32) return WidenBy32(scaler, in, out);
  if (scaler.shuffleBytes == 16) return WidenBy16(scaler, in, out);
#endif
  WidenPlain(scaler, in, out);
}

void Mix(const SmoothScaler& scaler, const uint32_t* above, const uint32_t* below, uint8_t weight,
         int count, uint32_t* out) {
#ifdef ZF_BYTE_SHUFFLES
  if (scaler.shuffleBytes == 32) return MixBy32(above, below, weight, count, out);
  if (scaler.shuffleBytes == 16) return MixBy16(above, below, weight, count, out);
#endif
  MixPlain(above, below, weight, count, out);
}

}  // namespace

int ProcessorShuffleBytes() {
#ifdef ZF_BYTE_SHUFFLES
  if (__builtin_cpu_supports("avx2")) return 32;
  if (__builtin_cpu_supports("ssse3")) return 16;
#endif
  return 0;
}

void ScaleSmoothly(SmoothScaler* scaler, const SDL_Surface* source, SDL_Surface* target,
                   const SDL_Rect& where, int widest) {
  if (source->w < 2 || source->h < 2 || where.w <= 0 || where.h <= 0) return;
  if (scaler->sourceWidth != source->w || scaler->sourceHeight != source->h ||
      scaler->width != where.w || scaler->height != where.h || scaler->widest != widest) {
    Prepare(scaler, source->w, source->h, where.w, where.h, widest);
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
    Mix(*scaler, scaler->widened[row.start & 1].data(), scaler->widened[(row.start + 1) & 1].data(),
        row.weight, where.w, out);
  }
}
