// The hit the player takes: a heavy, wet splat. A falling low thump, a burst of noise
// closing down like a slap into something soft, a sloppy low tail and a few drops
// landing after it.
#include <cmath>

#include "assets/noise.h"
#include "assets/sounds.h"

namespace {

// A drop landing: a short sine chirping upwards, as a bubble closes.
void AddDrop(Samples* out, double at, double from, double to, double level) {
  int start = SamplesFor(at);
  int length = SamplesFor(0.03);
  double phase = 0.0;
  for (int i = 0; i < length && start + i < int(out->size()); ++i) {
    double t = double(i) / SAMPLE_RATE;
    double frequency = from * std::pow(to / from, t / 0.03);
    phase += frequency / SAMPLE_RATE;
    double envelope = std::min(1.0, t / 0.002) * std::exp(-t / 0.009);
    (*out)[start + i] += level * envelope * std::sin(TWO_PI * phase);
  }
}

}  // namespace

Samples MakeSplat() {
  Samples out(SamplesFor(0.45), 0.0);
  NoiseSource noise{0x51A7u};
  Biquad slap;
  Biquad slop;
  SetBandpass(&slop, 320.0, 1.8);
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / SAMPLE_RATE;
    double attack = std::min(1.0, t / 0.002);
    double frequency = 45.0 + 105.0 * std::exp(-t / 0.04);
    phase += frequency / SAMPLE_RATE;
    double thump = std::sin(TWO_PI * phase) * std::exp(-t / 0.075);
    SetLowpass(&slap, 300.0 + 2600.0 * std::exp(-t / 0.035), 1.4);
    double white = NextNoise(&noise);
    double burst = Filter(&slap, white) * std::exp(-t / 0.05);
    double tail = Filter(&slop, white) * std::exp(-t / 0.12);
    out[i] = attack * (0.95 * thump + 0.75 * burst + 0.5 * tail);
  }
  constexpr double DROPS[4][4] = {{0.11, 520.0, 1150.0, 0.22},
                                  {0.17, 640.0, 1400.0, 0.16},
                                  {0.24, 480.0, 980.0, 0.14},
                                  {0.31, 700.0, 1500.0, 0.1}};
  for (const auto& drop : DROPS) AddDrop(&out, drop[0], drop[1], drop[2], drop[3]);
  RemoveOffset(&out, false);
  Fade(&out, 0.002, 0.08);
  SetLevel(&out, EFFECT_RMS, EFFECT_PEAK);
  return out;
}
