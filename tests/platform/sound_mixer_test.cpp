// The mix: formats converted to 16-bit stereo at the mix rate, resampling, loops and
// gains. (What becomes of the sum is the device's test.) A silent pass (AdvanceVoice) moves a voice
// exactly as mixing it would.
#include "platform/audio/sound_mixer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Samples = std::vector<int32_t>;  // left, right, left, ...

std::vector<uint8_t> Words(std::initializer_list<int16_t> samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.begin(), bytes.size());
  return bytes;
}

struct MixCase {
  const char* what;
  std::vector<uint8_t> bytes;
  uint16_t channels;
  uint16_t bits;
  uint32_t rate;
  bool looping;
  uint32_t startFrame;
  Samples expected;
  bool playingAfter;
  uint32_t frameAfter;
};

// Mixes the case onto what other voices already summed (1000 everywhere), with one loud
// frame behind the voice's end that must never be heard; the voice's own share comes back.
Samples MixOf(const MixCase& test, SoundVoice* voice) {
  std::vector<uint8_t> bytes = test.bytes;
  bytes.insert(bytes.end(), test.channels * test.bits / 8, 0x7F);
  SampleMemory memory{bytes.data(), static_cast<uint32_t>(bytes.size())};
  voice->pMemory = &memory;
  voice->wChannels = test.channels;
  voice->wBitsPerSample = test.bits;
  voice->wBlockAlign = static_cast<uint16_t>(test.channels * test.bits / 8);
  voice->dwFrames = static_cast<uint32_t>(test.bytes.size()) / voice->wBlockAlign;
  voice->qwStep = StepForFrequency(test.rate);
  voice->qwPosition = uint64_t{test.startFrame} << 32;
  voice->bPlaying = true;
  voice->bLooping = test.looping;
  SoundVoice silent = *voice;
  Samples sums(test.expected.size(), 1000);
  MixVoice(*voice, sums.data(), static_cast<uint32_t>(sums.size() / 2));
  for (int32_t& sum : sums) sum -= 1000;
  AdvanceVoice(silent, sums.size() / 2);
  EXPECT_EQ(silent.bPlaying, voice->bPlaying);
  EXPECT_EQ(silent.qwPosition, voice->qwPosition);
  voice->pMemory = nullptr;
  return sums;
}

TEST(SoundMixerTest, FormatsRatesAndLoopsComeOutAsStereoAtTheMixRate) {
  // clang-format off
  const MixCase cases[] = {
      {"8-bit is unsigned; played once it stops at its end and rewinds", {0x80, 0xFF, 0x00, 0x81},
       1, 8, 22050, false, 0, {0, 0, 32512, 32512, -32768, -32768, 256, 256, 0, 0}, false, 0},
      {"8-bit stereo", {0x80, 0xFF, 0x00, 0x40}, 2, 8, 22050, false, 0,
       {0, 32512, -32768, -16384}, false, 0},
      {"16-bit stereo", Words({100, -200, 300, -400}), 2, 16, 22050, false, 0,
       {100, -200, 300, -400}, false, 0},
      {"half the rate: half-way frames, the last one held", Words({0, 1000, 2000}), 1, 16, 11025,
       false, 0, {0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2000, 2000, 0, 0}, false, 0},
      {"twice the rate", Words({0, 1000, 2000, 3000}), 1, 16, 44100, false, 0,
       {0, 0, 2000, 2000, 0, 0}, false, 0},
      {"a loop wraps", Words({1, 2, 3}), 1, 16, 22050, true, 0, {1, 1, 2, 2, 3, 3, 1, 1, 2, 2},
       true, 2},
      {"a loop interpolates across its seam", Words({0, 1000}), 1, 16, 11025, true, 0,
       {0, 0, 500, 500, 1000, 1000, 500, 500, 0, 0, 500, 500}, true, 1},
      {"a place at the end starts over", Words({10, 20, 30}), 1, 16, 22050, false, 3,
       {10, 10, 20, 20}, true, 2},
      {"a place past the end wraps", Words({10, 20, 30}), 1, 16, 22050, false, 4,
       {20, 20, 30, 30, 0, 0}, false, 0},
  };
  // clang-format on
  for (const MixCase& test : cases) {
    SCOPED_TRACE(test.what);
    SoundVoice voice;
    EXPECT_EQ(MixOf(test, &voice), test.expected);
    EXPECT_EQ(voice.bPlaying, test.playingAfter);
    EXPECT_EQ(voice.qwPosition >> 32, test.frameAfter);
  }
}

TEST(SoundMixerTest, GainsScaleEachSideAndAStoppedVoiceAddsNothing) {
  const MixCase quiet{"", Words({20000, -20000}),       1,     16, 22050, false,
                      0,  {10000, 5000, -10000, -5000}, false, 0};
  SoundVoice voice;
  voice.lGainLeft = UNITY_GAIN / 2;
  voice.lGainRight = UNITY_GAIN / 4;
  EXPECT_EQ(MixOf(quiet, &voice), quiet.expected);
  voice.bPlaying = false;
  Samples sums(4, 0);
  MixVoice(voice, sums.data(), 2);
  EXPECT_EQ(sums, Samples(4, 0));

  // Volume and pan in hundredths of a decibel: the near side keeps the volume.
  const struct {
    int32_t volume, pan, left, right;
  } gains[] = {
      {0, 0, UNITY_GAIN, UNITY_GAIN},
      {-600, 2000, 3285, 32846},  // -6 dB; right: the left side 20 dB further down
      {-600, -2000, 32846, 3285},
      {0, 10000, 0, UNITY_GAIN},
      {0, -10000, UNITY_GAIN, 0},
      {-9999, 0, 1, 1},  // the last step above silence
      {-10000, 0, 0, 0},
  };
  for (const auto& row : gains) {
    SCOPED_TRACE(testing::Message() << row.volume << " " << row.pan);
    int32_t left = -1, right = -1;
    GainsForVolumeAndPan(row.volume, row.pan, &left, &right);
    EXPECT_EQ(left, row.left);
    EXPECT_EQ(right, row.right);
  }
}

TEST(SoundMixerTest, SilentPassesWrapOrEndAsTheMixWouldEvenOverHours) {
  SampleMemory memory{nullptr, 14};
  SoundVoice voice;
  voice.pMemory = &memory;
  voice.dwFrames = 7;
  voice.bPlaying = voice.bLooping = true;
  // 2^40 + 6 frames overflow 64 bits of position: 2^40 is 2 past a multiple of 7.
  AdvanceVoice(voice, (uint64_t{1} << 40) + 6);
  EXPECT_EQ(voice.qwPosition, uint64_t{1} << 32);
  voice.bLooping = false;
  AdvanceVoice(voice, 6);
  EXPECT_FALSE(voice.bPlaying);
  EXPECT_EQ(voice.qwPosition, 0u);
}

}  // namespace
