// The two contact tests at their edges: rectangles cut towards zero after the sums, and
// circles offset by their radius on both axes. The rules built on them are recorded runs
// (tests/replay/scripts).
#include "game/overlap.h"

#include <gtest/gtest.h>

#include "game/world_state.h"

namespace {

GameObject Record(float x, float y, int32_t width, int32_t height, float scale = 1.0f) {
  GameObject object;
  object.x = x;
  object.y = y;
  object.width = width;
  object.height = height;
  object.scale = scale;
  return object;
}

TEST(OverlapTest, RectanglesSharingAnEdgeDoNotOverlapAndTruncationDecides) {
  EXPECT_FALSE(RectsOverlap(Record(0, 0, 10, 10), Record(10, 0, 10, 10)));
  EXPECT_TRUE(RectsOverlap(Record(0, 0, 10, 10), Record(9, 0, 10, 10)));
  EXPECT_FALSE(RectsOverlap(Record(0, 10, 10, 10), Record(0, 0, 10, 10)));
  // A shot is 20 wide at scale 1.3, which in single precision is a hair under 1.3: its
  // right edge comes to 25.99999... and cuts to 25.
  const GameObject shot = Record(0, 0, 20, 20, 1.3f);
  EXPECT_FALSE(RectsOverlap(shot, Record(25, 0, 10, 10)));
  EXPECT_FALSE(RectsOverlap(Record(25.9f, 0, 10, 10), shot));
  EXPECT_TRUE(RectsOverlap(shot, Record(24.9f, 0, 10, 10)));  // its left edge cuts to 24
}

TEST(OverlapTest, CirclesThatTouchDoNotOverlapAndCentresSitOnTheDiagonal) {
  EXPECT_FALSE(CirclesOverlap(Record(0, 0, 20, 20), Record(20, 0, 20, 20)));
  EXPECT_TRUE(CirclesOverlap(Record(0, 0, 20, 20), Record(19.9f, 0, 20, 20)));
  // 40 x 10: radius 20, centre (20, 20), below the sprite's own bottom edge.
  EXPECT_TRUE(CirclesOverlap(Record(0, 0, 40, 10), Record(19, 39, 2, 2)));
  EXPECT_FALSE(CirclesOverlap(Record(0, 0, 40, 10), Record(19, 41, 2, 2)));
  // The player (radius 41, centre +41) and an enemy (radius 33.75) just apart and just in.
  const GameObject player = Record(100, 350, 25, 41, 2.0f);
  EXPECT_FALSE(CirclesOverlap(player, Record(141 + 74.75f - 33.75f, 391 - 33.75f, 45, 29, 1.5f)));
  EXPECT_TRUE(CirclesOverlap(player, Record(141 + 74.7f - 33.75f, 391 - 33.75f, 45, 29, 1.5f)));
}

}  // namespace
