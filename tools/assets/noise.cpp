#include "assets/noise.h"

#include <cmath>

namespace {

uint32_t Mix(uint32_t h) {
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

int32_t Wrap(int32_t value, int32_t period) {
  int32_t r = value % period;
  return r < 0 ? r + period : r;
}

double Smooth(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

}  // namespace

double HashUnit(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = Mix(uint32_t(x) * 0x9E3779B1u ^ Mix(uint32_t(y) * 0x85EBCA77u ^ seed));
  return double(h >> 8) / double(1u << 24);
}

double PeriodicNoise(double x, double y, int periodX, uint32_t seed) {
  double cellX = std::floor(x);
  double cellY = std::floor(y);
  double fx = Smooth(x - cellX);
  double fy = Smooth(y - cellY);
  int32_t x0 = Wrap(int32_t(cellX), periodX);
  int32_t x1 = Wrap(x0 + 1, periodX);
  int32_t y0 = int32_t(cellY);
  double top = HashUnit(x0, y0, seed) + (HashUnit(x1, y0, seed) - HashUnit(x0, y0, seed)) * fx;
  double bottom =
      HashUnit(x0, y0 + 1, seed) + (HashUnit(x1, y0 + 1, seed) - HashUnit(x0, y0 + 1, seed)) * fx;
  return top + (bottom - top) * fy;
}

double PeriodicFractal(double x, double y, int periodX, int octaves, uint32_t seed) {
  double sum = 0.0;
  double weight = 0.5;
  double total = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * PeriodicNoise(x, y, periodX, seed + uint32_t(i) * 1013u);
    total += weight;
    x *= 2.0;
    y *= 2.0;
    periodX *= 2;
    weight *= 0.5;
  }
  return sum / total;
}

double NextUnit(NoiseSource* source) {
  // xorshift32: tiny, fast and plenty for noise bursts.
  uint32_t s = source->state;
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  source->state = s;
  return double(s >> 8) / double(1u << 24);
}

double NextNoise(NoiseSource* source) { return NextUnit(source) * 2.0 - 1.0; }
