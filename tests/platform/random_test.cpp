// The one random source: the range of the standard generator, and the same sequence in
// every run.
#include <gtest/gtest.h>

#include <vector>

#include "platform/system/random.h"

namespace {

TEST(RandomTest, EveryRunDrawsTheSameSequenceWithinZeroTo32767) {
  ResetRand();
  std::vector<int> first;
  bool sawHigh = false;
  for (int i = 0; i < 100000; ++i) {
    int value = Rand();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, RAND_LIMIT);
    if (value > 32000) sawHigh = true;
    if (i < 5) first.push_back(value);
  }
  EXPECT_TRUE(sawHigh);
  EXPECT_EQ(first, (std::vector<int>{41, 18467, 6334, 26500, 19169}));

  ResetRand();
  EXPECT_EQ(Rand(), 41);
  EXPECT_EQ(Rand(), 18467);
}

}  // namespace
