#pragma once
// The game's sounds, each synthesised by its own file, finished and levelled, ready to
// be written.
#include "assets/synth.h"

// The loudness the set is balanced to: effects at one level, the music a little under.
constexpr double EFFECT_RMS = 0.16;
constexpr double EFFECT_PEAK = 0.89;
constexpr double MUSIC_RMS = 0.105;
constexpr double MUSIC_PEAK = 0.7;

Samples MakeAccordionChord();  // a bright stab, under half a second
Samples MakeGears();           // a winding ratchet, a few hundred ms
Samples MakePhasing();         // a shimmering sweep, about a second
Samples MakeMusic();           // the looping tune; its end runs on into its start
Samples MakeSplat();           // a wet, low splat
Samples MakeSquish();          // a short squelch

// The accordion's registers, shared by the chord and the tune.
extern const std::vector<Reed> MUSETTE_REEDS;  // three middle reeds, wet-tuned, and a low one
extern const std::vector<Reed> CHORD_REEDS;    // the left hand's chord buttons
extern const std::vector<Reed> BASS_REEDS;     // the left hand's bass buttons
