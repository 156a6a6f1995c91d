#include "assets/pasta_tube.h"

#include <cmath>

#include "assets/palette.h"

namespace {

constexpr double TOP_Y = 4.6;
constexpr double BOTTOM_Y = 24.4;
constexpr double CENTRE_Y = (TOP_Y + BOTTOM_Y) / 2.0;
constexpr double LEFT_END_X = 7.8;
constexpr double RIGHT_END_X = 37.4;
constexpr double CUT_SLANT = 4.0;  // how much further right the top of each cut lies
constexpr double WALL = 1.5;       // thickness of the tube's wall seen at the open end

double CutAngle() { return std::atan2(BOTTOM_Y - TOP_Y, -CUT_SLANT); }
double CutLength() { return std::hypot(BOTTOM_Y - TOP_Y, CUT_SLANT) / 2.0; }

Shape EndFace(double centreX, double shrink) {
  return TiltedEllipse(centreX, CENTRE_Y, CutLength() - shrink, 5.4 - shrink, CutAngle());
}

uint32_t OneStepDarker(uint32_t argb) {
  for (int i = 1; i < 4; ++i) {
    if (PASTA_RAMP.shades[i] == argb) return PASTA_RAMP.shades[i - 1];
  }
  return argb;
}

}  // namespace

Shape PastaTube() {
  double half = CUT_SLANT / 2.0;
  Shape side = Polygon({LEFT_END_X + half, TOP_Y, RIGHT_END_X + half, TOP_Y, RIGHT_END_X - half,
                        BOTTOM_Y, LEFT_END_X - half, BOTTOM_Y});
  return Union(Union(side, EndFace(LEFT_END_X, 0.0)), EndFace(RIGHT_END_X, 0.0));
}

void PaintPastaTube(Canvas* canvas) {
  Shape tube = PastaTube();
  LayerStyle plain;
  PaintLayer(canvas, tube, PASTA_RAMP, CylinderLighting(TOP_Y, BOTTOM_Y), plain);

  // Ridges run along the tube, one shade down, stopping short of the open end and of
  // the cut at the far end.
  Shape openEnd = EndFace(LEFT_END_X, 0.0);
  auto beyondFarCut = [](double x, double y) {
    return x > RIGHT_END_X + (CENTRE_Y - y) * CUT_SLANT / (BOTTOM_Y - TOP_Y) - 1.0;
  };
  for (int y = 7; y < 24; y += 3) {
    for (int x = 0; x < canvas->width; ++x) {
      double px = x + 0.5, py = y + 0.5;
      if (tube(px, py) > -1.2 || openEnd(px, py) < 1.0 || beyondFarCut(px, py)) continue;
      SetPixel(canvas, x, y, OneStepDarker(GetPixel(*canvas, x, y)));
    }
  }

  // The open end: a thin lit wall around the hollow. Inside, the upper wall is in
  // shadow and light falls on the lower one.
  FillShape(canvas, openEnd, PASTA_RAMP.shades[3]);
  StrokeShape(canvas, openEnd, PASTA_RAMP.outline);
  Shape hollow = EndFace(LEFT_END_X, WALL);
  FillShape(canvas, hollow, PASTA_INSIDE_RAMP.shades[0]);
  FillShape(canvas, Intersect(hollow, Grow(EndFace(LEFT_END_X + 1.2, WALL + 0.2), 0.0)),
            PASTA_INSIDE_RAMP.shades[1]);
  FillShape(canvas, Intersect(hollow, [](double, double y) { return CENTRE_Y + 3.0 - y; }),
            PASTA_INSIDE_RAMP.shades[3]);
}
