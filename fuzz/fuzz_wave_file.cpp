// Wave bytes of any shape through the reader, from memory and from a file by name (which
// must agree), and whatever it accepts through the mix.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wave_file.h"
#include "fuzz_device.h"
#include "platform/audio/sound_device.h"
#include "platform/system/scripted_system.h"

namespace {

SoundDevice* ManualDevice() {
  static SoundDevice* device = [] {
    SetSoundOutputMode(SoundOutputMode::Manual);
    SoundDevice* created = nullptr;
    DirectSoundCreate8(nullptr, &created, nullptr);
    return created;
  }();
  return device;
}

bool SameFormat(const WAVEFORMATEX* first, const WAVEFORMATEX* second) {
  if (!first || !second) return first == second;
  return first->cbSize == second->cbSize &&
         std::memcmp(first, second, sizeof(WAVEFORMATEX) + first->cbSize) == 0;
}

// Reads everything in pieces of changing sizes.
std::vector<uint8_t> ReadInPieces(CWaveFile& wave, const uint8_t* data, size_t size) {
  std::vector<uint8_t> samples;
  uint8_t piece[5000];
  uint32_t pieceSize = 1 + (size > 0 ? data[size - 1] : 0) * 19u;
  for (;;) {
    uint32_t read = 0;
    if (FAILED(wave.Read(piece, pieceSize, &read)) || read == 0) break;
    samples.insert(samples.end(), piece, piece + read);
    pieceSize = pieceSize * 7 % sizeof(piece) + 1;
  }
  return samples;
}

void PlayThroughTheMix(const WAVEFORMATEX* pwfx, const std::vector<uint8_t>& samples,
                       uint8_t setting) {
  SoundDevice* device = ManualDevice();
  if (!device || samples.empty()) return;
  const uint32_t controls = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
  DSBUFFERDESC desc{
      sizeof(DSBUFFERDESC), controls, static_cast<uint32_t>(samples.size()), 0, pwfx, GUID_NULL};
  SoundBuffer* buffer = nullptr;
  if (FAILED(device->CreateSoundBuffer(&desc, &buffer, nullptr))) return;
  void* bytes = nullptr;
  uint32_t length = 0;
  if (SUCCEEDED(buffer->Lock(0, 0, &bytes, &length, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
    std::memcpy(bytes, samples.data(), length);
    buffer->Unlock(bytes, length, nullptr, 0);
  }
  buffer->SetFrequency(DSBFREQUENCY_MIN + setting * 780u);
  buffer->SetPan(setting * 78 - 10000);
  buffer->Play(0, 0, setting & 1 ? DSBPLAY_LOOPING : 0);
  int16_t out[2 * 700];
  device->MixOutput(out, 700);
  buffer->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The trace lines of refused inputs are collected here instead of filling standard error.
  static ScriptedSystem quiet;
  [[maybe_unused]] static SystemDriver* const previous = SetSystemDriver(&quiet);
  quiet.debugOutput.clear();
  if (size > 1u << 24) return 0;

  CWaveFile wave;
  const bool fromMemory = SUCCEEDED(wave.OpenFromMemory(data, static_cast<uint32_t>(size)));
  // The same bytes as a file, opened by its name: its own seeks, sizes and reads. One
  // file for this process, rewritten with every input.
  static const std::string inputFile = (FuzzFolder() / "input.wav").string();
  CWaveFile named;
  const bool haveFile = WriteFuzzFile(inputFile, data, size);
  const bool fromFile =
      haveFile && SUCCEEDED(named.Open(inputFile.c_str(), nullptr, WAVEFILE_READ));
  if (haveFile && fromFile != fromMemory) __builtin_trap();
  if (!fromMemory) return 0;
  // A length never exceeds what the input holds.
  if (wave.GetSize() > size) __builtin_trap();

  const std::vector<uint8_t> first = ReadInPieces(wave, data, size);
  if (first.size() != wave.GetSize()) __builtin_trap();
  if (FAILED(wave.ResetFile())) __builtin_trap();
  const std::vector<uint8_t> second = ReadInPieces(wave, data, size);
  if (second != first) __builtin_trap();

  if (fromFile && (named.GetSize() != wave.GetSize() || !SameFormat(named.m_pwfx, wave.m_pwfx) ||
                   ReadInPieces(named, data, size) != first)) {
    __builtin_trap();
  }

  PlayThroughTheMix(wave.m_pwfx, first, size > 0 ? data[0] : 0);
  return 0;
}
