#pragma once
// The two contact tests. Both take their records whole, by value, and are symmetric.
#include <cstdint>

#include "game/world_state.h"
#include "platform/gfx/rect.h"

// The scaled rectangles, truncated to whole pixels, intersect; a shared edge is no overlap.
bool RectsOverlap(GameObject a, GameObject b);
// Circles of half the larger scaled side, centred that far right of and below the
// top-left corner on both axes, overlap; touching circles do not.
bool CirclesOverlap(GameObject a, GameObject b);

// The two halves of RectsOverlap, for a pass that tests one record against many: the
// scaled rectangle cut to whole pixels, and whether two such rectangles intersect.
inline Rect ScaledRect(const GameObject& object) {
  // Cut towards zero. Beyond 32 bits the processor's own conversion gives the lowest
  // value; a cast would leave that undefined.
  auto truncate = [](double value) {
    return value > -2147483649.0 && value < 2147483648.0 ? static_cast<int32_t>(value) : INT32_MIN;
  };
  // Sums and products in double, then cut towards zero, as the old rectangle code did.
  const double right = static_cast<double>(object.x) +
                       static_cast<double>(object.width) * static_cast<double>(object.scale);
  const double bottom = static_cast<double>(object.y) +
                        static_cast<double>(object.height) * static_cast<double>(object.scale);
  return Rect{truncate(object.x), truncate(object.y), truncate(right), truncate(bottom)};
}
bool RectsIntersect(const Rect& a, const Rect& b);
