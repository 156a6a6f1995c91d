// The charge sound: a ratchet being wound. Each tooth is a click: a sharp tick of
// noise, a short metallic ring and a dull knock from the body, the pawl alternating
// between two slightly different teeth, winding faster as it goes.
#include <cmath>

#include "assets/noise.h"
#include "assets/sounds.h"

namespace {

void AddClick(Samples* out, int start, double pitch, double level, NoiseSource* noise) {
  Biquad tick;
  SetHighpass(&tick, 2200.0 * pitch, 0.9);
  constexpr double RINGS[3][2] = {{2350.0, 0.5}, {3720.0, 0.32}, {5180.0, 0.2}};
  int length = SamplesFor(0.045);
  for (int i = 0; i < length && start + i < int(out->size()); ++i) {
    double t = double(i) / SAMPLE_RATE;
    double value = 0.9 * Filter(&tick, NextNoise(noise)) * std::exp(-t / 0.0015);
    for (const auto& ring : RINGS) {
      value += ring[1] * std::sin(TWO_PI * ring[0] * pitch * t) * std::exp(-t / 0.011);
    }
    value += 0.55 * std::sin(TWO_PI * 170.0 * t) * std::exp(-t / 0.009);
    (*out)[start + i] += level * value;
  }
}

}  // namespace

Samples MakeGears() {
  Samples out(SamplesFor(0.36), 0.0);
  NoiseSource noise{0x6EA25u};
  double at = 0.004;
  double gap = 0.056;
  for (int tooth = 0; at < 0.31; ++tooth) {
    double pitch = (tooth % 2 == 0) ? 1.0 : 1.07;
    double level = (tooth % 2 == 0) ? 1.0 : 0.8;
    AddClick(&out, SamplesFor(at), pitch, level, &noise);
    at += gap;
    gap *= 0.93;
  }
  // A faint grinding under the teeth keeps it from sounding like a clock.
  Biquad grind;
  SetBandpass(&grind, 900.0, 1.2);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / SAMPLE_RATE;
    out[i] += 0.05 * Filter(&grind, NextNoise(&noise)) * (0.6 + 0.4 * std::sin(TWO_PI * 22.0 * t));
  }
  RemoveOffset(&out, false);
  Fade(&out, 0.002, 0.03);
  SetLevel(&out, EFFECT_RMS, EFFECT_PEAK);
  return out;
}
