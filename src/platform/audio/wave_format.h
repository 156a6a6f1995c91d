#pragma once
// The format record of a wave: as stored in a wave file's "fmt " chunk, packed and
// little-endian, followed in memory by cbSize extra bytes.
#include <cstdint>

constexpr uint16_t WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct PCMWAVEFORMAT {
  uint16_t wFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;
  uint16_t wBitsPerSample;
};

struct WAVEFORMATEX {
  uint16_t wFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;
  uint16_t wBitsPerSample;  // 8: unsigned samples; 16: signed
  uint16_t cbSize;          // extra bytes that follow the record
};
#pragma pack(pop)

static_assert(sizeof(PCMWAVEFORMAT) == 16, "the record is stored as 16 bytes");
static_assert(sizeof(WAVEFORMATEX) == 18, "the record is stored as 18 bytes");
