#pragma once
// The mixing of sound buffers into the output: every voice in its own format (8-bit
// unsigned or 16-bit signed, mono or stereo, any rate) converted to 2 channels of 16-bit
// samples at 22050 frames per second, summed, kept under full scale and set to the
// player's volume.
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
  uint16_t wChannels = 1;        // 1 or 2
  uint16_t wBitsPerSample = 16;  // 8 or 16
  uint16_t wBlockAlign = 2;
  uint32_t dwFrames = 0;                // whole frames in the memory
  uint64_t qwPosition = 0;              // frame index in the upper 32 bits, fraction below
  uint64_t qwStep = uint64_t{1} << 32;  // source frames per output frame, same fixed point
  int32_t lGainLeft = UNITY_GAIN;
  int32_t lGainRight = UNITY_GAIN;
  bool bPlaying = false;
  bool bLooping = false;
  uint32_t dwFadeFrames = 0;  // frames left of a fade to nothing, 0 for a voice not fading
};

// A voice stopped in mid-sound is heard going down to nothing over these frames (about
// 12 ms, the volume's pace) rather than cut, which would click.
constexpr uint32_t STOP_FADE_FRAMES = 256;

// The step for playing a voice at the given rate (frames per second).
uint64_t StepForFrequency(uint32_t dwFrequency);
// Gains for a volume in hundredths of a decibel (0 full, -10000 silent) and a pan
// (-10000 left only, 0 centre, 10000 right only), as a fraction of UNITY_GAIN.
void GainsForVolumeAndPan(int32_t lVolume, int32_t lPan, int32_t* plLeft, int32_t* plRight);

// Adds the voice's next dwFrames output frames to the accumulator (left, right, left, ...)
// and moves it on. A voice playing once stops at its end and goes back to its start; a
// looping one goes on from its start; a fading one stops when its fade is done.
void MixVoice(SoundVoice& voice, int32_t* plAccumulator, uint32_t dwFrames);
// Moves the voice on by qwFrames output frames as MixVoice would, without a sound: for
// the time no output takes the mix.
void AdvanceVoice(SoundVoice& voice, uint64_t qwFrames);
// The most the summed voices may reach, -0.45 dBFS: above the peak of any one of the
// game's sounds, so that a sound alone is never touched.
constexpr int32_t MIX_LIMIT = 31130;

// The last stage of the mix, carried from one piece of output to the next.
struct MixOutputStage {
  float fLimiterGain = 1.0f;
  uint32_t dwHold = 0;          // frames the limiter's gain is held yet
  float fVolume = 1.0f;         // the player's volume as it is being heard now
  uint32_t dwSilentFrames = 0;  // frames of exact silence just mixed, up to the fade's need
};

// Writes the accumulated frames as 16-bit samples. A limiter keeps them at or under
// MIX_LIMIT: where a frame would pass it, the gain drops at once to what that frame
// needs, is held for 10 ms and comes back over some 50 ms, so that loud moments are
// turned down smoothly instead of clipped. Then the player's volume (0 silent to 1 as mixed),
// reached from the one heard so far within about 12 ms so that a change does not click; sound
// after 10 ms of silence comes up from nothing the same way, as a voice resumed in mid-loop
// would otherwise start with a step. At volume 1, frames that stay under the limit come out
// exactly as summed, but for those first 12 ms after a silence.
void FinishMix(MixOutputStage& stage, float fVolume, const int32_t* plAccumulator,
               int16_t* psOutput, uint32_t dwFrames);
