#include "shell/markers/marker_strokes.h"

#include <algorithm>
#include <cmath>

#include "shell/markers/marker_steps.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGdiLimit = 1 << 27;

int32_t Truncated(double v) {
  if (!(v == v)) return 0;
  return int32_t(std::clamp(std::trunc(v), -kGdiLimit, kGdiLimit));
}

// A truncated client offset moved by the origin, kept inside GDI's range.
int32_t Shifted(double offset, int32_t origin) {
  return int32_t(std::clamp<int64_t>(int64_t{Truncated(offset)} + origin, -(1 << 27), 1 << 27));
}

class Planner {
 public:
  explicit Planner(const MarkerRecord* r) : r_(r), g_(r->geometry) {}

  int32_t X(double v) const { return MarkerToClient(v, r_->zoom, r_->originX); }
  int32_t Y(double v) const { return MarkerToClient(v, r_->zoom, r_->originY); }

  void Line(int pen, MarkerPoint a, MarkerPoint b) { out_.push_back({pen, false, {a, b}}); }
  void Ellipse(int pen, MarkerPoint a, MarkerPoint b) { out_.push_back({pen, true, {a, b}}); }

  // Picture line from (x0, y0) to (x1, y1).
  void PictureLine(int pen, double x0, double y0, double x1, double y1) {
    Line(pen, {X(x0), Y(y0)}, {X(x1), Y(y1)});
  }
  void HorizontalAcross(int pen, double y) { PictureLine(pen, 0, y, double(r_->visibleWidth) - 1, y); }
  void VerticalAcross(int pen, double x) { PictureLine(pen, x, 0, x, double(r_->visibleHeight) - 1); }

  // The closed outline of a box, its last column and row included.
  void BoxOutline(int pen, const int32_t* b) {
    const double x = b[0], y = b[1], right = double(b[0]) + b[2] - 1, bottom = double(b[1]) + b[3] - 1;
    out_.push_back({pen, false, {{X(x), Y(y)}, {X(right), Y(y)}, {X(right), Y(bottom)}, {X(x), Y(bottom)},
                                 {X(x), Y(y)}}});
  }

  void PictureEllipse(int pen, double cx, double cy, double rx, double ry) {
    Ellipse(pen, {X(cx - rx), Y(cy - ry)}, {X(cx + rx), Y(cy + ry)});
  }

  void BoxShape();
  void Quad();
  void Transformed();
  void Sphere();

  std::vector<MarkerStroke> Take() { return std::move(out_); }

  const MarkerRecord* r_;
  const int32_t* g_;

 private:
  std::vector<MarkerStroke> out_;
};

void Planner::BoxShape() {
  const double x = g_[0], y = g_[1], w = g_[2], h = g_[3], zoom = r_->zoom;
  const int32_t n = r_->gridCount;
  // A grid of one line or point has no spacing; none draws nothing.
  const double stepX = n > 1 ? w / (n - 1) * zoom : 0, stepY = n > 1 ? h / (n - 1) * zoom : 0;
  switch (r_->shape) {
    case kShapeOutline:
      BoxOutline(0, g_);
      break;
    case kShapePointGrid:
      for (int32_t i = 0; i < n; ++i)
        for (int32_t j = 0; j < n; ++j) {
          const int32_t cx = Truncated(x * zoom + r_->originX + i * stepX);
          const int32_t cy = Truncated(y * zoom + r_->originY + j * stepY);
          Ellipse(0, {cx - 2, cy - 2}, {cx + 2, cy + 2});
        }
      break;
    case kShapeVerticalGrid:
      for (int32_t j = 0; j < n; ++j) {
        const int32_t cx = Shifted(x * zoom + j * stepX, r_->originX);
        Line(0, {cx, Y(y)}, {cx, Y(y + h - 1)});
      }
      break;
    case kShapeHorizontalGrid:
      for (int32_t j = 0; j < n; ++j) {
        const int32_t cy = Shifted(y * zoom + j * stepY, r_->originY);
        Line(0, {X(x), cy}, {X(x + w - 1), cy});
      }
      break;
    case kShapeVerticalCentre:
      PictureLine(0, x + g_[2] / 2, y, x + g_[2] / 2, y + h - 1);
      break;
    case kShapeHorizontalCentre:
      PictureLine(0, x, y + g_[3] / 2, x + w - 1, y + g_[3] / 2);
      break;
    default:
      break;
  }
}

void Planner::Quad() {
  // Mapped through the transform, rounded half up by truncation, at the zoom.
  const auto at = [this](double x, double y, MarkerPoint* p) {
    double mx, my;
    if (!MapMarkerPoint(r_, x, y, &mx, &my)) return false;
    *p = {Shifted(mx * r_->zoom + 0.5, r_->originX), Shifted(my * r_->zoom + 0.5, r_->originY)};
    return true;
  };
  const double x = g_[0], y = g_[1], w = g_[2], h = g_[3];
  if (r_->scale > 1 && r_->outline == 1) {
    const double corners[5][2] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
    MarkerStroke s{0, false, std::vector<MarkerPoint>(5)};
    for (int i = 0; i < 5; ++i)
      if (!at(corners[i][0], corners[i][1], &s.points[i])) return;
    out_.push_back(std::move(s));
    return;
  }
  const double halfW = g_[2] / 2, halfH = g_[3] / 2;
  const double lines[2][4] = {{x + halfW, y, x + halfW, y + h}, {x, y + halfH, x + w, y + halfH}};
  for (const auto& l : lines) {
    MarkerPoint a, b;
    if (at(l[0], l[1], &a) && at(l[2], l[3], &b)) Line(0, a, b);
  }
}

void Planner::Transformed() {
  double outline[26][2];
  const int n = MapTransformedOutline(r_, outline);
  if (n == 0) return;
  MarkerStroke s{0, false, {}};
  for (int i = 0; i <= n; ++i) {
    const double* p = outline[i % n];
    s.points.push_back({Shifted(p[0] * r_->zoom + 0.5, r_->originX), Shifted(p[1] * r_->zoom + 0.5, r_->originY)});
  }
  out_.push_back(std::move(s));
}

// An orthographic graticule: parallels and meridians every 30 degrees of a
// sphere whose pole leans towards the viewer by tail[0] degrees; only the
// near side is drawn.
void Planner::Sphere() {
  const double cx = g_[4], cy = g_[5], rx = g_[6], ry = g_[7];
  const double tilt = r_->tail[0] * kPi / 180.0;
  PictureEllipse(0, cx, cy, rx, ry);
  const auto project = [&](double lon, double lat, MarkerStroke* s) {
    const double x = std::cos(lat) * std::sin(lon);
    const double y = std::sin(lat) * std::cos(tilt) - std::cos(lat) * std::cos(lon) * std::sin(tilt);
    const double z = std::sin(lat) * std::sin(tilt) + std::cos(lat) * std::cos(lon) * std::cos(tilt);
    if (z < 0) {
      if (s->points.size() >= 2) out_.push_back(*s);
      s->points.clear();
      return;
    }
    s->points.push_back({X(cx + rx * x), Y(cy - ry * y)});
  };
  const auto finish = [this](MarkerStroke* s) {
    if (s->points.size() >= 2) out_.push_back(*s);
    s->points.clear();
  };
  for (int lat = -60; lat <= 60; lat += 30) {
    MarkerStroke s{0, false, {}};
    for (int lon = -180; lon <= 180; lon += 5) project(lon * kPi / 180, lat * kPi / 180, &s);
    finish(&s);
  }
  for (int lon = -180; lon < 180; lon += 30) {
    MarkerStroke s{0, false, {}};
    for (int lat = -90; lat <= 90; lat += 5) project(lon * kPi / 180, lat * kPi / 180, &s);
    finish(&s);
  }
}

}  // namespace

std::vector<MarkerStroke> PlanMarkerDrawing(const MarkerRecord* r, MarkerDrawing drawing) {
  Planner p(r);
  const int32_t* g = r->geometry;
  switch (drawing) {
    case kDrawBoxShape:
      p.BoxShape();
      break;
    case kDrawShiftCross:
    case kDrawHorizontalLine:
    case kDrawVerticalLine:
      if (drawing != kDrawVerticalLine) p.HorizontalAcross(0, g[1]);
      if (drawing != kDrawHorizontalLine) p.VerticalAcross(0, g[0]);
      break;
    case kDrawQuad:
      p.Quad();
      break;
    case kDrawHorizontalLines:
      p.HorizontalAcross(0, g[1]);
      p.HorizontalAcross(1, g[5]);
      break;
    case kDrawVerticalLines:
      p.VerticalAcross(0, g[0]);
      p.VerticalAcross(1, g[4]);
      break;
    case kDrawTwoBoxes:
      p.BoxOutline(0, g);
      p.BoxOutline(1, g + 4);
      break;
    case kDrawEllipse:
      p.PictureEllipse(0, g[0], g[1], g[8], g[9]);
      break;
    case kDrawPointCross: {
      const int32_t x = p.X(g[0]), y = p.Y(g[1]);
      p.Line(0, {x - 3, y}, {x + 4, y});
      p.Line(0, {x, y - 3}, {x, y + 4});
      break;
    }
    case kDrawCircleAndBox:
      p.PictureEllipse(1, g[4], g[5], g[8], g[9]);
      p.BoxOutline(0, g);
      break;
    case kDrawTransformed:
      p.Transformed();
      break;
    case kDrawSphere:
      p.Sphere();
      break;
  }
  return p.Take();
}
