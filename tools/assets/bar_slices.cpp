// The two bars are drawn one pixel column at a time, every other column, a little
// transparent: each file is a single column. A dark edge above and below frames the
// comb of columns and a bright core runs along its middle, so that each bar reads as one
// solid band over wood, pasta and tomatoes alike. Energy is gold, health is red.
#include <algorithm>
#include <cmath>

#include "assets/art.h"

namespace {

constexpr int EDGE_ROWS = 2;

struct BandTones {
  uint32_t edge;   // the dark frame
  uint32_t outer;  // the band's saturated sides
  uint32_t inner;  // towards its middle
  uint32_t core;   // the bright line along it
};

double SmoothStep(double from, double to, double t) {
  const double x = std::clamp((t - from) / (to - from), 0.0, 1.0);
  return x * x * (3.0 - 2.0 * x);
}

Canvas DrawBand(int height, const BandTones& tones) {
  Canvas canvas = MakeCanvas(1, height, tones.edge);
  const double half = height / 2.0 - EDGE_ROWS;
  for (int y = EDGE_ROWS; y < height - EDGE_ROWS; ++y) {
    // 0 along the middle, 1 at the edge.
    const double t = std::fabs(y + 0.5 - height / 2.0) / half;
    const uint32_t middle = MixColor(tones.core, tones.inner, SmoothStep(0.0, 0.45, t));
    SetPixel(&canvas, 0, y, MixColor(middle, tones.outer, SmoothStep(0.45, 1.0, t)));
  }
  return canvas;
}

}  // namespace

Canvas DrawEnergySlice() {
  return DrawBand(32, {Rgb(34, 18, 4), Rgb(222, 128, 6), Rgb(255, 204, 36), Rgb(255, 248, 190)});
}

Canvas DrawHealthSlice() {
  return DrawBand(20, {Rgb(42, 4, 8), Rgb(200, 14, 28), Rgb(250, 58, 56), Rgb(255, 196, 188)});
}
