// The hit and pickup sound: a short squelch. Noise through two resonances that rise
// and fall together like a vowel, over a soft low body, ending in a little pop.
#include <cmath>

#include "assets/noise.h"
#include "assets/sounds.h"

namespace {

constexpr double LENGTH = 0.22;

}  // namespace

Samples MakeSquish() {
  Samples out(SamplesFor(LENGTH), 0.0);
  NoiseSource noise{0x5015Bu};
  Biquad low;
  Biquad high;
  double popPhase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / SAMPLE_RATE;
    // The vowel: the resonance climbs and falls back, an arch over the first 170 ms.
    double arch = std::sin(PI * std::min(1.0, t / 0.17));
    double formant = 450.0 + 1100.0 * arch;
    SetBandpass(&low, formant, 7.0);
    SetBandpass(&high, formant * 2.3, 6.0);
    double white = NextNoise(&noise);
    double envelope = std::min(1.0, t / 0.008) * (t < 0.12 ? 1.0 : std::exp(-(t - 0.12) / 0.03));
    double voice = 1.6 * Filter(&low, white) + 0.7 * Filter(&high, white);
    double body = 0.35 * std::sin(TWO_PI * 130.0 * t) * std::exp(-t / 0.04);
    double pop = 0.0;
    if (t > 0.13) {
      double u = t - 0.13;
      popPhase += (350.0 + 900.0 * u / 0.04) / SAMPLE_RATE;
      pop = 0.3 * std::sin(TWO_PI * popPhase) * std::exp(-u / 0.012);
    }
    out[i] = envelope * voice + body + pop;
  }
  RemoveOffset(&out, false);
  Fade(&out, 0.003, 0.04);
  SetLevel(&out, EFFECT_RMS, EFFECT_PEAK);
  return out;
}
