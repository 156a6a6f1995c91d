// The two bars are drawn one pixel column at a time: each file is a single column,
// shaded top to bottom so that the bar looks like a rounded tube. Energy is gold,
// health is red, and both keep a dark rim so they stand off the wood.
#include <cmath>

#include "assets/art.h"

namespace {

// Rim, shadow, body, light and shine, picked by the height within the column.
Canvas DrawColumn(int height, const uint32_t (&tones)[5]) {
  Canvas canvas = MakeCanvas(1, height, tones[0]);
  for (int y = 1; y < height - 1; ++y) {
    double t = (y + 0.5) / height;  // 0 at the top, 1 at the bottom
    // A tube lit from above: the shine sits a third of the way down.
    double light = std::cos((t - 0.32) * 3.14159265358979 * 1.05);
    uint32_t tone = tones[1];
    if (light > 0.3) tone = tones[2];
    if (light > 0.86) tone = tones[3];
    if (light > 0.985) tone = tones[4];
    SetPixel(&canvas, 0, y, tone);
  }
  return canvas;
}

}  // namespace

Canvas DrawEnergySlice() {
  constexpr uint32_t GOLD[5] = {Rgb(92, 56, 6), Rgb(196, 128, 12), Rgb(246, 190, 28),
                                Rgb(255, 226, 88), Rgb(255, 250, 196)};
  return DrawColumn(32, GOLD);
}

Canvas DrawHealthSlice() {
  constexpr uint32_t RED[5] = {Rgb(70, 6, 12), Rgb(158, 18, 30), Rgb(214, 36, 44),
                               Rgb(246, 90, 88), Rgb(255, 196, 190)};
  return DrawColumn(20, RED);
}
