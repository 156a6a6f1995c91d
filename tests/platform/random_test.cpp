// The one random source: the range of the standard generator, and the same sequence in
// every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/system/random.h"

namespace {

TEST(RandomTest, EveryRunDrawsTheSameSequenceWithinZeroTo32767) {
  for (int run = 0; run < 2; ++run) {
    ResetRand();
    const std::vector<int> first = {Rand(), Rand(), Rand(), Rand(), Rand()};
    EXPECT_EQ(first, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
  }
  int highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const int value = Rand();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, RAND_LIMIT);
    highest = std::max(highest, value);
  }
  EXPECT_GT(highest, 32000);
}

}  // namespace
