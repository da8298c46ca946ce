#include "scaling_plan.h"

#include <cmath>
#include <limits>

namespace {

// floor(v) as a size: 0 for anything below 1 or not a number, -1 beyond int32.
int32_t SizeOf(double v) {
  if (!(v >= 1.0)) return 0;
  if (v >= double(std::numeric_limits<int32_t>::max())) return -1;
  return int32_t(std::floor(v));
}

double Shape(const ScalingInput& in) { return in.pixelHeight / in.pixelWidth; }

}  // namespace

bool ValidPixelSize(double size) { return std::isfinite(size) && size > 0.0; }

bool PlanScaling(const ScalingInput& in, ScalingPlan* plan) {
  if (!ValidPixelSize(in.pixelWidth) || !ValidPixelSize(in.pixelHeight) || !(in.scale > 0.0)) return false;
  const double k = Shape(in);
  ScalingPlan p{};
  const bool magnify = in.scale >= 1.0;
  if (magnify && in.section) {
    p.width = SizeOf(std::floor(in.width * k));
    p.height = SizeOf(in.height);
    const double cx = std::floor((double(in.box[0]) + in.box[2] / 2) * k);
    if (!(std::fabs(cx) < 1e9)) return false;
    p.centreX = int32_t(cx);
    p.centreY = in.box[1] + in.box[3] / 2;
  } else {
    p.width = SizeOf(std::floor(in.width * in.scale * k));
    p.height = SizeOf(std::floor(in.height * in.scale));
    p.centreX = p.width / 2;
    p.centreY = p.height / 2;
  }
  if (p.width < 1 || p.height < 1) return false;
  if (magnify) {
    p.mode = in.method;
  } else if (in.minification == kMinifyPickUp) {
    p.mode = 0;
  } else {
    // A triangle of radius R is about R + 1 pixels wide at half its height.
    const double across = std::floor(1.0 / in.scale + 0.5);
    p.smoothRadius = across >= 2.0 ? int32_t(std::fmin(across, 33.0)) - 1 : 0;
    p.mode = 1;
  }
  *plan = p;
  return true;
}

bool SectionBoxForPoint(const ScalingInput& in, double angle, double px, double py, int32_t* boxX, int32_t* boxY) {
  if (!ValidPixelSize(in.pixelWidth) || !ValidPixelSize(in.pixelHeight) || !(in.scale > 0.0)) return false;
  const double k = Shape(in);
  const double resultW = std::floor(in.width * k);
  // The resampler maps the result's middle (X0, Y0) about the halved sizes,
  // y up: X = (X0 cos a - Y0 sin a) s_x / s, Y = (X0 sin a + Y0 cos a) / s
  // with s_x = 1 / k; solved here for (X0, Y0).
  const double X = px - in.width / 2, Y = in.height / 2 - py;
  const double a = X * in.scale * k, b = Y * in.scale;
  const double c = std::cos(angle), s = std::sin(angle);
  const double x0 = a * c + b * s, y0 = -a * s + b * c;
  const double centreX = x0 + std::floor(resultW / 2), centreY = in.height / 2 - y0;
  const double x = std::floor(centreX / k + 0.5) - in.box[2] / 2, y = std::floor(centreY + 0.5) - in.box[3] / 2;
  if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return false;
  *boxX = int32_t(x);
  *boxY = int32_t(y);
  return true;
}
