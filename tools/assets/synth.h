#pragma once
// A small synthesiser for the game's sounds: accordion reeds from band-limited wave
// tables, a few filters, envelopes, a room, and the finishing steps (drift removal,
// fades, level) that every sound goes through before it is written.
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

constexpr double PI = std::numbers::pi;
constexpr double TWO_PI = 2.0 * std::numbers::pi;

constexpr int SAMPLE_RATE = 22050;

// Mono samples, nominally within -1 to 1.
using Samples = std::vector<double>;

int SamplesFor(double seconds);
// Equal temperament, A4 (note 69) = 440 Hz.
double NoteFrequency(double midiNote);
// "C4", "F#5", "Bb3" to its MIDI note number; -1 when the name is not a note.
int ParseNote(const char* name);

// One reed of an accordion register: its tuning against the note, in cents and
// octaves, and its share of the sound.
struct Reed {
  double cents;
  int octave;
  double level;
};

struct NoteEnvelope {
  double attack = 0.018;  // the reed takes a moment to speak
  double release = 0.045;
};

// Adds a held note of all `reeds` to `out` from sample `start` for `length` samples,
// plus the release. With `wrap`, samples past the end continue at the start, so a
// looping piece carries its last notes' tails into its first bars.
void AddReedNote(Samples* out, int start, int length, int midiNote, double level,
                 const std::vector<Reed>& reeds, const NoteEnvelope& envelope, bool wrap);

// A band-limited sawtooth, sampled at `phase` (cycles; any value).
double Sawtooth(double phase, double frequency);

// The classic two-pole filters.
struct Biquad {
  double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
  double z1 = 0.0, z2 = 0.0;
};
void SetLowpass(Biquad* filter, double frequency, double q);
void SetHighpass(Biquad* filter, double frequency, double q);
void SetBandpass(Biquad* filter, double frequency, double q);  // unity gain at the centre
double Filter(Biquad* filter, double input);

// A small, dull room. A looping piece is run through it round and round until its
// tail has settled, so the reverberation wraps across the loop point too.
void AddRoom(Samples* samples, double wet, bool loop);

// Takes out any slow drift and offset (a gentle high-pass for one-shots; for a loop,
// the mean, which keeps it periodic).
void RemoveOffset(Samples* samples, bool loop);
// Raised-cosine fades at the start and the end.
void Fade(Samples* samples, double inSeconds, double outSeconds);
double Peak(const Samples& samples);
double Rms(const Samples& samples);
// Scales towards `targetRms`, but never so far that the peak passes `peakLimit`.
void SetLevel(Samples* samples, double targetRms, double peakLimit);

// 16-bit mono PCM at SAMPLE_RATE, through the game's own wave writer. False, with a
// line on standard error, on failure.
bool WriteWave(const std::string& path, const Samples& samples);
