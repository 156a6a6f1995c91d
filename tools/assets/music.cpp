// The tune: a cheerful tarantella in G for accordion, 24 bars of 6/8 at one bar a
// second. The right hand plays the melody on the musette reeds; the left hand gallops
// along with bass and chord buttons. The piece is rendered on a circle, so the notes
// still sounding at its end ring on into its start and the loop has no seam.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/sounds.h"

namespace {

constexpr int EIGHTH = SAMPLE_RATE / 6;  // six eighths to the one-second bar
constexpr int BAR = 6 * EIGHTH;

struct Bar {
  const char* chord;
  const char* melody;  // "note:eighths" pairs; "r" is a rest
};

// Verse (G, then the dominant and home), second verse through C, and a bridge that
// climbs to the top and turns back to the first bar.
constexpr Bar TUNE[] = {
    {"G", "B4:2 D5:1 G5:2 D5:1"},
    {"G", "B4:1 C5:1 D5:1 B4:2 G4:1"},
    {"D7", "A4:2 C5:1 F#5:2 C5:1"},
    {"D7", "A4:1 B4:1 C5:1 A4:2 F#4:1"},
    {"D7", "D4:1 F#4:1 A4:1 C5:1 B4:1 A4:1"},
    {"D7", "D5:1 C5:1 A4:1 F#4:2 A4:1"},
    {"G", "G4:1 B4:1 D5:1 G5:1 F#5:1 E5:1"},
    {"G", "D5:2 B4:1 G4:3"},

    {"C", "E5:2 G5:1 E5:2 C5:1"},
    {"G", "D5:2 G5:1 D5:2 B4:1"},
    {"D7", "C5:1 B4:1 A4:1 F#5:2 E5:1"},
    {"G", "D5:2 B4:1 G4:2 D5:1"},
    {"C", "E5:1 F#5:1 G5:1 A5:2 G5:1"},
    {"G", "G5:1 F#5:1 E5:1 D5:2 B4:1"},
    {"D7", "C5:1 A4:1 F#4:1 A4:1 C5:1 F#5:1"},
    {"G", "G5:3 r:1 D5:1 B4:1"},

    {"C", "G4:1 C5:1 E5:1 G5:2 E5:1"},
    {"C", "F5:1 E5:1 D5:1 C5:2 G4:1"},
    {"G", "B4:1 D5:1 G5:1 B5:2 G5:1"},
    {"G", "A5:1 G5:1 F#5:1 G5:2 D5:1"},
    {"D7", "C5:1 D5:1 E5:1 F#5:2 D5:1"},
    {"D7", "A5:1 G5:1 F#5:1 E5:1 D5:1 C5:1"},
    {"G", "B4:1 D5:1 G5:1 D5:1 B4:1 G4:1"},
    {"D7", "A4:1 C5:1 F#5:1 D5:2 A4:1"},
};
constexpr int BAR_COUNT = sizeof(TUNE) / sizeof(TUNE[0]);

struct Harmony {
  const char* name;
  const char* bass[2];   // root on the first beat, fifth on the second
  const char* notes[4];  // the chord button's notes; null when fewer
};

constexpr Harmony HARMONIES[] = {
    {"G", {"G2", "D2"}, {"G3", "B3", "D4", nullptr}},
    {"C", {"C3", "G2"}, {"G3", "C4", "E4", nullptr}},
    {"D7", {"D3", "A2"}, {"F#3", "A3", "C4", "D4"}},
};

const Harmony* FindHarmony(const char* name) {
  for (const Harmony& harmony : HARMONIES) {
    if (std::strcmp(harmony.name, name) == 0) return &harmony;
  }
  return &HARMONIES[0];
}

void PlayMelodyBar(Samples* out, int barStart, const char* melody) {
  NoteEnvelope legato;
  legato.attack = 0.016;
  legato.release = 0.05;
  std::string text = melody;
  int eighth = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string token = text.substr(at, end - at);
    at = end + 1;
    size_t colon = token.find(':');
    if (colon == std::string::npos) continue;
    std::string name = token.substr(0, colon);
    int length = std::atoi(token.c_str() + colon + 1);
    if (name != "r") {
      // Notes on the two beats of the bar lean a little harder.
      double level = (eighth == 0 || eighth == 3) ? 0.36 : 0.3;
      int held = length * EIGHTH - SamplesFor(0.03);  // a breath between notes
      AddReedNote(out, barStart + eighth * EIGHTH, held, ParseNote(name.c_str()), level,
                  MUSETTE_REEDS, legato, true);
    }
    eighth += length;
  }
}

void PlayLeftHandBar(Samples* out, int barStart, const Harmony& harmony) {
  NoteEnvelope bassShape;
  bassShape.attack = 0.012;
  bassShape.release = 0.06;
  NoteEnvelope chordShape;
  chordShape.attack = 0.01;
  chordShape.release = 0.04;
  // The gallop: bass for a quarter, chord on the eighth after, twice a bar.
  for (int beat = 0; beat < 2; ++beat) {
    int beatStart = barStart + beat * 3 * EIGHTH;
    AddReedNote(out, beatStart, SamplesFor(0.2), ParseNote(harmony.bass[beat]), 0.42, BASS_REEDS,
                bassShape, true);
    for (const char* note : harmony.notes) {
      if (!note) continue;
      AddReedNote(out, beatStart + 2 * EIGHTH, SamplesFor(0.09), ParseNote(note), 0.13, CHORD_REEDS,
                  chordShape, true);
    }
  }
}

}  // namespace

Samples MakeMusic() {
  Samples out(size_t(BAR) * BAR_COUNT, 0.0);
  for (int bar = 0; bar < BAR_COUNT; ++bar) {
    PlayMelodyBar(&out, bar * BAR, TUNE[bar].melody);
    PlayLeftHandBar(&out, bar * BAR, *FindHarmony(TUNE[bar].chord));
  }
  // The bellows breathe over four bars; a whole number of breaths fits the loop.
  constexpr double BREATH = 4.0 * BAR;
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] *= 0.93 + 0.07 * std::sin(6.283185307179586 * double(i) / BREATH);
  }
  AddRoom(&out, 0.22, true);
  RemoveOffset(&out, true);
  SetLevel(&out, MUSIC_RMS, MUSIC_PEAK);
  return out;
}
