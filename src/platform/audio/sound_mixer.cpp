#include "platform/audio/sound_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t VOLUME_SILENT = -10000;
// The limiter holds its gain for 10 ms after the last frame that needed it, longer than
// half a period of any but the deepest notes, so that a loud tone is turned down evenly
// rather than flattened at every peak; then it comes back by exp(-1 / (50 ms x 22050))
// a frame. The volume heard moves by at most VOLUME_STEP a frame.
constexpr uint32_t LIMITER_HOLD_FRAMES = 220;
constexpr float LIMITER_RELEASE = 0.999093f;
constexpr float VOLUME_STEP = 1.0f / 256.0f;
// Within this of unity, the limiter is let go: an ordinary mix comes out exact again.
constexpr float LIMITER_LET_GO = 0.9999f;
// After this much exact silence (10 ms) the next sound fades in, at the volume's pace.
constexpr uint32_t FADE_IN_AFTER_FRAMES = 220;

// One channel of frame dwFrame, as a 16-bit value.
inline int32_t SampleAt(const SoundVoice& voice, uint32_t dwFrame, uint32_t dwChannel) {
  const uint8_t* pbFrame =
      voice.pMemory->pbBytes + static_cast<size_t>(dwFrame) * voice.wBlockAlign;
  if (voice.wBitsPerSample == 8) return (static_cast<int32_t>(pbFrame[dwChannel]) - 128) * 256;
  int16_t sSample;
  std::memcpy(&sSample, pbFrame + 2 * dwChannel, sizeof(sSample));
  return sSample;
}

// The part of the way from one sample to the next at a fraction of 65536.
inline int32_t Interpolate(int32_t lFrom, int32_t lTo, int32_t lFraction) {
  return static_cast<int32_t>((static_cast<int64_t>(lTo - lFrom) * lFraction) >> 16);
}

// A summed sample at a gain, rounded; never past the limit, whatever float rounding does.
inline int16_t Scaled(int32_t lSample, float fGain) {
  return static_cast<int16_t>(
      std::clamp<long>(std::lround(lSample * fGain), -MIX_LIMIT, MIX_LIMIT));
}

double GainForAttenuation(int32_t lHundredthsOfDecibel) {
  if (lHundredthsOfDecibel <= VOLUME_SILENT) return 0.0;
  return std::pow(10.0, lHundredthsOfDecibel / 2000.0);
}

}  // namespace

uint64_t StepForFrequency(uint32_t dwFrequency) {
  return (static_cast<uint64_t>(dwFrequency) << 32) / MIX_FRAMES_PER_SECOND;
}

void GainsForVolumeAndPan(int32_t lVolume, int32_t lPan, int32_t* plLeft, int32_t* plRight) {
  const double dVolume = GainForAttenuation(lVolume);
  // Panning to one side attenuates the other; the near side keeps the volume.
  const double dLeft = dVolume * (lPan > 0 ? GainForAttenuation(-lPan) : 1.0);
  const double dRight = dVolume * (lPan < 0 ? GainForAttenuation(lPan) : 1.0);
  *plLeft = static_cast<int32_t>(std::lround(dLeft * UNITY_GAIN));
  *plRight = static_cast<int32_t>(std::lround(dRight * UNITY_GAIN));
}

void MixVoice(SoundVoice& voice, int32_t* plAccumulator, uint32_t dwFrames) {
  if (!voice.bPlaying || !voice.pMemory || voice.dwFrames == 0) return;
  const uint64_t qwEnd = static_cast<uint64_t>(voice.dwFrames) << 32;
  const uint32_t dwLastChannel = voice.wChannels > 1 ? 1 : 0;
  // Positions beyond the end (a rewind of a shorter voice, a changed rate) start over.
  if (voice.qwPosition >= qwEnd) voice.qwPosition %= qwEnd;

  for (uint32_t i = 0; i < dwFrames; ++i) {
    const uint32_t dwFrame = static_cast<uint32_t>(voice.qwPosition >> 32);
    const int32_t lFraction = static_cast<int32_t>((voice.qwPosition >> 16) & 0xFFFF);
    int32_t lLeft = SampleAt(voice, dwFrame, 0);
    int32_t lRight = SampleAt(voice, dwFrame, dwLastChannel);
    if (lFraction != 0) {
      // Between two frames: a straight line from this one to the next.
      uint32_t dwNext = dwFrame + 1;
      if (dwNext >= voice.dwFrames) dwNext = voice.bLooping ? 0 : dwFrame;
      lLeft += Interpolate(lLeft, SampleAt(voice, dwNext, 0), lFraction);
      lRight += Interpolate(lRight, SampleAt(voice, dwNext, dwLastChannel), lFraction);
    }
    int64_t llGainLeft = voice.lGainLeft;
    int64_t llGainRight = voice.lGainRight;
    if (voice.dwFadeFrames != 0) {
      llGainLeft = llGainLeft * voice.dwFadeFrames / STOP_FADE_FRAMES;
      llGainRight = llGainRight * voice.dwFadeFrames / STOP_FADE_FRAMES;
      if (--voice.dwFadeFrames == 0) voice.bPlaying = false;
    }
    plAccumulator[2 * i] += static_cast<int32_t>((lLeft * llGainLeft) >> 16);
    plAccumulator[2 * i + 1] += static_cast<int32_t>((lRight * llGainRight) >> 16);
    if (!voice.bPlaying) return;

    voice.qwPosition += voice.qwStep;
    if (voice.qwPosition >= qwEnd) {
      if (!voice.bLooping) {
        voice.bPlaying = false;
        voice.qwPosition = 0;
        return;
      }
      voice.qwPosition %= qwEnd;
    }
  }
}

void AdvanceVoice(SoundVoice& voice, uint64_t qwFrames) {
  if (!voice.bPlaying || !voice.pMemory || voice.dwFrames == 0) return;
  if (voice.dwFadeFrames != 0) {
    if (qwFrames >= voice.dwFadeFrames) {
      voice.bPlaying = false;
      voice.dwFadeFrames = 0;
      return;
    }
    voice.dwFadeFrames -= static_cast<uint32_t>(qwFrames);
  }
  const uint64_t qwEnd = static_cast<uint64_t>(voice.dwFrames) << 32;
  if (voice.qwPosition >= qwEnd) voice.qwPosition %= qwEnd;
  // Hours of silence at the fastest rate overflow 64 bits.
  const unsigned __int128 qqTarget =
      voice.qwPosition + static_cast<unsigned __int128>(voice.qwStep) * qwFrames;
  if (qqTarget < qwEnd) {
    voice.qwPosition = static_cast<uint64_t>(qqTarget);
  } else if (!voice.bLooping) {
    voice.bPlaying = false;
    voice.qwPosition = 0;
  } else {
    voice.qwPosition = static_cast<uint64_t>(qqTarget % qwEnd);
  }
}

void FinishMix(MixOutputStage& stage, float fVolume, const int32_t* plAccumulator,
               int16_t* psOutput, uint32_t dwFrames) {
  float fLimiter = stage.fLimiterGain;
  float fHeard = stage.fVolume;
  for (uint32_t i = 0; i < 2 * dwFrames; i += 2) {
    const int32_t lLeft = plAccumulator[i];
    const int32_t lRight = plAccumulator[i + 1];
    // Both sides take the same gain, so the picture does not lean.
    const int32_t lPeak = std::max(std::abs(lLeft), std::abs(lRight));
    const float fNeeded = lPeak > MIX_LIMIT ? static_cast<float>(MIX_LIMIT) / lPeak : 1.0f;
    if (fNeeded <= fLimiter) {
      fLimiter = fNeeded;
      stage.dwHold = LIMITER_HOLD_FRAMES;
    } else if (stage.dwHold > 0) {
      --stage.dwHold;
    } else {
      fLimiter = std::min(fNeeded, 1.0f - (1.0f - fLimiter) * LIMITER_RELEASE);
      if (fLimiter > LIMITER_LET_GO) fLimiter = 1.0f;
    }
    if (lLeft == 0 && lRight == 0) {
      if (stage.dwSilentFrames < FADE_IN_AFTER_FRAMES) ++stage.dwSilentFrames;
    } else {
      if (stage.dwSilentFrames == FADE_IN_AFTER_FRAMES) fHeard = 0.0f;
      stage.dwSilentFrames = 0;
    }
    if (fHeard != fVolume) {
      fHeard = fHeard < fVolume ? std::min(fVolume, fHeard + VOLUME_STEP)
                                : std::max(fVolume, fHeard - VOLUME_STEP);
    }
    const float fGain = fLimiter * fHeard;
    psOutput[i] = Scaled(lLeft, fGain);
    psOutput[i + 1] = Scaled(lRight, fGain);
  }
  stage.fLimiterGain = fLimiter;
  stage.fVolume = fHeard;
}
