#include "assets/synth.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

#include "assets/noise.h"
#include "audio/wave_file.h"

namespace {

constexpr double NYQUIST = SAMPLE_RATE / 2.0;
constexpr int TABLE_SIZE = 4096;

// How loud each harmonic of a free reed is at a given pitch: a falling slope with two
// broad resonances (the reed block and the cabinet) that make it an accordion.
double ReedHarmonic(int n, double frequency) {
  double f = n * frequency;
  double amplitude = std::pow(double(n), -0.85);
  amplitude *= 1.0 + 1.1 * std::exp(-std::pow((f - 1300.0) / 600.0, 2.0)) +
               0.5 * std::exp(-std::pow((f - 2900.0) / 900.0, 2.0));
  if (f > 4000.0) amplitude *= std::exp(-(f - 4000.0) / 2500.0);
  return amplitude;
}

// One cycle of a reed sounding the given note, holding only the harmonics that stay
// well below the Nyquist frequency, normalised to a peak of 1.
const std::vector<float>& ReedTable(int midiNote) {
  static std::map<int, std::vector<float>> cache;
  auto found = cache.find(midiNote);
  if (found != cache.end()) return found->second;

  double frequency = NoteFrequency(midiNote);
  int harmonics = std::max(1, int(std::min(8000.0, NYQUIST * 0.85) / frequency));
  std::vector<double> cycle(TABLE_SIZE, 0.0);
  for (int n = 1; n <= harmonics; ++n) {
    double amplitude = ReedHarmonic(n, frequency);
    double phase = TWO_PI * HashUnit(n, 0, 99u);
    for (int i = 0; i < TABLE_SIZE; ++i) {
      cycle[i] += amplitude * std::sin(TWO_PI * n * i / TABLE_SIZE + phase);
    }
  }
  double peak = 1e-9;
  for (double v : cycle) peak = std::max(peak, std::fabs(v));
  std::vector<float>& table = cache[midiNote];
  table.resize(TABLE_SIZE);
  for (int i = 0; i < TABLE_SIZE; ++i) table[i] = float(cycle[i] / peak);
  return table;
}

double TableAt(const std::vector<float>& table, double phase) {
  double position = (phase - std::floor(phase)) * TABLE_SIZE;
  int i = int(position);
  double t = position - i;
  double a = table[i % TABLE_SIZE];
  double b = table[(i + 1) % TABLE_SIZE];
  return a + (b - a) * t;
}

}  // namespace

int SamplesFor(double seconds) { return int(std::lround(seconds * SAMPLE_RATE)); }

double NoteFrequency(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0); }

int ParseNote(const char* name) {
  static const int STEPS[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (!name || name[0] < 'A' || name[0] > 'G') return -1;
  int step = STEPS[name[0] - 'A'];
  int i = 1;
  if (name[i] == '#') {
    ++step;
    ++i;
  } else if (name[i] == 'b') {
    --step;
    ++i;
  }
  if (!std::isdigit(static_cast<unsigned char>(name[i])) || name[i + 1] != '\0') return -1;
  int octave = name[i] - '0';
  return 12 * (octave + 1) + step;
}

void AddReedNote(Samples* out, int start, int length, int midiNote, double level,
                 const std::vector<Reed>& reeds, const NoteEnvelope& envelope, bool wrap) {
  int size = int(out->size());
  if (size == 0) return;
  int attack = std::max(1, SamplesFor(envelope.attack));
  int release = std::max(1, SamplesFor(envelope.release));
  int total = length + release;
  for (size_t r = 0; r < reeds.size(); ++r) {
    const Reed& reed = reeds[r];
    int tableNote = midiNote + 12 * reed.octave;
    const std::vector<float>& table = ReedTable(tableNote);
    double step = NoteFrequency(tableNote + reed.cents / 100.0) / SAMPLE_RATE;
    double phase = HashUnit(midiNote, int(r), 7u);
    for (int i = 0; i < total; ++i) {
      int at = start + i;
      if (wrap) at = ((at % size) + size) % size;
      if (at < 0 || at >= size) {
        phase += step;
        continue;
      }
      double gain = 1.0;
      if (i < attack) gain = 0.5 - 0.5 * std::cos(3.141592653589793 * i / attack);
      if (i >= length) gain *= 0.5 + 0.5 * std::cos(3.141592653589793 * (i - length) / release);
      (*out)[at] += level * reed.level * gain * TableAt(table, phase);
      phase += step;
    }
  }
}

double Sawtooth(double phase, double frequency) {
  // The top harmonics fade out smoothly, so a gliding pitch adds and drops them
  // without clicks.
  constexpr double FULL = NYQUIST * 0.7;
  constexpr double NONE = NYQUIST * 0.9;
  int harmonics = std::max(1, int(NONE / frequency));
  double sum = 0.0;
  for (int n = 1; n <= harmonics; ++n) {
    double f = n * frequency;
    double weight =
        f <= FULL ? 1.0 : 0.5 + 0.5 * std::cos(3.141592653589793 * (f - FULL) / (NONE - FULL));
    sum += weight * std::sin(TWO_PI * n * phase) / n;
  }
  return sum * (2.0 / 3.141592653589793);
}

namespace {

void SetCoefficients(Biquad* filter, double b0, double b1, double b2, double a0, double a1,
                     double a2) {
  filter->b0 = b0 / a0;
  filter->b1 = b1 / a0;
  filter->b2 = b2 / a0;
  filter->a1 = a1 / a0;
  filter->a2 = a2 / a0;
}

}  // namespace

void SetLowpass(Biquad* filter, double frequency, double q) {
  double w = TWO_PI * std::min(frequency, NYQUIST * 0.95) / SAMPLE_RATE;
  double alpha = std::sin(w) / (2.0 * q);
  double c = std::cos(w);
  SetCoefficients(filter, (1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c,
                  1.0 - alpha);
}

void SetHighpass(Biquad* filter, double frequency, double q) {
  double w = TWO_PI * std::min(frequency, NYQUIST * 0.95) / SAMPLE_RATE;
  double alpha = std::sin(w) / (2.0 * q);
  double c = std::cos(w);
  SetCoefficients(filter, (1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c,
                  1.0 - alpha);
}

void SetBandpass(Biquad* filter, double frequency, double q) {
  double w = TWO_PI * std::min(frequency, NYQUIST * 0.95) / SAMPLE_RATE;
  double alpha = std::sin(w) / (2.0 * q);
  double c = std::cos(w);
  SetCoefficients(filter, alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

double Filter(Biquad* filter, double input) {
  // Transposed direct form II: well behaved while coefficients sweep.
  double output = filter->b0 * input + filter->z1;
  filter->z1 = filter->b1 * input - filter->a1 * output + filter->z2;
  filter->z2 = filter->b2 * input - filter->a2 * output;
  return output;
}

namespace {

struct Comb {
  std::vector<double> line;
  size_t at = 0;
  double damped = 0.0;
};

struct Allpass {
  std::vector<double> line;
  size_t at = 0;
};

}  // namespace

void AddRoom(Samples* samples, double wet, bool loop) {
  // Four damped feedback combs in parallel, then two all-passes to smear the echoes.
  constexpr int COMB_DELAYS[4] = {557, 593, 641, 677};
  constexpr int ALLPASS_DELAYS[2] = {113, 37};
  constexpr double FEEDBACK = 0.74;
  constexpr double DAMPING = 0.35;
  Comb combs[4];
  for (int i = 0; i < 4; ++i) combs[i].line.assign(COMB_DELAYS[i], 0.0);
  Allpass allpasses[2];
  for (int i = 0; i < 2; ++i) allpasses[i].line.assign(ALLPASS_DELAYS[i], 0.0);

  Samples dry = *samples;
  int passes = loop ? 4 : 1;  // a loop goes round until the tail has settled
  for (int pass = 0; pass < passes; ++pass) {
    for (size_t n = 0; n < dry.size(); ++n) {
      double input = dry[n];
      double sum = 0.0;
      for (Comb& comb : combs) {
        double delayed = comb.line[comb.at];
        comb.damped = delayed * (1.0 - DAMPING) + comb.damped * DAMPING;
        comb.line[comb.at] = input + comb.damped * FEEDBACK;
        comb.at = (comb.at + 1) % comb.line.size();
        sum += delayed;
      }
      double output = sum * 0.25;
      for (Allpass& allpass : allpasses) {
        double delayed = allpass.line[allpass.at];
        double stored = output + delayed * 0.5;
        allpass.line[allpass.at] = stored;
        allpass.at = (allpass.at + 1) % allpass.line.size();
        output = delayed - stored * 0.5;
      }
      (*samples)[n] = dry[n] + wet * output;
    }
  }
}

void RemoveOffset(Samples* samples, bool loop) {
  if (samples->empty()) return;
  if (loop) {
    double mean = 0.0;
    for (double v : *samples) mean += v;
    mean /= double(samples->size());
    for (double& v : *samples) v -= mean;
    return;
  }
  Biquad highpass;
  SetHighpass(&highpass, 25.0, 0.707);
  for (double& v : *samples) v = Filter(&highpass, v);
}

void Fade(Samples* samples, double inSeconds, double outSeconds) {
  int size = int(samples->size());
  int fadeIn = std::min(size, SamplesFor(inSeconds));
  int fadeOut = std::min(size, SamplesFor(outSeconds));
  for (int i = 0; i < fadeIn; ++i) {
    (*samples)[i] *= 0.5 - 0.5 * std::cos(3.141592653589793 * i / fadeIn);
  }
  for (int i = 0; i < fadeOut; ++i) {
    // Reaches exactly zero on the last sample.
    (*samples)[size - 1 - i] *= 0.5 - 0.5 * std::cos(3.141592653589793 * i / fadeOut);
  }
}

double Peak(const Samples& samples) {
  double peak = 0.0;
  for (double v : samples) peak = std::max(peak, std::fabs(v));
  return peak;
}

double Rms(const Samples& samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (double v : samples) sum += v * v;
  return std::sqrt(sum / double(samples.size()));
}

void SetLevel(Samples* samples, double targetRms, double peakLimit) {
  double rms = Rms(*samples);
  double peak = Peak(*samples);
  if (rms <= 0.0 || peak <= 0.0) return;
  double gain = std::min(targetRms / rms, peakLimit / peak);
  for (double& v : *samples) v *= gain;
}

bool WriteWave(const std::string& path, const Samples& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    double clamped = std::clamp(samples[i], -1.0, 1.0);
    auto value = static_cast<int16_t>(std::lround(clamped * 32767.0));
    bytes[2 * i] = uint8_t(uint16_t(value) & 0xFF);
    bytes[2 * i + 1] = uint8_t(uint16_t(value) >> 8);
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = SAMPLE_RATE;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = SAMPLE_RATE * 2;
  format.cbSize = 0;

  CWaveFile file;
  uint32_t written = 0;
  bool ok = SUCCEEDED(file.Open(path.c_str(), &format, WAVEFILE_WRITE)) &&
            SUCCEEDED(file.Write(uint32_t(bytes.size()), bytes.data(), &written)) &&
            written == bytes.size();
  ok = SUCCEEDED(file.Close()) && ok;
  if (!ok) std::fprintf(stderr, "zf_make_assets: cannot write %s\n", path.c_str());
  return ok;
}
