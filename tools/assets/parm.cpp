// The weapon pickup: an upright wedge of hard cheese seen from a corner, its two cut
// faces lit differently so it reads as a solid, rind along the foot, speckled with
// crystals.
#include <cstdint>

#include "assets/art.h"
#include "assets/palette.h"

namespace {

Lighting Flat(double level) {
  return [level](double, double) { return level; };
}

}  // namespace

Canvas DrawParm() {
  Canvas canvas = MakeCanvas(15, 27, KEY_MAGENTA);

  // Apex, foot of the near edge between the faces, and the two outer corners.
  Shape leftFace = Polygon({6.0, 1.2, 7.6, 1.2, 9.2, 21.8, 1.2, 19.6});
  Shape rightFace = Polygon({6.0, 1.2, 7.6, 1.2, 13.8, 19.0, 9.2, 21.8});
  Shape leftRind = Polygon({1.2, 19.6, 9.2, 21.8, 9.2, 25.8, 1.2, 23.6});
  Shape rightRind = Polygon({9.2, 21.8, 13.8, 19.0, 13.8, 23.0, 9.2, 25.8});
  Shape whole = Union(Union(leftFace, rightFace), Union(leftRind, rightRind));
  Shape wedge = Grow(whole, 0.35);

  LayerStyle inside;
  inside.outline = false;
  PaintLayer(&canvas, wedge, CHEESE_RAMP, Flat(0.8), inside);
  PaintLayer(&canvas, rightFace, CHEESE_RAMP, Flat(0.3), inside);
  PaintLayer(&canvas, leftRind, RIND_RAMP, Flat(0.75), inside);
  PaintLayer(&canvas, rightRind, RIND_RAMP, Flat(0.45), inside);
  // A bright edge where the faces meet, and a light rim on the near rind corner.
  FillShape(&canvas, Capsule(7.0, 2.0, 9.1, 21.2, 0.45), CHEESE_RAMP.shades[3]);
  FillShape(&canvas, Capsule(1.8, 20.3, 8.6, 22.2, 0.45), RIND_RAMP.shades[3]);
  StrokeShape(&canvas, wedge, CHEESE_RAMP.outline);

  // Crystals: a fixed scatter of pale and dark specks inside the cut faces.
  uint32_t state = 0x2545F491u;
  for (int i = 0; i < 40; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    int x = 1 + int(state % 13u);
    int y = 4 + int((state >> 8) % 16u);
    double px = x + 0.5, py = y + 0.5;
    bool onLeft = leftFace(px, py) < -0.8;
    bool onRight = rightFace(px, py) < -0.8;
    if (!onLeft && !onRight) continue;
    uint32_t speck = (i % 3 == 0) ? CHEESE_RAMP.shades[0] : CHEESE_RAMP.shades[3];
    if (onRight) speck = (i % 3 == 0) ? RIND_RAMP.shades[1] : CHEESE_RAMP.shades[2];
    SetPixel(&canvas, x, y, speck);
  }
  return canvas;
}
