#include "imagelib/random15.h"

namespace {
uint32_t gState = 1;
}

void SeedRandom15(uint32_t seed) { gState = seed; }

int32_t Random15() {
  gState = gState * 214013u + 2531011u;
  return static_cast<int32_t>((gState >> 16) & 0x7fffu);
}
