// The energy pickup: a ripe, shiny tomato with a green star of leaves and a stub of stem.
#include <cmath>

#include "assets/art.h"
#include "assets/palette.h"

Canvas DrawTomato() {
  Canvas canvas = MakeCanvas(25, 26, KEY_MAGENTA);

  // Two shallow lobes make it a tomato rather than a ball.
  Shape left = Ellipse(9.6, 15.0, 8.4, 9.4);
  Shape right = Ellipse(15.4, 15.0, 8.4, 9.4);
  Shape body = SmoothUnion(left, right, 3.0);
  LayerStyle glossy;
  glossy.glintSize = 0.03;
  PaintDome(&canvas, body, TOMATO_RAMP, 8.0, glossy);
  // The crease between the lobes, at the top only.
  FillShape(&canvas, Capsule(12.5, 8.0, 12.5, 11.0, 0.45), TOMATO_RAMP.shades[0]);

  Shape leaves = Circle(12.5, 7.0, 1.8);
  constexpr double PI = 3.14159265358979;
  for (int i = 0; i < 5; ++i) {
    double angle = -PI / 2.0 + i * 2.0 * PI / 5.0 + 0.3;
    double tipX = 12.5 + std::cos(angle) * 6.0;
    double tipY = 7.0 + std::sin(angle) * 3.4;
    leaves = Union(leaves, Capsule(12.5, 7.0, tipX, tipY, 1.25));
  }
  Shape stem = Capsule(12.5, 6.5, 14.0, 2.0, 1.2);
  LayerStyle leafy;
  leafy.shadeBias = 0.05;
  PaintDome(&canvas, Union(leaves, stem), LEAF_RAMP, 2.0, leafy);
  return canvas;
}
