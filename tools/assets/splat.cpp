// The projectile: a glob of sauce in flight, round head to the right, a tapering tail and
// a stray drop behind. The game turns it to its heading.
#include "assets/art.h"
#include "assets/palette.h"

namespace {

// Black is this image's key, so the outline is a very dark red instead.
constexpr Ramp SPLAT_RAMP = {Rgb(26, 10, 8),
                             {SAUCE_RAMP.shades[0], SAUCE_RAMP.shades[1], SAUCE_RAMP.shades[2],
                              SAUCE_RAMP.shades[3]},
                             SAUCE_RAMP.glint};

}  // namespace

Canvas DrawSplat() {
  Canvas canvas = MakeCanvas(20, 20, KEY_BLACK);

  Shape head = Circle(12.6, 10.0, 5.8);
  Shape tail = Polygon({12.0, 5.0, 12.0, 15.0, 4.4, 11.6, 2.4, 10.0, 4.4, 8.4});
  Shape glob = SmoothUnion(head, tail, 2.5);
  LayerStyle glossy;
  glossy.glintSize = 0.03;
  PaintDome(&canvas, glob, SPLAT_RAMP, 4.5, glossy);
  PaintDome(&canvas, Circle(4.0, 4.4, 2.1), SPLAT_RAMP, 2.0, glossy);
  PaintDome(&canvas, Circle(5.6, 16.0, 1.6), SPLAT_RAMP, 2.0, glossy);
  return canvas;
}
