#pragma once
// Fixed-seed randomness for the generator: the same files come out on every build.
// (The game's own random source is left alone: drawing must not disturb its sequence.)
#include <cstdint>

// A hash of a lattice point to [0, 1).
double HashUnit(int32_t x, int32_t y, uint32_t seed);

// Smooth value noise in [0, 1) whose lattice has `periodX` cells across and wraps, so
// that noise(x + periodX, y) == noise(x, y). x and y are in lattice cells.
double PeriodicNoise(double x, double y, int periodX, uint32_t seed);

// Several octaves of PeriodicNoise, each twice as fine and half as strong; still
// periodic over `periodX` cells of the first octave. Result in [0, 1).
double PeriodicFractal(double x, double y, int periodX, int octaves, uint32_t seed);

// A white-noise stream for sounds: values in [-1, 1).
struct NoiseSource {
  uint32_t state;
};
double NextNoise(NoiseSource* source);
// A value in [0, 1).
double NextUnit(NoiseSource* source);
