#include "platform/system/random.h"

#include <cstdint>

namespace {
// A linear congruential generator with a 32-bit state, seeded with 1 as the standard
// library's generator is when nobody seeds it.
uint32_t randomState = 1;
unsigned long long valuesTaken = 0;
}  // namespace

int Rand() {
  ++valuesTaken;
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

void ResetRand() {
  randomState = 1;
  valuesTaken = 0;
}

unsigned long long RandCount() { return valuesTaken; }
