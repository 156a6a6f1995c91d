#include "game/overlap.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/rect.h"

bool RectsIntersect(const Rect& a, const Rect& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

namespace {

double Radius(const GameObject& object) {
  const int32_t side = object.width > object.height ? object.width : object.height;
  return side * object.scale / 2.0;
}

}  // namespace

bool RectsOverlap(GameObject a, GameObject b) {
  return RectsIntersect(ScaledRect(a), ScaledRect(b));
}

bool CirclesOverlap(GameObject a, GameObject b) {
  const double radiusA = Radius(a);
  const double radiusB = Radius(b);
  // The centres are kept in single precision, as the records' own coordinates are.
  const float centreAX = static_cast<float>(a.x + radiusA);
  const float centreAY = static_cast<float>(a.y + radiusA);
  const float centreBX = static_cast<float>(b.x + radiusB);
  const float centreBY = static_cast<float>(b.y + radiusB);
  const double dx = static_cast<double>(centreAX) - static_cast<double>(centreBX);
  const double dy = static_cast<double>(centreAY) - static_cast<double>(centreBY);
  return radiusA + radiusB > std::sqrt(dx * dx + dy * dy);
}
