#pragma once
// A small pixel-art canvas: ARGB pixels (alpha in the top byte), row by row from the top,
// and the few drawing moves every sprite is made of: shapes given as signed distances,
// painted as a shaded layer with its own dark outline.
#include <cstdint>
#include <functional>
#include <vector>

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

Canvas MakeCanvas(int width, int height, uint32_t fill);
bool InCanvas(const Canvas& canvas, int x, int y);
// Outside the canvas reads as 0 and writes are dropped.
uint32_t GetPixel(const Canvas& canvas, int x, int y);
void SetPixel(Canvas* canvas, int x, int y, uint32_t argb);

constexpr uint32_t Rgb(int red, int green, int blue) {
  return 0xFF000000u | (uint32_t(red & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) |
         uint32_t(blue & 0xFF);
}
// Opaque blend: t = 0 gives a, t = 1 gives b.
uint32_t MixColor(uint32_t a, uint32_t b, double t);

// Signed distance to a shape at a point, in pixels: negative inside.
using Shape = std::function<double(double x, double y)>;

Shape Circle(double centreX, double centreY, double radius);
// Near-exact for the small, mildly squashed ellipses sprites use.
Shape Ellipse(double centreX, double centreY, double radiusX, double radiusY);
// The same ellipse turned by `angle` radians (clockwise on screen, y being down).
Shape TiltedEllipse(double centreX, double centreY, double radiusX, double radiusY, double angle);
// A segment from (x0, y0) to (x1, y1) thickened by radius.
Shape Capsule(double x0, double y0, double x1, double y1, double radius);
// A convex or concave polygon, points in order.
Shape Polygon(std::vector<double> xy);
Shape Union(Shape a, Shape b);
// Joins two shapes with a fillet of about `blend` pixels, as liquid does.
Shape SmoothUnion(Shape a, Shape b, double blend);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
// Moves the edge outwards by `amount` pixels (inwards when negative).
Shape Grow(Shape a, double amount);

// The colours of one material, from its outline to its brightest glint.
struct Ramp {
  uint32_t outline;
  uint32_t shades[4];  // shadow, mid, lit, brightest
  uint32_t glint;      // specular spot; 0 for a matte material
};

// How brightly a surface point faces the light, about 0 (away) to 1 (straight at it).
using Lighting = std::function<double(double x, double y)>;

// A soft dome over the shape: flat on top, curving away over `roundness` pixels at its
// edge, lit from the upper left.
Lighting DomeLighting(Shape shape, double roundness);
// A cylinder lying along the x axis between heights top and bottom.
Lighting CylinderLighting(double top, double bottom);

struct LayerStyle {
  double shadeBias = 0.0;  // shifts every shade up (positive) or down
  double glintSize = 0.0;  // how much of the brightest side turns into the specular spot
  bool outline = true;
};

// Paints every pixel whose centre lies inside `shape` with the ramp's step for the
// lighting there, and a one-pixel outline along its edge. Outlines follow the layer,
// so a layer painted over another draws its own line inside it.
void PaintLayer(Canvas* canvas, const Shape& shape, const Ramp& ramp, const Lighting& lighting,
                const LayerStyle& style);
// The common case: a dome of the given roundness.
void PaintDome(Canvas* canvas, const Shape& shape, const Ramp& ramp, double roundness,
               const LayerStyle& style);

// Flat fill of a shape (eyes' pupils, mouths) with no shading and no outline.
void FillShape(Canvas* canvas, const Shape& shape, uint32_t argb);
// An outline of the shape's edge only, one pixel wide, inside it.
void StrokeShape(Canvas* canvas, const Shape& shape, uint32_t argb);
