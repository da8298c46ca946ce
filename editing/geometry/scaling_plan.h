// What the scaling and rectification dialog hands to the resampler: the
// result's size and centre, the interpolation and the smoothing before a
// reduction, from the factor, the pixel shape and the marker's box; and the
// box that puts the result's middle on a chosen picture point. Platform-free.
//
// The pixel shape k = pixel height / pixel width widens the result; the
// resampler itself stretches its sampling by the source's x pixel scale
// (pixel width) over its y pixel scale (pixel height).
#pragma once

#include <cstdint>

// The setting Minification.
enum Minification : int32_t { kMinifyPickUp = 0, kMinifyMean = 1 };

struct ScalingInput {
  int32_t width, height;            // the source picture
  double scale;                     // 0.1 .. 10
  double pixelWidth, pixelHeight;   // Pixelwidth, Pixelheight
  bool section;                     // IsSection: at factors from 1 on, the source size around the box's centre
  int32_t method;                   // Method: interpolation from a factor of 1 on (2, 3 or 4)
  int32_t minification;             // Minification: below a factor of 1
  int32_t box[4];                   // the marker's box x, y, width, height (section only)
};

struct ScalingPlan {
  int32_t width, height;            // of the result
  int32_t centreX, centreY;         // handed to ResampleImage
  int32_t mode;                     // of ResampleImage
  int32_t smoothRadius;             // SmoothRect radius before resampling; 0 for none
};

// A pixel size the dialog takes: finite and above 0.
bool ValidPixelSize(double size);

// false when a pixel size is not valid or the result would be smaller than
// 1 x 1 or wider or higher than an int32 can say.
//   factor < 1:             floor(W x scale x k) x floor(H x scale), centre in its middle;
//                           "Pick Up" nearest neighbour, "Mittelwert" a triangle
//                           smoothing over about 1 / scale pixels, then bilinear
//   factor >= 1, no section: the same size, centre in the middle, mode Method
//   factor >= 1, section:    floor(W x k) x H, centre (floor((x + w/2) x k), y + h/2)
//                           of the box, mode Method
bool PlanScaling(const ScalingInput& in, ScalingPlan* plan);

// The box position (x, y for a box of the input's size) whose section result
// has its middle on picture point (px, py), turned by angle (radians): the
// inverse of the resampler's mapping of the result's middle. false for
// invalid pixel sizes or a factor not above 0.
bool SectionBoxForPoint(const ScalingInput& in, double angle, double px, double py, int32_t* boxX, int32_t* boxY);
