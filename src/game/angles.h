#pragma once
// Angles in degrees and radians, with π taken to ten decimals as the game always has.

double DegToRad(double degrees);
// The remainder of value by divisor, moved into [0, divisor) when it is negative.
double WrapValue(double value, double divisor);
double WrapDegrees(double degrees);
// A negative angle is turned once by 360 degrees first.
double CosDeg(double degrees);
double SinDeg(double degrees);
