// Colour images (colour type 1, B,G,R) as hue, saturation and lightness
// planes of width x height samples, and the colour correction built on them.
// The planes come from the decorrelated space a = (2R - G - B) / sqrt 6,
// b = (G - B) / sqrt 2: hue is the angle of (b, a) in 1/32768 turns (pure
// red at 8192), saturation the length of (a, b), lightness the mean of R, G
// and B. The conversions need the trigonometric tables (trigon.h); without
// them they return IMG_NULL_ARRAY. A null header is IMG_NULL_ARRAY; a grey
// image IMG_BAD_PARAMETER. progress, when given, is called once per row.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// rgb into the three planes.
ImageResult RgbToHueSatLight(const int16_t* rgb, int16_t* hue, int16_t* sat, int16_t* light, const ImageHeader* h,
                             ProgressCallback progress = nullptr);

// The three planes back into rgb, samples limited to 0..32767.
ImageResult HueSatLightToRgb(int16_t* rgb, const int16_t* hue, const int16_t* sat, const int16_t* light,
                             const ImageHeader* h, ProgressCallback progress = nullptr);

// src into dst (may be the same): hue turned by hueTurn radians, saturation
// times satFactor, the saturation plane smoothed over radius (0 none),
// each channel times 10^(0.002 gain), then a white balance from 5000 K to
// kelvin by Planck's law at constant luminance. 1.0, 0.0, 0, gains 0 and
// 5000 K copy the picture. A temperature of 0 or below is IMG_BAD_PARAMETER.
// With hue, saturation or smoothing to do, progress counts the rows there
// and back as one pass of 2 x height steps.
ImageResult CorrectColourTemperature(const int16_t* src, int16_t* dst, const ImageHeader* h, int32_t redGain,
                                     int32_t greenGain, int32_t blueGain, double satFactor, double hueTurn,
                                     double kelvin, int32_t radius, ProgressCallback progress = nullptr);
