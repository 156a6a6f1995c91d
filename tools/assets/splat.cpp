// The projectile: a bright droplet of basil oil in flight, round head to the right with a
// pale hot core, and a short trail behind. Green, so that a shot is never taken for a
// tomato, and light, so that it reads over the wood and the pasta alike. The game turns
// it to its heading.
#include "assets/art.h"
#include "assets/palette.h"

namespace {

// Black is this image's key, so the outline is a very dark green instead.
constexpr Ramp SHOT_RAMP = {
    Rgb(14, 56, 12),
    {Rgb(60, 170, 34), Rgb(108, 222, 50), Rgb(164, 244, 92), Rgb(214, 255, 160)},
    Rgb(250, 255, 236)};
constexpr uint32_t CORE = Rgb(236, 255, 214);

}  // namespace

Canvas DrawSplat() {
  Canvas canvas = MakeCanvas(20, 20, KEY_BLACK);

  LayerStyle glossy;
  glossy.glintSize = 0.04;
  PaintDome(&canvas, Circle(13.4, 10.0, 5.6), SHOT_RAMP, 4.0, glossy);
  // The trail streams out of the head without an outline of its own, as a blur of speed,
  // its pale middle running on into the head's hot core.
  FillShape(&canvas, Polygon({12.6, 6.4, 12.6, 13.6, 1.6, 10.0}), SHOT_RAMP.shades[2]);
  FillShape(&canvas, Polygon({12.6, 8.2, 12.6, 11.8, 4.2, 10.0}), SHOT_RAMP.shades[3]);
  FillShape(&canvas, Circle(14.2, 9.6, 2.5), CORE);
  SetPixel(&canvas, 15, 8, SHOT_RAMP.glint);
  return canvas;
}
