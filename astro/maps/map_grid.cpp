#include "astro/maps/map_grid.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "astro/maps/map_projections.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

int Centidegrees(double radians) { return int(std::floor(radians * 57.29577951308232 * 100 + 0.5)); }

struct Grid {
  int lineStep, parallelStart, pointStep;
};

Grid GridFor(int radius) {
  if (radius >= 100) return {1500, -7500, 750};
  if (radius >= 61) return {1500, -7500, 1500};
  if (radius >= 21) return {3000, -6000, 1500};
  return {4500, -4500, 2250};
}

// The globe's geometry in the fixed-point family's units.
struct Globe {
  HDC dc;
  int cx, cy;
  int radius, polarRadius;   // pixels
  int centralMeridian, rotation, centreLatitude;   // hundredths of a degree

  // Screen point of (longitude, latitude); true on the visible hemisphere.
  bool Point(int longitude, int latitude, POINT* p, int radiusX = -1, int radiusY = -1) const {
    int x, y;
    const int visible = OrthographicDiskPoint(&x, &y, centralMeridian - longitude, latitude,
                                              radiusX < 0 ? radius : radiusX, radiusY < 0 ? polarRadius : radiusY,
                                              rotation, centreLatitude);
    p->x = cx + x;
    p->y = cy - y;
    return visible != 0;
  }

  // The outline seen from the equator, turned by the rotation.
  std::vector<POINT> Limb() const {
    std::vector<POINT> pts;
    for (int a = -18000; a <= 18000; a += 500) {
      int x, y;
      OrthographicDiskPoint(&x, &y, 9000, a, radius, polarRadius, rotation, 0);
      pts.push_back({cx + x, cy - y});
    }
    return pts;
  }
};

void DrawRuns(const Globe& g, const std::vector<POINT>& pts, const std::vector<bool>& visible) {
  size_t i = 0;
  while (i < pts.size()) {
    while (i < pts.size() && !visible[i]) ++i;
    size_t j = i;
    while (j < pts.size() && visible[j]) ++j;
    if (j - i >= 2) Polyline(g.dc, &pts[i], int(j - i));
    i = j;
  }
}

void DrawParallels(const Globe& g, const Grid& grid) {
  for (int lat = grid.parallelStart; lat <= -grid.parallelStart; lat += grid.lineStep) {
    std::vector<POINT> pts;
    std::vector<bool> visible;
    for (int lon = 0; lon <= 36000; lon += grid.pointStep) {
      POINT p;
      visible.push_back(g.Point(lon, lat, &p));
      pts.push_back(p);
    }
    DrawRuns(g, pts, visible);
  }
}

void DrawMeridians(const Globe& g, const Grid& grid, HPEN pen, HPEN zeroPen, bool lettering) {
  for (int lon = 0; lon < 36000; lon += grid.lineStep) {
    std::vector<POINT> pts;
    std::vector<bool> visible;
    for (int lat = -9000; lat <= 9000; lat += grid.pointStep) {
      POINT p;
      visible.push_back(g.Point(lon, lat, &p));
      pts.push_back(p);
    }
    SelectObject(g.dc, lon == 0 ? zeroPen : pen);
    DrawRuns(g, pts, visible);
    POINT p;
    if (lettering && lon % 4500 == 0 && g.Point(lon, 0, &p)) {
      char text[8];
      std::snprintf(text, sizeof text, "%d", lon / 100);
      TextOutA(g.dc, p.x + 2, p.y + 2, text, int(std::strlen(text)));
    }
  }
}

// One half of a ring (the far half for angles 90..270 degrees from the
// central meridian, the near half for -90..90): outer edge forward, inner
// edge back, in steps of 7.5 degrees.
std::vector<POINT> RingHalf(const Globe& g, double inner, double outer, double equatorialRadius, bool farHalf) {
  const int ri = int(inner / equatorialRadius * g.radius), ro = int(outer / equatorialRadius * g.radius);
  const int from = farHalf ? 9000 : -9000;
  std::vector<POINT> pts;
  for (int a = from; a <= from + 18000; a += 750) {
    POINT p;
    g.Point(g.centralMeridian - a, 0, &p, ro, ro);
    pts.push_back(p);
  }
  for (int a = from + 18000; a >= from; a -= 750) {
    POINT p;
    g.Point(g.centralMeridian - a, 0, &p, ri, ri);
    pts.push_back(p);
  }
  return pts;
}

// Fills one half of every ring; with a region given, adds the halves to it.
void FillRings(const Globe& g, const double* rings, double equatorialRadius, bool farHalf, HRGN area = nullptr) {
  for (int i = 0; rings[i] != 0.0 && rings[i + 1] != 0.0; i += 2) {
    const double a = rings[i], b = rings[i + 1];
    const std::vector<POINT> pts = RingHalf(g, a < b ? a : b, a < b ? b : a, equatorialRadius, farHalf);
    Polygon(g.dc, pts.data(), int(pts.size()));
    if (area) {
      HRGN half = CreatePolygonRgn(pts.data(), int(pts.size()), ALTERNATE);
      CombineRgn(area, area, half, RGN_OR);
      DeleteObject(half);
    }
  }
}

// The planet's shadow on the far rings: the limb moved away from the Sun,
// clipped to the rings (and to the caller's clipping, which comes back after).
void FillRingShadow(const Globe& g, const std::vector<POINT>& limb, int sunLongitude, HRGN ringArea) {
  POINT away;
  g.Point(sunLongitude + 18000, 0, &away, g.radius, g.radius);
  std::vector<POINT> shadow(limb);
  for (POINT& p : shadow) p.x += away.x - g.cx, p.y += away.y - g.cy;
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  const bool hadClip = GetClipRgn(g.dc, saved) == 1;
  ExtSelectClipRgn(g.dc, ringArea, RGN_AND);
  Polygon(g.dc, shadow.data(), int(shadow.size()));
  SelectClipRgn(g.dc, hadClip ? saved : nullptr);
  DeleteObject(saved);
}

double Angle(const Globe& g, const POINT& p) { return std::atan2(double(g.cy - p.y), double(p.x - g.cx)); }

// The lit part of the disk: the visible run of the terminator (stepped 5
// degrees at a time in the sub-solar system, turned back with RotateToPole)
// closed along the limb on the Sun's side.
void FillLitPart(const Globe& g, int sunLatitude, int sunLongitude, const std::vector<POINT>& limb) {
  POINT sun;
  const bool sunVisible = g.Point(sunLongitude, sunLatitude, &sun);
  if (sun.x == g.cx && sun.y == g.cy) {
    // The Sun straight behind the Earth or behind the planet: the
    // terminator runs along the limb and tells no side.
    if (sunVisible) Polygon(g.dc, limb.data(), int(limb.size()));
    return;
  }
  std::vector<POINT> term;
  std::vector<bool> visible;
  for (int psi = 0; psi < 36000; psi += 500) {
    int lat, dlon;
    RotateToPole(&lat, &dlon, 0, psi, sunLatitude);
    POINT p;
    visible.push_back(g.Point(sunLongitude + dlon, lat, &p));
    term.push_back(p);
  }
  const size_t n = term.size();
  size_t shown = 0;
  for (bool v : visible) shown += v;
  if (shown == 0) {
    // The terminator lies behind the limb: all lit or all dark.
    if (sunVisible) Polygon(g.dc, limb.data(), int(limb.size()));
    return;
  }
  if (shown == n) {
    if (sunVisible) {
      Polygon(g.dc, term.data(), int(n));
    } else {
      // A lit ring between limb and terminator: alternate filling leaves the inside dark.
      const INT counts[2] = {INT(limb.size()), INT(n)};
      std::vector<POINT> both(limb);
      both.insert(both.end(), term.begin(), term.end());
      PolyPolygon(g.dc, both.data(), counts, 2);
    }
    return;
  }
  // The visible run, starting after a hidden point.
  size_t start = 0;
  while (!(visible[start] && !visible[(start + n - 1) % n])) ++start;
  std::vector<POINT> pts;
  for (size_t k = 0; k < n && visible[(start + k) % n]; ++k) pts.push_back(term[(start + k) % n]);
  // Along the limb from the run's end back to its start, round the Sun's side.
  const double a0 = Angle(g, pts.back()), a1 = Angle(g, pts.front());
  const double sunAngle = Angle(g, sun);
  double sweep = std::remainder(a1 - a0, 2 * kPi);
  // The sweep passes the Sun's direction, or the other way round it.
  double toSun = std::remainder(sunAngle - a0, 2 * kPi);
  if (sweep > 0 ? !(toSun > 0 && toSun < sweep) : !(toSun < 0 && toSun > sweep))
    sweep = sweep > 0 ? sweep - 2 * kPi : sweep + 2 * kPi;
  const double rx = g.radius, ry = g.polarRadius;
  const double rot = g.rotation / 100.0 / 57.29577951308232;
  const int steps = 36;
  for (int k = 1; k < steps; ++k) {
    // The limb ellipse in its own axes, then turned by the rotation.
    const double a = a0 + sweep * k / steps - rot;
    const double t = std::atan2(std::sin(a) * rx, std::cos(a) * ry);
    const double x = rx * std::cos(t), y = ry * std::sin(t);
    pts.push_back({g.cx + LONG(std::lround(x * std::cos(rot) - y * std::sin(rot))),
                   g.cy - LONG(std::lround(x * std::sin(rot) + y * std::cos(rot)))});
  }
  Polygon(g.dc, pts.data(), int(pts.size()));
}

}  // namespace

BOOL DrawMapGrid(HDC dc, int centreX, int centreY, int radius, int lettering, double tilt, double centralMeridian,
                 double rotation, double subSolarLatitude, double subSolarLongitude, double polarRadius,
                 double equatorialRadius, const double* rings) {
  Globe g;
  g.dc = dc;
  g.cx = centreX;
  g.cy = centreY;
  g.radius = radius;
  g.polarRadius = int((equatorialRadius - std::cos(tilt) * (equatorialRadius - polarRadius)) * radius / equatorialRadius);
  g.centralMeridian = Centidegrees(centralMeridian);
  g.rotation = Centidegrees(rotation);
  g.centreLatitude = Centidegrees(-tilt);
  const int sunLatitude = Centidegrees(subSolarLatitude), sunLongitude = Centidegrees(subSolarLongitude);
  const Grid grid = GridFor(radius);
  const bool letters = lettering && radius >= 100;
  const bool ringsShown = rings && std::fabs(tilt) > 0.01 * kPi / 180;

  HBRUSH ringBrush = CreateSolidBrush(RGB(255, 255, 0));
  HBRUSH shadowBrush = CreateSolidBrush(RGB(0, 0, 63));
  HBRUSH diskBrush = CreateSolidBrush(RGB(0, 0, 255));
  HBRUSH litBrush = CreateSolidBrush(RGB(255, 255, 128));
  HPEN parallelPen = CreatePen(PS_SOLID, 1, RGB(0, 127, 127));
  HPEN meridianPen = CreatePen(PS_SOLID, 1, RGB(0, 128, 128));
  HPEN zeroPen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  const int oldFill = SetPolyFillMode(dc, ALTERNATE);
  const int oldBkMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldText = SetTextColor(dc, RGB(0, 255, 255));   // lettering
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, ringBrush);

  const std::vector<POINT> limb = g.Limb();
  if (ringsShown) {
    HRGN ringArea = CreateRectRgn(0, 0, 0, 0);
    FillRings(g, rings, equatorialRadius, true, ringArea);
    SelectObject(dc, shadowBrush);
    FillRingShadow(g, limb, sunLongitude, ringArea);
    DeleteObject(ringArea);
  }
  SelectObject(dc, diskBrush);
  Polygon(dc, limb.data(), int(limb.size()));
  SelectObject(dc, litBrush);
  FillLitPart(g, sunLatitude, sunLongitude, limb);
  SelectObject(dc, parallelPen);
  DrawParallels(g, grid);
  DrawMeridians(g, grid, meridianPen, zeroPen, letters);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  Polyline(dc, limb.data(), int(limb.size()));
  if (ringsShown) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, ringBrush);
    FillRings(g, rings, equatorialRadius, false);
  }

  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  SetTextColor(dc, oldText);
  SetBkMode(dc, oldBkMode);
  SetPolyFillMode(dc, oldFill);
  DeleteObject(ringBrush);
  DeleteObject(shadowBrush);
  DeleteObject(diskBrush);
  DeleteObject(litBrush);
  DeleteObject(parallelPen);
  DeleteObject(meridianPen);
  return DeleteObject(zeroPen);
}
