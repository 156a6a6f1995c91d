// An enemy: a grumpy piece of penne glaring left at the player.
#include "assets/art.h"
#include "assets/face.h"
#include "assets/palette.h"
#include "assets/pasta_tube.h"

Canvas DrawPastaPlain() {
  Canvas canvas = MakeCanvas(45, 29, KEY_MAGENTA);
  PaintPastaTube(&canvas);
  DrawEye(&canvas, 20.0, 12.5, 3.0, 3.6, -0.8, 0.2);
  DrawEye(&canvas, 27.0, 12.5, 3.0, 3.6, -0.8, 0.2);
  DrawBrow(&canvas, 16.8, 7.6, 21.6, 9.2, PASTA_RAMP.outline);
  DrawBrow(&canvas, 25.4, 9.2, 30.2, 7.6, PASTA_RAMP.outline);
  DrawGrin(&canvas, 23.5, 17.5, 5.0, 5.0, PASTA_RAMP.outline);
  return canvas;
}
