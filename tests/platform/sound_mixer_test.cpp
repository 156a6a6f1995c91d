// The mix: formats converted to 16-bit stereo at the mix rate, resampling, gains, and
// summing that clips instead of wrapping.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/audio/sound_mixer.h"

namespace {

struct TestVoice {
  SampleMemory memory;
  SoundVoice voice;
  std::vector<uint8_t> bytes;

  TestVoice(std::vector<uint8_t> samples, uint16_t channels, uint16_t bits, uint32_t rate)
      : bytes(std::move(samples)) {
    memory.pbBytes = bytes.data();
    memory.dwBytes = static_cast<uint32_t>(bytes.size());
    voice.pMemory = &memory;
    voice.wChannels = channels;
    voice.wBitsPerSample = bits;
    voice.wBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    voice.dwFrames = memory.dwBytes / voice.wBlockAlign;
    voice.qwStep = StepForFrequency(rate);
    voice.bPlaying = true;
  }
};

std::vector<uint8_t> Words(std::initializer_list<int16_t> samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.begin(), bytes.size());
  return bytes;
}

std::vector<int32_t> MixOf(TestVoice& test, uint32_t frames) {
  std::vector<int32_t> accumulator(frames * 2, 0);
  MixVoice(test.voice, accumulator.data(), frames);
  return accumulator;
}

TEST(SoundMixerTest, EightBitIsUnsignedAndStereoKeepsItsSides) {
  TestVoice eight({0x80, 0xFF, 0x00}, 1, 8, 22050);
  EXPECT_EQ(MixOf(eight, 3), (std::vector<int32_t>{0, 0, 32512, 32512, -32768, -32768}));
  TestVoice stereo(Words({100, -200, 300, -400}), 2, 16, 22050);
  EXPECT_EQ(MixOf(stereo, 2), (std::vector<int32_t>{100, -200, 300, -400}));
}

TEST(SoundMixerTest, OtherRatesAreResampledToTheMixRate) {
  TestVoice half(Words({0, 1000, 2000}), 1, 16, 11025);
  std::vector<int32_t> out = MixOf(half, 5);
  EXPECT_EQ(out, (std::vector<int32_t>{0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000}));
  EXPECT_TRUE(half.voice.bPlaying) << "half a frame is still to come";
}

TEST(SoundMixerTest, LoopingWrapsAndInterpolatesAcrossTheSeam) {
  TestVoice loop(Words({0, 1000}), 1, 16, 11025);
  loop.voice.bLooping = true;
  std::vector<int32_t> out = MixOf(loop, 6);
  std::vector<int32_t> left;
  for (size_t i = 0; i < out.size(); i += 2) left.push_back(out[i]);
  EXPECT_EQ(left, (std::vector<int32_t>{0, 500, 1000, 500, 0, 500}));
  EXPECT_TRUE(loop.voice.bPlaying);
}

TEST(SoundMixerTest, SummedVoicesClipAtFullScale) {
  const int32_t sums[] = {30000 + 30000, -30000 - 30000, 1234};
  int16_t out[3];
  SaturateSamples(sums, out, 3);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
  EXPECT_EQ(out[2], 1234);
}

TEST(SoundMixerTest, VolumeAndPanAttenuateInHundredthsOfADecibel) {
  int32_t left = 0;
  int32_t right = 0;
  GainsForVolumeAndPan(-600, 2000, &left, &right);
  EXPECT_NEAR(left, UNITY_GAIN * 0.5012 * 0.1, 20);
  EXPECT_NEAR(right, UNITY_GAIN * 0.5012, 20);

  TestVoice quiet(Words({20000}), 1, 16, 22050);
  quiet.voice.lGainLeft = UNITY_GAIN / 2;
  quiet.voice.lGainRight = 0;
  EXPECT_EQ(MixOf(quiet, 1), (std::vector<int32_t>{10000, 0}));
}

}  // namespace
