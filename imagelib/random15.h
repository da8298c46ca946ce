// The program's own pseudo-random generator: 15-bit values like the classic C
// library's rand(), but the same sequence in every build and on every platform.
#pragma once

#include <cstdint>

// Restarts the sequence.
void SeedRandom15(uint32_t seed);

// Next value, 0..32767.
int32_t Random15();
