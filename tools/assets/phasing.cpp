// The phase-mode sound: an open fifth of bright saw waves drawn through a sweeping
// phaser, with a high, beating shimmer on top and a quick tremolo, so it hums and
// glitters while the player is half in this world.
//
// The game asks for it on every tick of phase mode and so starts it again each time it
// ends: it is one turn of a loop. Every tone, beat, sweep and tremolo turns a whole number
// of times in its length, and the phaser has run a turn before the one kept, so the
// sound that starts again is the sound that ended, at the same level and pitch. Only its
// first and last few milliseconds fade, from rest and back to it, so that neither a
// start from silence nor the short gap before a restart clicks.
#include <cmath>

#include "assets/sounds.h"

namespace {

constexpr double LENGTH = 1.0;
constexpr double FADE_IN = 0.008;
constexpr double FADE_OUT = 0.012;

}  // namespace

Samples MakePhasing() {
  const int period = SamplesFor(LENGTH);
  Samples out(period, 0.0);
  constexpr int STAGES = 6;
  double allpassState[STAGES] = {};
  double feedback = 0.0;
  double phases[4] = {0.0, 0.13, 0.37, 0.71};
  // Whole hertz: a beat of one a second in each pair, and whole turns in the length.
  constexpr double VOICES[4] = {220.0, 221.0, 330.0, 329.0};
  for (int i = 0; i < 2 * period; ++i) {
    double t = double(i) / SAMPLE_RATE;
    double source = 0.0;
    for (int v = 0; v < 4; ++v) {
      phases[v] += VOICES[v] / SAMPLE_RATE;
      source += 0.25 * Sawtooth(phases[v], VOICES[v]);
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
    // The first turn only settles the phaser.
    if (i >= period) out[i - period] = (phased + shimmer) * tremolo;
  }
  RemoveOffset(&out, true);
  Fade(&out, FADE_IN, FADE_OUT);
  SetLevel(&out, EFFECT_RMS, EFFECT_PEAK);
  return out;
}
