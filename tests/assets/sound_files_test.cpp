// The sounds the build synthesises into the game folder, read back through the game's
// own wave reader: format, length, level, offset, clean ends and the music's loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "audio/wave_file.h"

namespace {

struct Wave {
  WAVEFORMATEX format{};
  std::vector<double> samples;  // first channel, full scale = 1
  double Seconds() const { return double(samples.size()) / format.nSamplesPerSec; }
};

bool ReadWave(const char* name, Wave* wave) {
  CWaveFile file;
  if (FAILED(file.Open(name, nullptr, WAVEFILE_READ)) || !file.GetFormat()) return false;
  wave->format = *file.GetFormat();
  std::vector<uint8_t> bytes(file.GetSize());
  uint32_t read = 0;
  if (FAILED(file.ResetFile()) || FAILED(file.Read(bytes.data(), file.GetSize(), &read)) ||
      read != file.GetSize()) {
    return false;
  }
  if (wave->format.wBitsPerSample != 16 || wave->format.nChannels == 0) return true;
  size_t frame = size_t(wave->format.nChannels) * 2;
  for (size_t at = 0; at + frame <= bytes.size(); at += frame) {
    auto value = int16_t(uint16_t(bytes[at]) | uint16_t(bytes[at + 1]) << 8);
    wave->samples.push_back(value / 32768.0);
  }
  return true;
}

double Peak(const std::vector<double>& samples) {
  double peak = 0.0;
  for (double v : samples) peak = std::max(peak, std::fabs(v));
  return peak;
}

double Rms(const std::vector<double>& samples, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += samples[i] * samples[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

double Mean(const std::vector<double>& samples) {
  double sum = 0.0;
  for (double v : samples) sum += v;
  return samples.empty() ? 0.0 : sum / double(samples.size());
}

// Power of one frequency over a stretch of samples (Goertzel), Hann-windowed so that
// neighbouring notes do not leak into each other.
double PowerAt(const std::vector<double>& samples, size_t from, size_t to, double frequency) {
  double k = 2.0 * std::cos(2.0 * 3.141592653589793 * frequency / 22050.0);
  double s1 = 0.0, s2 = 0.0;
  size_t length = to - from;
  for (size_t i = 0; i < length; ++i) {
    double window = 0.5 - 0.5 * std::cos(2.0 * 3.141592653589793 * double(i) / double(length));
    double s0 = samples[from + i] * window + k * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - k * s1 * s2) / double(length * length);
}

double NoteHz(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

struct Expected {
  const char* name;
  double shortest;  // seconds
  double longest;
};

constexpr Expected EFFECTS[] = {
    {"Accordion.wav", 0.15, 0.5}, {"gears.wav", 0.15, 0.6}, {"phasing.wav", 0.7, 1.4},
    {"splat.wav", 0.15, 0.8},     {"squish.wav", 0.08, 0.4},
};

void ExpectGameFormat(const Wave& wave) {
  EXPECT_EQ(wave.format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(wave.format.wBitsPerSample, 16);
  EXPECT_EQ(wave.format.nSamplesPerSec, 22050u);
  EXPECT_TRUE(wave.format.nChannels == 1 || wave.format.nChannels == 2);
  EXPECT_EQ(wave.format.nBlockAlign, wave.format.nChannels * 2);
  EXPECT_EQ(wave.format.nAvgBytesPerSec, 22050u * wave.format.nBlockAlign);
}

TEST(SoundFiles, EffectsAreShortCleanAndAboutEquallyLoud) {
  double quietest = 1.0, loudest = 0.0;
  for (const Expected& expected : EFFECTS) {
    SCOPED_TRACE(expected.name);
    Wave wave;
    ASSERT_TRUE(ReadWave(expected.name, &wave)) << "missing or unreadable";
    ExpectGameFormat(wave);
    ASSERT_FALSE(wave.samples.empty());
    EXPECT_GE(wave.Seconds(), expected.shortest);
    EXPECT_LE(wave.Seconds(), expected.longest);

    // Loud enough to hear over the music, never touching full scale.
    double peak = Peak(wave.samples);
    EXPECT_LT(peak, 0.97);
    EXPECT_GT(peak, 0.3);
    double rms = Rms(wave.samples, 0, wave.samples.size());
    EXPECT_GT(rms, 0.06);
    EXPECT_LT(rms, 0.25);
    quietest = std::min(quietest, rms);
    loudest = std::max(loudest, rms);
    EXPECT_LT(std::fabs(Mean(wave.samples)), 0.01) << "offset from zero";

    // Starts and stops at rest, so neither end clicks.
    EXPECT_LT(std::fabs(wave.samples.front()), 0.01);
    EXPECT_LT(std::fabs(wave.samples.back()), 0.01);
    size_t edge = std::min<size_t>(22, wave.samples.size() / 4);  // one millisecond
    EXPECT_LT(Peak({wave.samples.begin(), wave.samples.begin() + long(edge)}), 0.1);
    EXPECT_LT(Peak({wave.samples.end() - long(edge), wave.samples.end()}), 0.1);
  }
  // Within about 8 dB of each other.
  EXPECT_LT(loudest / quietest, 2.5);
}

TEST(SoundFiles, TheAccordionIsInTuneOnItsChord) {
  // The volley chord is G major: its notes ring far above the semitones beside them.
  // The musette reeds sit a few cents either side of each note, so each note is
  // looked for across a band of ±20 cents.
  Wave chord;
  ASSERT_TRUE(ReadWave("Accordion.wav", &chord));
  ASSERT_GT(chord.samples.size(), 6000u);
  auto band = [&](int note) {
    double best = 0.0;
    for (int cents = -20; cents <= 20; cents += 10) {
      best = std::max(best, PowerAt(chord.samples, 441, 5441, NoteHz(note) * std::pow(2.0, cents / 1200.0)));
    }
    return best;
  };
  for (int note : {67, 71, 74}) {  // G4 B4 D5
    SCOPED_TRACE(note);
    EXPECT_GT(band(note), 10.0 * band(note + 1));
    EXPECT_GT(band(note), 10.0 * band(note - 1));
  }
}

TEST(SoundFiles, MusicIsLongQuieterThanTheEffectsAndLoopsWithoutASeam) {
  Wave music;
  ASSERT_TRUE(ReadWave("music1.wav", &music)) << "music1.wav missing or unreadable";
  ExpectGameFormat(music);
  ASSERT_GT(music.samples.size(), 1000u);
  EXPECT_GE(music.Seconds(), 20.0);
  EXPECT_LE(music.Seconds(), 90.0);
  EXPECT_LT(Peak(music.samples), 0.97);
  EXPECT_LT(std::fabs(Mean(music.samples)), 0.005);

  double musicRms = Rms(music.samples, 0, music.samples.size());
  double effectsRms = 0.0;
  for (const Expected& expected : EFFECTS) {
    Wave effect;
    ASSERT_TRUE(ReadWave(expected.name, &effect)) << expected.name;
    effectsRms += Rms(effect.samples, 0, effect.samples.size()) / std::size(EFFECTS);
  }
  EXPECT_GT(musicRms, 0.05) << "the music is barely there";
  EXPECT_LT(musicRms, effectsRms) << "the music must sit a little under the effects";

  // Across the loop point the wave must step and bend like it does anywhere else.
  const std::vector<double>& s = music.samples;
  size_t n = s.size();
  double stepSum = 0.0, bendSum = 0.0;
  for (size_t i = 2; i < n; ++i) {
    double step = s[i] - s[i - 1];
    double bend = step - (s[i - 1] - s[i - 2]);
    stepSum += step * step;
    bendSum += bend * bend;
  }
  double stepRms = std::sqrt(stepSum / double(n - 2));
  double bendRms = std::sqrt(bendSum / double(n - 2));
  double seamStep = s[0] - s[n - 1];
  double seamBend = seamStep - (s[n - 1] - s[n - 2]);
  double afterBend = (s[1] - s[0]) - seamStep;
  EXPECT_LT(std::fabs(seamStep), 4.0 * stepRms);
  EXPECT_LT(std::fabs(seamBend), 5.0 * bendRms);
  EXPECT_LT(std::fabs(afterBend), 5.0 * bendRms);

  // The tune is in G: over the whole loop, the notes of its scale sound far more than
  // the sharps and flats between them.
  double inKey = 0.0, outOfKey = 0.0;
  for (int octave = 0; octave < 2; ++octave) {
    for (int note : {67, 71, 74}) inKey += PowerAt(s, 0, n, NoteHz(note + 12 * octave));
    for (int note : {68, 70, 73}) outOfKey += PowerAt(s, 0, n, NoteHz(note + 12 * octave));
  }
  EXPECT_GT(inKey, 10.0 * outOfKey);

  // Never a dead stretch: every half second has music in it.
  for (size_t at = 0; at + 11025 <= n; at += 11025) {
    EXPECT_GT(Rms(s, at, at + 11025), 0.3 * musicRms) << "quiet at " << at / 22050.0 << " s";
  }

  // No gap or swell at the join: the music is as loud just before it as just after.
  size_t window = 22050 / 10;
  double before = Rms(s, n - window, n);
  double after = Rms(s, 0, window);
  EXPECT_GT(before, 0.3 * musicRms);
  EXPECT_GT(after, 0.3 * musicRms);
  EXPECT_LT(std::max(before, after) / std::min(before, after), 2.5);
}

}  // namespace
