#pragma once
// The two contact tests. Both take their records whole, by value, and are symmetric.
#include "game/world_state.h"
#include "platform/gfx/rect.h"

// The scaled rectangles, truncated to whole pixels, intersect; a shared edge is no overlap.
bool RectsOverlap(GameObject a, GameObject b);
// Circles of half the larger scaled side, centred that far right of and below the
// top-left corner on both axes, overlap; touching circles do not.
bool CirclesOverlap(GameObject a, GameObject b);

// The two halves of RectsOverlap, for a pass that tests one record against many: the
// scaled rectangle cut to whole pixels, and whether two such rectangles intersect.
Rect ScaledRect(const GameObject& object);
bool RectsIntersect(const Rect& a, const Rect& b);
