// The enemy after a hit: the same penne with sauce poured over its top and dripping
// down, eyes rolling.
#include <cmath>

#include "assets/art.h"
#include "assets/face.h"
#include "assets/palette.h"
#include "assets/pasta_tube.h"

Canvas DrawPastaSauced() {
  Canvas canvas = MakeCanvas(45, 29, KEY_MAGENTA);
  PaintPastaTube(&canvas);

  Shape tube = PastaTube();
  Shape pour = [](double x, double y) { return y - (11.0 + 1.6 * std::sin(x * 0.55)); };
  Shape drips = Union(Union(Capsule(12.0, 10.0, 12.0, 18.5, 1.6), Circle(12.0, 19.0, 2.0)),
                      Union(Capsule(33.5, 10.0, 33.5, 21.0, 1.5), Circle(33.5, 21.2, 1.9)));
  drips = Union(drips, Union(Capsule(24.0, 10.0, 24.0, 14.0, 1.4), Circle(24.0, 14.5, 1.7)));
  Shape sauce = Intersect(Grow(tube, 0.3), SmoothUnion(pour, drips, 1.5));
  LayerStyle glossy;
  glossy.glintSize = 0.03;
  PaintDome(&canvas, sauce, SAUCE_RAMP, 4.0, glossy);
  // A lone splash on the lower body.
  PaintDome(&canvas, Circle(38.0, 19.5, 1.8), SAUCE_RAMP, 2.0, glossy);

  DrawEye(&canvas, 20.0, 12.5, 3.0, 3.6, -0.6, -0.7);
  DrawEye(&canvas, 27.0, 12.5, 3.0, 3.6, 0.7, 0.6);
  // A wobbly, stunned mouth.
  FillShape(&canvas, Ellipse(23.5, 19.5, 2.2, 2.0), MOUTH_DARK);
  StrokeShape(&canvas, Ellipse(23.5, 19.5, 2.2, 2.0), PASTA_RAMP.outline);
  return canvas;
}
