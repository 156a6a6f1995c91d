// The table top the game is played on: warm planks laid across the screen, grain running
// with them. The game shows two copies side by side and scrolls over the join, so every
// part of the picture is periodic across its width: each plank is one long board whose
// two ends meet at a butt joint, and everything else is measured along the board from
// that joint.
#include <algorithm>
#include <cmath>

#include "assets/art.h"
#include "assets/noise.h"

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr int PLANK_COUNT = 6;
constexpr int PLANK_TOPS[PLANK_COUNT + 1] = {0, 122, 254, 380, 506, 640, HEIGHT};
// Where each plank's board ends meet, staggered as a carpenter lays them.
constexpr int JOINTS[PLANK_COUNT] = {700, 180, 910, 430, 60, 560};

struct Knot {
  int plank;
  double along;  // from the plank's joint
  double y;      // from the plank's top
  double radius;
};
constexpr Knot KNOTS[] = {
    {0, 340.0, 64.0, 6.0}, {2, 620.0, 84.0, 7.0}, {3, 180.0, 40.0, 4.5}, {5, 420.0, 58.0, 6.5}};

constexpr uint32_t GAP = Rgb(58, 32, 18);

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

uint32_t WoodPixel(int x, int y) {
  int plank = 0;
  while (y >= PLANK_TOPS[plank + 1]) ++plank;
  double v = y - PLANK_TOPS[plank];
  double fromBottom = PLANK_TOPS[plank + 1] - 1 - y;
  int joint = JOINTS[plank];

  // The gaps between planks and the board ends.
  if (fromBottom < 2.0 && plank < PLANK_COUNT - 1) return GAP;
  if (x == joint || x == joint + 1) return GAP;

  // Position along the board, which starts just right of its joint and wraps round.
  double along = double((x - joint - 2 + 2 * WIDTH) % WIDTH);
  double alongFromEnd = WIDTH - 3 - along;
  uint32_t seed = 7919u * uint32_t(plank + 1);

  // Rings: lines of constant grain value, bent by slow noise and around knots.
  double grain = v / (8.0 + 4.0 * HashUnit(plank, 0, 23u)) + HashUnit(plank, 0, 31u) * 10.0;
  grain += 4.0 * PeriodicFractal(along / 256.0, v / 110.0, 1 << 20, 3, seed);
  grain += 0.8 * PeriodicNoise(along / 64.0, v / 20.0, 1 << 20, seed + 5u);
  double knotDistance = 10.0;
  for (const Knot& knot : KNOTS) {
    if (knot.plank != plank) continue;
    double dx = (along - knot.along) / (knot.radius * 2.2);
    double dy = (v - knot.y) / knot.radius;
    double r2 = dx * dx + dy * dy;
    // The rings part around the knot, pushed away above and below it.
    grain += 2.4 * std::exp(-r2 * 0.12) * (dy < 0.0 ? -1.0 : 1.0) * std::min(1.0, std::fabs(dy));
    knotDistance = std::min(knotDistance, std::sqrt(r2));
  }
  double ring = grain - std::floor(grain);
  // Early wood darkens slowly into a thin late-wood line, then starts light again.
  double late = std::pow(ring, 6.0);

  // Fibres: fine streaks much longer along the board than across it.
  double fibre = PeriodicNoise(along / 22.0, v / 1.6, 1 << 20, seed + 11u);
  double pores = PeriodicNoise(along / 4.0, v / 1.1, 1 << 20, seed + 17u);
  // Broad bands of colour that follow the board.
  double band = PeriodicFractal(along / 512.0, v / 26.0, 1 << 20, 2, seed + 29u);

  double shade =
      0.6 - 0.34 * late + 0.12 * (fibre - 0.5) + 0.06 * (pores - 0.5) + 0.22 * (band - 0.5);
  shade += 0.08 * (HashUnit(plank, 1, 57u) - 0.5);  // each board its own tone
  // Plank edges: a lit chamfer on top, a shadowed one below.
  if (v < 2.0) shade += 0.16;
  else if (v < 4.0) shade += 0.07;
  if (fromBottom < 6.0 && plank < PLANK_COUNT - 1) shade -= 0.05 * (6.0 - fromBottom);
  // Board ends: lit end grain just after the joint, a shadow just before it.
  if (along < 2.0) shade += 0.10;
  if (alongFromEnd < 3.0) shade -= 0.08;
  shade = Clamp01(shade);

  uint32_t colour = MixColor(Rgb(110, 62, 32), Rgb(206, 148, 90), shade);
  if (knotDistance < 1.0) {
    // The knot: a dark heart inside a darker rim.
    double heart = Clamp01(1.0 - knotDistance);
    colour = MixColor(Rgb(120, 70, 36), Rgb(78, 40, 20), heart * 0.8 + 0.2);
    if (knotDistance > 0.8) colour = Rgb(72, 36, 18);
  }
  return colour;
}

}  // namespace

Canvas DrawWood() {
  Canvas canvas = MakeCanvas(WIDTH, HEIGHT, GAP);
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) SetPixel(&canvas, x, y, WoodPixel(x, y));
  }
  return canvas;
}
