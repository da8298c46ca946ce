// In-place power-of-two FFT with its twiddles from the SineTable, so it
// needs LoadTrigTables first.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Forward: re + i im becomes sum over j of x[j] exp(-2 pi i j k / n); with
// inverse not 0 the exponent's sign turns and every result is divided by n.
// n must be a power of two up to 32768 (the table's resolution), else
// IMG_BAD_PARAMETER; IMG_NULL_ARRAY for a null array or no loaded tables.
ImageResult FftRadix2InPlace(double* re, double* im, int32_t n, int32_t inverse);
