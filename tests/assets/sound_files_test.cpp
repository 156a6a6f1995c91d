// The sounds the build synthesises into the game folder, read back through the game's
// own wave reader: format, length, level, offset, clean ends, the phase hum's restart
// and the music's loop. How they sound is for a person to judge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/wave_file.h"

namespace {

// The first channel at full scale 1, after checking the game's format.
std::vector<double> ReadSamples(const char* name) {
  CWaveFile file;
  EXPECT_EQ(file.Open(name, nullptr, WAVEFILE_READ), S_OK) << "missing or unreadable";
  const WAVEFORMATEX* format = file.GetFormat();
  if (!format) return {};
  EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format->wBitsPerSample, 16);
  EXPECT_EQ(format->nSamplesPerSec, 22050u);
  EXPECT_TRUE(format->nChannels == 1 || format->nChannels == 2);
  EXPECT_EQ(format->nBlockAlign, format->nChannels * 2);
  EXPECT_EQ(format->nAvgBytesPerSec, 22050u * format->nBlockAlign);
  std::vector<uint8_t> bytes(file.GetSize());
  uint32_t read = 0;
  EXPECT_EQ(file.Read(bytes.data(), file.GetSize(), &read), S_OK);
  EXPECT_EQ(read, bytes.size());
  std::vector<double> samples;
  for (size_t at = 0; at + format->nBlockAlign <= read; at += format->nBlockAlign) {
    samples.push_back(int16_t(bytes[at] | bytes[at + 1] << 8) / 32768.0);
  }
  return samples;
}

double Rms(const std::vector<double>& samples) {
  double sum = 0.0;
  for (double v : samples) sum += v * v;
  return std::sqrt(sum / double(std::max<size_t>(samples.size(), 1)));
}

double Peak(std::vector<double>::const_iterator from, std::vector<double>::const_iterator to) {
  double peak = 0.0;
  for (; from != to; ++from) peak = std::max(peak, std::fabs(*from));
  return peak;
}

TEST(SoundFiles, EachHasItsLengthALevelBelowFullScaleNoOffsetAndCleanEnds) {
  const struct {
    const char* name;
    double shortest, longest;  // seconds
    bool loops;
  } sounds[] = {
      {"Accordion.wav", 0.15, 0.5, false}, {"gears.wav", 0.15, 0.6, false},
      {"phasing.wav", 0.7, 1.4, false},    {"splat.wav", 0.15, 0.8, false},
      {"squish.wav", 0.08, 0.4, false},    {"music1.wav", 20.0, 90.0, true},
  };
  double effectsRms = 0.0;
  for (const auto& sound : sounds) {
    SCOPED_TRACE(sound.name);
    const std::vector<double> s = ReadSamples(sound.name);
    ASSERT_GT(s.size(), 1000u);
    EXPECT_GE(s.size() / 22050.0, sound.shortest);
    EXPECT_LE(s.size() / 22050.0, sound.longest);
    EXPECT_LT(Peak(s.begin(), s.end()), 0.97);
    double mean = 0.0;
    for (double v : s) mean += v / double(s.size());
    EXPECT_LT(std::fabs(mean), 0.005) << "offset from zero";
    const double rms = Rms(s);
    if (!sound.loops) {
      // Loud enough to hear over the music; starts and stops at rest, so neither end clicks.
      EXPECT_GT(Peak(s.begin(), s.end()), 0.3);
      EXPECT_GT(rms, 0.06);
      EXPECT_LT(rms, 0.25);
      effectsRms += rms / 5;
      EXPECT_LT(std::fabs(s.front()), 0.01);
      EXPECT_LT(std::fabs(s.back()), 0.01);
      EXPECT_LT(Peak(s.begin(), s.begin() + 22), 0.1) << "the first millisecond";
      EXPECT_LT(Peak(s.end() - 22, s.end()), 0.1) << "the last millisecond";
      // The phase hum is asked for again as it ends: its ends keep its level (within
      // 10 dB), so that a restart is no pause in it.
      if (sound.name == std::string("phasing.wav")) {
        EXPECT_GT(Rms({s.begin(), s.begin() + 882}), rms / 3.2) << "the first 40 ms";
        EXPECT_GT(Rms({s.end() - 882, s.end()}), rms / 3.2) << "the last 40 ms";
      }
      continue;
    }
    EXPECT_GT(rms, 0.05) << "the music is barely there";
    EXPECT_LT(rms, effectsRms) << "the music must sit a little under the effects";

    // Across the loop point the wave must step and bend like it does anywhere else.
    const size_t n = s.size();
    double stepSum = 0.0, bendSum = 0.0;
    for (size_t i = 2; i < n; ++i) {
      const double step = s[i] - s[i - 1];
      const double bend = step - (s[i - 1] - s[i - 2]);
      stepSum += step * step;
      bendSum += bend * bend;
    }
    const double stepRms = std::sqrt(stepSum / double(n - 2));
    const double bendRms = std::sqrt(bendSum / double(n - 2));
    const double seamStep = s[0] - s[n - 1];
    EXPECT_LT(std::fabs(seamStep), 4.0 * stepRms);
    EXPECT_LT(std::fabs(seamStep - (s[n - 1] - s[n - 2])), 5.0 * bendRms);
    EXPECT_LT(std::fabs((s[1] - s[0]) - seamStep), 5.0 * bendRms);
  }
}

}  // namespace
