// The player: a lively dollop of tomato sauce with a soft curl on top, a puddle at its
// foot and two stubby arms, grinning towards the enemies on the right.
#include "assets/art.h"
#include "assets/face.h"
#include "assets/palette.h"

Canvas DrawSauce() {
  Canvas canvas = MakeCanvas(25, 41, KEY_PLAYER);

  Shape belly = Ellipse(12.5, 24.0, 9.8, 12.0);
  Shape swirl = Ellipse(12.0, 10.6, 5.2, 3.6);
  Shape curl = Capsule(11.5, 8.6, 14.2, 5.0, 2.4);
  Shape curlTip = Circle(16.8, 5.0, 1.9);
  Shape puddle = Ellipse(12.5, 36.4, 11.4, 3.4);
  Shape leftArm = Capsule(4.2, 24.0, 2.7, 29.4, 1.5);
  Shape rightArm = Capsule(20.8, 21.5, 22.4, 16.4, 1.6);
  Shape body = SmoothUnion(belly, swirl, 2.5);
  body = SmoothUnion(body, curl, 2.0);
  body = SmoothUnion(body, curlTip, 1.0);
  body = SmoothUnion(body, puddle, 3.0);
  body = SmoothUnion(body, leftArm, 1.5);
  body = SmoothUnion(body, rightArm, 1.5);

  LayerStyle glossy;
  glossy.glintSize = 0.025;
  PaintDome(&canvas, body, SAUCE_RAMP, 6.0, glossy);
  // The fold where the swirl sits on the body.
  FillShape(&canvas, Intersect(Capsule(8.0, 13.6, 15.6, 13.6, 0.5), Grow(body, -1.5)),
            SAUCE_RAMP.shades[0]);

  DrawEye(&canvas, 9.0, 19.0, 3.4, 4.0, 0.7, 0.1);
  DrawEye(&canvas, 16.5, 19.0, 3.4, 4.0, 0.7, 0.1);
  DrawGrin(&canvas, 13.2, 25.0, 5.6, 5.0, SAUCE_RAMP.outline);
  return canvas;
}
