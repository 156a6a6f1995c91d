// What mixing costs: one second of output with all six of the game's sounds playing at
// once, as a fraction of that second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/audio/sound_device.h"

namespace {

constexpr uint32_t CALLBACK_FRAMES = 512;  // what the output asks for at a time

struct SoundShape {
  double seconds;
  uint16_t channels, bits;
  uint32_t rate;
};

// The six sounds as the game has them (16-bit, 22050 Hz), and the same set in assorted
// formats that need converting and resampling.
const SoundShape GAME_SOUNDS[6] = {{0.45, 1, 16, 22050}, {0.3, 1, 16, 22050}, {1.0, 1, 16, 22050},
                                   {24.0, 1, 16, 22050}, {0.4, 1, 16, 22050}, {0.25, 1, 16, 22050}};
const SoundShape ASSORTED_SOUNDS[6] = {{0.45, 2, 16, 44100}, {0.3, 1, 8, 11025},
                                       {1.0, 2, 8, 22050},   {24.0, 2, 16, 22050},
                                       {0.4, 1, 16, 32000},  {0.25, 1, 8, 8000}};

// A buffer of a sine wave, looping, so that it is still playing however long the
// benchmark runs.
SoundBuffer* MakePlayingBuffer(SoundDevice* device, const SoundShape& shape) {
  const uint16_t blockAlign = static_cast<uint16_t>(shape.channels * shape.bits / 8);
  const WAVEFORMATEX wfx{WAVE_FORMAT_PCM, shape.channels, shape.rate, shape.rate * blockAlign,
                         blockAlign,      shape.bits,     0};
  const uint32_t bytes = static_cast<uint32_t>(shape.seconds * shape.rate) * blockAlign;
  DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, bytes, 0, &wfx, GUID_NULL};
  SoundBuffer* buffer = nullptr;
  if (device->CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK) return nullptr;
  void* data = nullptr;
  uint32_t length = 0;
  buffer->Lock(0, 0, &data, &length, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
  for (uint32_t i = 0; i < length; ++i)
    static_cast<uint8_t*>(data)[i] = uint8_t(128 + 100 * std::sin(i * 0.05));
  buffer->Unlock(data, length, nullptr, 0);
  buffer->Play(0, 0, DSBPLAY_LOOPING);
  return buffer;
}

void MixOneSecond(benchmark::State& state, const SoundShape* sounds) {
  SetSoundOutputMode(SoundOutputMode::Manual);
  SoundDevice* device = nullptr;
  if (DirectSoundCreate8(nullptr, &device, nullptr) != DS_OK)
    return state.SkipWithError("no sound device");
  std::vector<SoundBuffer*> buffers;
  for (int i = 0; i < 6; ++i) buffers.push_back(MakePlayingBuffer(device, sounds[i]));
  std::vector<int16_t> output(CALLBACK_FRAMES * MIX_CHANNELS);

  for (auto _ : state) {
    for (uint32_t mixed = 0; mixed < MIX_FRAMES_PER_SECOND; mixed += CALLBACK_FRAMES) {
      device->MixOutput(output.data(), CALLBACK_FRAMES);
      benchmark::DoNotOptimize(output.data());
    }
  }
  // Seconds spent per second of sound.
  state.counters["fraction_of_real_time"] = benchmark::Counter(
      1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);

  for (SoundBuffer* buffer : buffers)
    if (buffer) buffer->Release();
  device->Release();
  SetSoundOutputMode(SoundOutputMode::Speakers);
}

void BM_MixSixGameSounds(benchmark::State& state) { MixOneSecond(state, GAME_SOUNDS); }
void BM_MixSixAssortedFormats(benchmark::State& state) { MixOneSecond(state, ASSORTED_SOUNDS); }

BENCHMARK(BM_MixSixGameSounds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixSixAssortedFormats)->Unit(benchmark::kMillisecond);

}  // namespace
