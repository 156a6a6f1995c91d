#include "assets/face.h"

#include <algorithm>
#include <cmath>

#include "assets/palette.h"

void DrawEye(Canvas* canvas, double x, double y, double radiusX, double radiusY, double lookX,
             double lookY) {
  LayerStyle white;
  white.shadeBias = 0.2;
  PaintDome(canvas, Ellipse(x, y, radiusX, radiusY), EYE_RAMP, 2.5, white);
  double pupilX = x + lookX * (radiusX - 1.6);
  double pupilY = y + lookY * (radiusY - 1.8);
  double pupilRadius = std::max(1.2, std::min(radiusX, radiusY) * 0.5);
  FillShape(
      canvas,
      Intersect(Circle(pupilX, pupilY, pupilRadius), Ellipse(x, y, radiusX - 0.6, radiusY - 0.6)),
      PUPIL);
  // The catch-light sits on the pupil's upper left, towards the light.
  SetPixel(canvas, int(std::floor(pupilX - 0.4)), int(std::floor(pupilY - 0.6)), GLINT);
}

void DrawBrow(Canvas* canvas, double x0, double y0, double x1, double y1, uint32_t argb) {
  FillShape(canvas, Capsule(x0, y0, x1, y1, 0.75), argb);
}

void DrawGrin(Canvas* canvas, double x, double y, double radiusX, double radiusY,
              uint32_t outline) {
  // The top edge runs along y; everything below it, inside the ellipse, is mouth.
  Shape lowerHalf = [y](double, double py) { return y - py; };
  Shape mouth = Intersect(Ellipse(x, y, radiusX, radiusY), lowerHalf);
  FillShape(canvas, mouth, MOUTH_DARK);
  FillShape(canvas,
            Intersect(mouth, Ellipse(x + radiusX * 0.2, y + radiusY, radiusX * 0.5, radiusY * 0.6)),
            TONGUE);
  // One row of teeth just under the lip line.
  Shape teeth = Intersect(mouth, [y](double, double py) { return py - (y + 2.6); });
  FillShape(canvas, teeth, TOOTH);
  StrokeShape(canvas, mouth, outline);
}

void DrawDizzyEye(Canvas* canvas, double x, double y, double radius, uint32_t argb) {
  FillShape(canvas, Capsule(x - radius, y - radius, x + radius, y + radius, 0.7), argb);
  FillShape(canvas, Capsule(x - radius, y + radius, x + radius, y - radius, 0.7), argb);
}
