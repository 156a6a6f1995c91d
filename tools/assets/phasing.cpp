// The phase-mode sound: an open fifth of bright saw waves drawn through a sweeping
// phaser, with a high, beating shimmer on top and a quick tremolo, so it hums and
// glitters while the player is half in this world.
#include <cmath>

#include "assets/sounds.h"

namespace {

constexpr double LENGTH = 1.0;

}  // namespace

Samples MakePhasing() {
  Samples out(SamplesFor(LENGTH), 0.0);
  constexpr int STAGES = 6;
  double allpassState[STAGES] = {};
  double feedback = 0.0;
  double phases[4] = {0.0, 0.13, 0.37, 0.71};
  constexpr double VOICES[4] = {220.0, 221.3, 330.0, 329.1};
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / SAMPLE_RATE;
    double source = 0.0;
    for (int v = 0; v < 4; ++v) {
      // A slight upward glide over the sound's life.
      double frequency = VOICES[v] * (1.0 + 0.03 * t);
      phases[v] += frequency / SAMPLE_RATE;
      source += 0.25 * Sawtooth(phases[v], frequency);
    }
    // The notches sweep up and back down once, 300 Hz to about 3 kHz.
    double sweep = 0.5 - 0.5 * std::cos(TWO_PI * t / LENGTH);
    double centre = 300.0 * std::pow(10.0, sweep);
    double k = std::tan(PI * centre / SAMPLE_RATE);
    double coefficient = (k - 1.0) / (k + 1.0);
    double x = source + 0.7 * feedback;
    for (double& state : allpassState) {
      double y = coefficient * x + state;
      state = x - coefficient * y;
      x = y;
    }
    feedback = x;
    double phased = 0.5 * (source + x);
    double shimmer = 0.12 * (std::sin(TWO_PI * 1760.0 * t) + std::sin(TWO_PI * 1767.0 * t)) *
                     (0.5 + 0.5 * std::sin(TWO_PI * 5.0 * t));
    double tremolo = 0.8 + 0.2 * std::sin(TWO_PI * 11.0 * t);
    out[i] = (phased + shimmer) * tremolo;
  }
  RemoveOffset(&out, false);
  Fade(&out, 0.06, 0.12);
  SetLevel(&out, EFFECT_RMS, EFFECT_PEAK);
  return out;
}
