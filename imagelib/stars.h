// Star masking: small bright objects are found against a smoothed
// background, recorded with their input values in a star mask (a sample
// buffer of the image's size and type, 0 where there is no star, else the
// star pixel's input sample, at least 1) and replaced by an interpolation
// from the surrounding background. Objects that survive `grow` erosions
// count as extended (planet, moon) and stay. A null buffer or header is
// IMG_NULL_ARRAY; an image smaller than 1 x 1 or with a level count outside
// 2..32768 IMG_BAD_PARAMETER.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Frees *mask, then writes src without its stars into dst (dst may be src)
// and a new star mask into *mask (null after a failure). level is the
// threshold as a fraction of the range from the background peak to the
// white point; grow 0 or below counts no object as extended; blueExtra is
// added to grow for the blue channel of a colour image.
ImageResult MaskStars(int16_t* dst, const int16_t* src, const ImageHeader* h, double level, int32_t grow,
                      int32_t blueExtra, int16_t** mask);

// The same on one grey plane in place; *mask receives a new mask of the
// plane's size (the old pointer is overwritten, not freed).
ImageResult FindStars(int16_t* plane, const ImageHeader* h, double level, int32_t grow, int16_t** mask);

// dst = mask where the mask sample is at least 1 and above src, else src;
// three samples per pixel for colour. dst may be src.
ImageResult ReplaceMaskedPixels(int16_t* dst, const int16_t* src, const int16_t* mask, const ImageHeader* h);
