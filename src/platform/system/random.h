#pragma once
// The game's one random source: values 0 to RAND_LIMIT, never seeded, so every run
// draws the same sequence.
constexpr int RAND_LIMIT = 32767;

int Rand();

// Puts the sequence back at its start, as a fresh process has it (tests, replays).
void ResetRand();

// How many values have been taken since the start (or the last reset).
unsigned long long RandCount();
