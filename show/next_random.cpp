// The runtime's linear congruential generator, with its constants, so that every build
// draws the same sequence.
#include "show/next_random.h"

namespace {
uint32_t randomState = 1;
}

int NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

void ResetRandom() { randomState = 1; }
