#include "assets/canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

Canvas MakeCanvas(int width, int height, uint32_t fill) {
  Canvas canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.pixels.assign(size_t(width) * size_t(height), fill);
  return canvas;
}

bool InCanvas(const Canvas& canvas, int x, int y) {
  return x >= 0 && y >= 0 && x < canvas.width && y < canvas.height;
}

uint32_t GetPixel(const Canvas& canvas, int x, int y) {
  if (!InCanvas(canvas, x, y)) return 0;
  return canvas.pixels[size_t(y) * size_t(canvas.width) + size_t(x)];
}

void SetPixel(Canvas* canvas, int x, int y, uint32_t argb) {
  if (!InCanvas(*canvas, x, y)) return;
  canvas->pixels[size_t(y) * size_t(canvas->width) + size_t(x)] = argb;
}

uint32_t MixColor(uint32_t a, uint32_t b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto channel = [&](int shift) {
    double from = double((a >> shift) & 0xFF);
    double to = double((b >> shift) & 0xFF);
    return int(std::lround(from + (to - from) * t));
  };
  return Rgb(channel(16), channel(8), channel(0));
}

Shape Circle(double centreX, double centreY, double radius) {
  return [=](double x, double y) { return std::hypot(x - centreX, y - centreY) - radius; };
}

Shape Ellipse(double centreX, double centreY, double radiusX, double radiusY) {
  return [=](double x, double y) {
    double u = (x - centreX) / radiusX;
    double v = (y - centreY) / radiusY;
    double k0 = std::hypot(u, v);
    if (k0 == 0.0) return -std::min(radiusX, radiusY);
    // First-order correction by the gradient's length keeps the distance honest.
    double k1 = std::hypot(u / radiusX, v / radiusY);
    return k0 * (k0 - 1.0) / k1;
  };
}

Shape TiltedEllipse(double centreX, double centreY, double radiusX, double radiusY, double angle) {
  Shape upright = Ellipse(0.0, 0.0, radiusX, radiusY);
  double c = std::cos(angle);
  double s = std::sin(angle);
  return [=](double x, double y) {
    double dx = x - centreX;
    double dy = y - centreY;
    return upright(dx * c + dy * s, -dx * s + dy * c);
  };
}

Shape Capsule(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    double dx = x1 - x0;
    double dy = y1 - y0;
    double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0.0 ? ((x - x0) * dx + (y - y0) * dy) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - radius;
  };
}

Shape Polygon(std::vector<double> xy) {
  return [xy = std::move(xy)](double x, double y) {
    size_t count = xy.size() / 2;
    double best = 1e30;
    bool inside = false;
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
      double ax = xy[2 * j], ay = xy[2 * j + 1];
      double bx = xy[2 * i], by = xy[2 * i + 1];
      double ex = bx - ax, ey = by - ay;
      double wx = x - ax, wy = y - ay;
      double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
      best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
      if ((ay > y) != (by > y) && x < ax + (y - ay) * ex / ey) inside = !inside;
    }
    return inside ? -best : best;
  };
}

Shape Union(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) {
    return std::min(a(x, y), b(x, y));
  };
}

Shape SmoothUnion(Shape a, Shape b, double blend) {
  return [a = std::move(a), b = std::move(b), blend](double x, double y) {
    double da = a(x, y);
    double db = b(x, y);
    double h = std::clamp(0.5 + 0.5 * (db - da) / blend, 0.0, 1.0);
    return db + (da - db) * h - blend * h * (1.0 - h);
  };
}

Shape Intersect(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) {
    return std::max(a(x, y), b(x, y));
  };
}

Shape Subtract(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) {
    return std::max(a(x, y), -b(x, y));
  };
}

Shape Grow(Shape a, double amount) {
  return [a = std::move(a), amount](double x, double y) { return a(x, y) - amount; };
}

namespace {

bool Covers(const Shape& shape, int x, int y) { return shape(x + 0.5, y + 0.5) < 0.0; }

bool OnEdge(const Shape& shape, int x, int y) {
  return !Covers(shape, x - 1, y) || !Covers(shape, x + 1, y) || !Covers(shape, x, y - 1) ||
         !Covers(shape, x, y + 1);
}

// Light from the upper left and in front; y grows downwards.
constexpr double LIGHT_X = -0.55;
constexpr double LIGHT_Y = -0.65;
constexpr double LIGHT_Z = 0.75;

double Facing(double nx, double ny, double nz) {
  double normalLength = std::sqrt(nx * nx + ny * ny + nz * nz);
  double lightLength = std::sqrt(LIGHT_X * LIGHT_X + LIGHT_Y * LIGHT_Y + LIGHT_Z * LIGHT_Z);
  return (nx * LIGHT_X + ny * LIGHT_Y + nz * LIGHT_Z) / (normalLength * lightLength);
}

}  // namespace

Lighting DomeLighting(Shape shape, double roundness) {
  return [shape = std::move(shape), roundness](double x, double y) {
    // Height rises along a quarter circle from the edge inwards, then stays flat.
    auto height = [&](double px, double py) {
      double depth = std::clamp(-shape(px, py) / roundness, 0.0, 1.0);
      double rise = 1.0 - depth;
      return std::sqrt(1.0 - rise * rise) * roundness;
    };
    // Slopes over a wide step, averaged over a small cross, so creases where shapes
    // meet soften instead of banding.
    double gradX = 0.0, gradY = 0.0;
    constexpr double OFFSETS[5][2] = {{0, 0}, {0.7, 0}, {-0.7, 0}, {0, 0.7}, {0, -0.7}};
    for (const auto& offset : OFFSETS) {
      double cx = x + offset[0], cy = y + offset[1];
      gradX += height(cx + 1.0, cy) - height(cx - 1.0, cy);
      gradY += height(cx, cy + 1.0) - height(cx, cy - 1.0);
    }
    gradX /= 10.0;
    gradY /= 10.0;
    return Facing(-gradX, -gradY, 1.0);
  };
}

Lighting CylinderLighting(double top, double bottom) {
  return [top, bottom](double, double y) {
    double across = std::clamp((2.0 * y - top - bottom) / (bottom - top), -0.98, 0.98);
    return Facing(0.0, across, std::sqrt(1.0 - across * across));
  };
}

void PaintLayer(Canvas* canvas, const Shape& shape, const Ramp& ramp, const Lighting& lighting,
                const LayerStyle& style) {
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      if (!Covers(shape, x, y)) continue;
      if (style.outline && OnEdge(shape, x, y)) {
        SetPixel(canvas, x, y, ramp.outline);
        continue;
      }
      double level = lighting(x + 0.5, y + 0.5);
      uint32_t colour = ramp.shades[3];
      if (ramp.glint != 0 && style.glintSize > 0.0 && level > 1.0 - style.glintSize) {
        colour = ramp.glint;
      } else {
        level += style.shadeBias;
        if (level < 0.40) colour = ramp.shades[0];
        else if (level < 0.64) colour = ramp.shades[1];
        else if (level < 0.86) colour = ramp.shades[2];
      }
      SetPixel(canvas, x, y, colour);
    }
  }
}

void PaintDome(Canvas* canvas, const Shape& shape, const Ramp& ramp, double roundness,
               const LayerStyle& style) {
  PaintLayer(canvas, shape, ramp, DomeLighting(shape, roundness), style);
}

void FillShape(Canvas* canvas, const Shape& shape, uint32_t argb) {
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      if (Covers(shape, x, y)) SetPixel(canvas, x, y, argb);
    }
  }
}

void StrokeShape(Canvas* canvas, const Shape& shape, uint32_t argb) {
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      if (Covers(shape, x, y) && OnEdge(shape, x, y)) SetPixel(canvas, x, y, argb);
    }
  }
}
