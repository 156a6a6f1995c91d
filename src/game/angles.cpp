#include "game/angles.h"

#include <cmath>

#include "game/world_state.h"

double DegToRad(double degrees) { return degrees * DEG_TO_RAD; }

double WrapValue(double value, double divisor) {
  double remainder = std::fmod(value, divisor);
  if (remainder < 0.0) remainder += divisor;
  return remainder;
}

double WrapDegrees(double degrees) { return WrapValue(degrees, 360.0); }

double CosDeg(double degrees) {
  if (degrees < 0.0) degrees += 360.0;
  return std::cos(degrees * DEG_TO_RAD);
}

double SinDeg(double degrees) {
  if (degrees < 0.0) degrees += 360.0;
  return std::sin(degrees * DEG_TO_RAD);
}
