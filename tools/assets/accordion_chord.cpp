// The volley sound: one short, bright push of the bellows on a major chord, with the
// right hand's musette reeds beating against each other.
#include <cmath>

#include "assets/sounds.h"

Samples MakeAccordionChord() {
  Samples out(SamplesFor(0.42), 0.0);
  NoteEnvelope snappy;
  snappy.attack = 0.012;
  snappy.release = 0.07;
  const char* CHORD[] = {"G4", "B4", "D5", "G5"};
  int length = SamplesFor(0.3);
  for (const char* note : CHORD) {
    AddReedNote(&out, 0, length, ParseNote(note), 0.3, MUSETTE_REEDS, snappy, false);
  }
  AddReedNote(&out, 0, length, ParseNote("G2"), 0.45, BASS_REEDS, snappy, false);

  // The bellows: a hard push that eases off.
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / SAMPLE_RATE;
    double push = t < 0.04 ? 1.15 : 0.8 + 0.35 * std::exp(-(t - 0.04) / 0.08);
    out[i] *= push;
  }
  AddRoom(&out, 0.18, false);
  RemoveOffset(&out, false);
  Fade(&out, 0.004, 0.05);
  SetLevel(&out, EFFECT_RMS, EFFECT_PEAK);
  return out;
}
