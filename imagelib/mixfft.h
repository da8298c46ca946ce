// The mixed-radix FFT: complex transforms of any length whose prime factors
// are at most kMaxFftPrime, with fast butterflies for 2, 3, 4, 5, 8 and 10.
// Each thread keeps its own work state, so transforms on different threads
// do not disturb each other.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

constexpr int32_t kMaxFftPrime = 2099;   // largest odd radix the work state holds
constexpr int32_t kMaxFftFactors = 32;   // no 32-bit length has more stages

// y = sum over j of x[j] exp(-2 pi i j k / n), unscaled; x is not changed and
// must not overlap y. IMG_BAD_PARAMETER for n < 1 or a prime factor above
// kMaxFftPrime (nothing written), IMG_NULL_ARRAY for a null array.
ImageResult MixedRadixFft(int32_t n, const double* xRe, const double* xIm, double* yRe, double* yIm);

// The factors of n in the order the stages use them, factors[0..count-1]
// (room for kMaxFftFactors): radices 10, 8, 5, 4, 3, 2 first (8 x 2 turned
// into 4 x 4), then other primes, and the list reversed, so 2000 gives
// 2, 10, 10, 10 and 16 gives 4, 4; n = 1 gives the single factor 1.
// IMG_BAD_PARAMETER for n < 1, IMG_NULL_ARRAY for a null output.
ImageResult FactoriseFftLength(int32_t n, int32_t* count, int32_t* factors);
