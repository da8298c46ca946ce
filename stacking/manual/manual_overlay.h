// The picture arithmetic of the manual overlay: the picture turned as the
// user placed it, and its overlay with the mean of the pictures added so
// far. Platform-free.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// 0.1 degree, the step of the rotation buttons, in radians.
constexpr double kManualAngleStep = 0.0017453292519943296;

// The picture turned by angle (radians) about (width div 2, height div 2),
// bilinear, into out (of the same size); a plain copy for an angle of
// exactly 0. Pixels turned in from outside take the header's fill values.
ImageResult PlaceManualPicture(const int16_t* picture, const ImageHeader* h, double angle, int16_t* out);

// Each sample of picture at (x, y) whose partner (x + shiftX, y + shiftY)
// lies in the mean becomes (own + mean there) / 2, truncated toward zero;
// the others are copied. mean and out have the picture's size; out may be
// picture.
void BlendWithMean(const int16_t* picture, const int16_t* mean, const ImageHeader* h, int32_t shiftX,
                   int32_t shiftY, int16_t* out);
