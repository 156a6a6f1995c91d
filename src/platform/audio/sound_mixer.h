#pragma once
// The mixing of sound buffers into the output: every voice in its own format (8-bit
// unsigned or 16-bit signed, mono or stereo, any rate) converted to 2 channels of 16-bit
// samples at 22050 frames per second and summed with saturation.
#include <cstdint>

constexpr uint32_t MIX_FRAMES_PER_SECOND = 22050;
constexpr uint32_t MIX_CHANNELS = 2;
constexpr int32_t UNITY_GAIN = 65536;

// Sample bytes shared by a buffer and its duplicates. Owned by the buffers that use it
// (dwRefs); dwLocks counts regions handed out for writing, during which it is not mixed.
struct SampleMemory {
  uint8_t* pbBytes = nullptr;
  uint32_t dwBytes = 0;
  uint32_t dwRefs = 0;
  uint32_t dwLocks = 0;
};

struct SoundVoice {
  const SampleMemory* pMemory = nullptr;
  uint16_t wChannels = 1;       // 1 or 2
  uint16_t wBitsPerSample = 16;  // 8 or 16
  uint16_t wBlockAlign = 2;
  uint32_t dwFrames = 0;        // whole frames in the memory
  uint64_t qwPosition = 0;      // frame index in the upper 32 bits, fraction below
  uint64_t qwStep = uint64_t{1} << 32;  // source frames per output frame, same fixed point
  int32_t lGainLeft = UNITY_GAIN;
  int32_t lGainRight = UNITY_GAIN;
  bool bPlaying = false;
  bool bLooping = false;
};

// The step for playing a voice at the given rate (frames per second).
uint64_t StepForFrequency(uint32_t dwFrequency);
// Gains for a volume in hundredths of a decibel (0 full, -10000 silent) and a pan
// (-10000 left only, 0 centre, 10000 right only), as a fraction of UNITY_GAIN.
void GainsForVolumeAndPan(int32_t lVolume, int32_t lPan, int32_t* plLeft, int32_t* plRight);

// Adds the voice's next dwFrames output frames to the accumulator (left, right, left, ...)
// and moves it on. A voice playing once stops at its end and goes back to its start; a
// looping one goes on from its start.
void MixVoice(SoundVoice& voice, int32_t* plAccumulator, uint32_t dwFrames);
// Moves the voice on by qwFrames output frames as MixVoice would, without a sound: for
// the time no output takes the mix.
void AdvanceVoice(SoundVoice& voice, uint64_t qwFrames);
// Writes the accumulated samples as 16-bit samples, clipped at full scale.
void SaturateSamples(const int32_t* plAccumulator, int16_t* psOutput, uint32_t dwSamples);
