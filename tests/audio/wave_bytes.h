#pragma once
// Wave files for tests: hand-built bytes for the broken ones the writer would never make,
// and the game's own writer for good ones.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "../test_files.h"
#include "audio/wave_file.h"

using Bytes = std::vector<uint8_t>;

inline void PutLe(Bytes& bytes, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A chunk with its header, padded to an even length.
inline Bytes Chunk(const char* id, const Bytes& payload, uint32_t claimedSize = UINT32_MAX) {
  Bytes bytes(id, id + 4);
  PutLe(bytes, claimedSize == UINT32_MAX ? static_cast<uint32_t>(payload.size()) : claimedSize, 4);
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  if (payload.size() % 2) bytes.push_back(0);
  return bytes;
}

inline Bytes Riff(const char* form, std::initializer_list<Bytes> children,
                  const char* id = "RIFF") {
  Bytes payload(form, form + 4);
  for (const Bytes& child : children) payload.insert(payload.end(), child.begin(), child.end());
  return Chunk(id, payload);
}

inline WAVEFORMATEX MakeFormat(uint16_t channels, uint32_t rate, uint16_t bits,
                               uint16_t tag = WAVE_FORMAT_PCM) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
  return WAVEFORMATEX{tag, channels, rate, rate * blockAlign, blockAlign, bits, 0};
}

// The 16 bytes of a format record, without the extra count.
inline Bytes FormatBytes(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  const WAVEFORMATEX format = MakeFormat(channels, rate, bits, tag);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&format);
  return Bytes(bytes, bytes + 16);
}

inline Bytes Pcm16Mono() { return FormatBytes(WAVE_FORMAT_PCM, 1, 22050, 16); }

inline Bytes Samples16(const std::vector<int16_t>& samples) {
  Bytes bytes;
  for (int16_t sample : samples) PutLe(bytes, static_cast<uint16_t>(sample), 2);
  return bytes;
}

// Writes a wave with the game's own writer.
inline std::string WriteWave(const WAVEFORMATEX& wfx, const Bytes& data,
                             const char* suffix = ".wav") {
  std::string name = TestFile(suffix);
  CWaveFile writer;
  EXPECT_EQ(writer.Open(name.c_str(), &wfx, WAVEFILE_WRITE), S_OK);
  uint32_t written = 0;
  const uint8_t nothing = 0;
  EXPECT_EQ(writer.Write(static_cast<uint32_t>(data.size()), data.empty() ? &nothing : data.data(),
                         &written),
            S_OK);
  EXPECT_EQ(written, data.size());
  EXPECT_EQ(writer.Close(), S_OK);
  return name;
}
