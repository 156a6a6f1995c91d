#pragma once
// The two contact tests. Both take their records whole, by value, and are symmetric.
#include "game/world_state.h"

// The scaled rectangles, truncated to whole pixels, intersect; a shared edge is no overlap.
bool RectsOverlap(GameObject a, GameObject b);
// Circles of half the larger scaled side, centred that far right of and below the
// top-left corner on both axes, overlap; touching circles do not.
bool CirclesOverlap(GameObject a, GameObject b);
