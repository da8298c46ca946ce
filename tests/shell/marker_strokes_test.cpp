// The strokes each mark is drawn with, in client coordinates: outlines,
// grids, cross lines, the transformed box, and the other kinds.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "imagelib/matrix.h"
#include "shell/markers/marker_record.h"
#include "shell/markers/marker_strokes.h"

namespace {

// A stroke as text: "p0 (x,y) (x,y) ..." or "e1 (l,t) (r,b)" for an ellipse.
std::string Text(const MarkerStroke& s) {
  std::string t = (s.ellipse ? "e" : "p") + std::to_string(s.pen);
  for (const MarkerPoint& p : s.points) t += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  return t;
}
std::vector<std::string> Texts(const MarkerRecord& r, MarkerDrawing d) {
  std::vector<std::string> out;
  for (const MarkerStroke& s : PlanMarkerDrawing(&r, d)) out.push_back(Text(s));
  return out;
}

MarkerRecord Box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t shape, int32_t n, double zoom, int32_t ox,
                 int32_t oy) {
  MarkerRecord r{};
  r.geometry[0] = x;
  r.geometry[1] = y;
  r.geometry[2] = w;
  r.geometry[3] = h;
  r.shape = shape;
  r.gridCount = n;
  r.zoom = zoom;
  r.originX = ox;
  r.originY = oy;
  r.visibleWidth = 100;
  r.visibleHeight = 80;
  r.kind = kMarkerBox;
  return r;
}

using V = std::vector<std::string>;

TEST(MarkerStrokes, BoxShapes) {
  const struct {
    const char* name;
    MarkerRecord record;
    V strokes;
  } cases[] = {
      {"outline", Box(5, 5, 10, 10, kShapeOutline, 0, 1, 10, 20), {"p0 (15,25) (24,25) (24,34) (15,34) (15,25)"}},
      {"outline at zoom 2", Box(5, 5, 10, 10, kShapeOutline, 0, 2, 0, 0),
       {"p0 (10,10) (28,10) (28,28) (10,28) (10,10)"}},
      {"outline at zoom 0.5", Box(5, 5, 10, 10, kShapeOutline, 0, 0.5, 1, 1),
       {"p0 (4,4) (8,4) (8,8) (4,8) (4,4)"}},
      {"grid of 2 x 2 points", Box(10, 20, 40, 30, kShapePointGrid, 2, 1, 0, 0),
       {"e0 (8,18) (12,22)", "e0 (8,48) (12,52)", "e0 (48,18) (52,22)", "e0 (48,48) (52,52)"}},
      {"grid of 3 points at zoom 2", Box(10, 20, 40, 30, kShapePointGrid, 3, 2, 1, 1),
       {"e0 (19,39) (23,43)", "e0 (19,69) (23,73)", "e0 (19,99) (23,103)", "e0 (59,39) (63,43)",
        "e0 (59,69) (63,73)", "e0 (59,99) (63,103)", "e0 (99,39) (103,43)", "e0 (99,69) (103,73)",
        "e0 (99,99) (103,103)"}},
      {"grid of one point", Box(10, 20, 40, 30, kShapePointGrid, 1, 1, 0, 0), {"e0 (8,18) (12,22)"}},
      {"grid of no point", Box(10, 20, 40, 30, kShapePointGrid, 0, 1, 0, 0), {}},
      {"grid of -2 points", Box(10, 20, 40, 30, kShapePointGrid, -2, 1, 0, 0), {}},
      {"vertical grid", Box(10, 20, 40, 30, kShapeVerticalGrid, 3, 1, 5, 0),
       {"p0 (15,20) (15,49)", "p0 (35,20) (35,49)", "p0 (55,20) (55,49)"}},
      {"vertical grid of one", Box(10, 20, 40, 30, kShapeVerticalGrid, 1, 1, 5, 0), {"p0 (15,20) (15,49)"}},
      {"vertical grid of none", Box(10, 20, 40, 30, kShapeVerticalGrid, 0, 1, 5, 0), {}},
      {"horizontal grid", Box(10, 20, 40, 30, kShapeHorizontalGrid, 2, 1, 0, 5),
       {"p0 (10,25) (49,25)", "p0 (10,55) (49,55)"}},
      {"horizontal grid of one", Box(10, 20, 40, 30, kShapeHorizontalGrid, 1, 1, 0, 5), {"p0 (10,25) (49,25)"}},
      {"vertical centre", Box(10, 20, 41, 30, kShapeVerticalCentre, 0, 1, 0, 0), {"p0 (30,20) (30,49)"}},
      {"horizontal centre", Box(10, 20, 40, 31, kShapeHorizontalCentre, 0, 1, 0, 0), {"p0 (10,35) (49,35)"}},
      {"no such shape", Box(10, 20, 40, 30, 6, 0, 1, 0, 0), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.strokes, Texts(c.record, kDrawBoxShape));
  }
}

TEST(MarkerStrokes, LinesPointsAndTwoPartMarks) {
  MarkerRecord r = Box(10, 20, 30, 40, 0, 0, 1, 5, 6);
  r.geometry[4] = 50;
  r.geometry[5] = 30;
  r.geometry[6] = 8;
  r.geometry[7] = 9;
  r.geometry[8] = 7;
  r.geometry[9] = 3;
  const struct {
    MarkerDrawing drawing;
    V strokes;
  } cases[] = {
      {kDrawShiftCross, {"p0 (5,26) (104,26)", "p0 (15,6) (15,85)"}},
      {kDrawHorizontalLine, {"p0 (5,26) (104,26)"}},
      {kDrawHorizontalLines, {"p0 (5,26) (104,26)", "p1 (5,36) (104,36)"}},
      {kDrawVerticalLine, {"p0 (15,6) (15,85)"}},
      {kDrawVerticalLines, {"p0 (15,6) (15,85)", "p1 (55,6) (55,85)"}},
      {kDrawTwoBoxes,
       {"p0 (15,26) (44,26) (44,65) (15,65) (15,26)", "p1 (55,36) (62,36) (62,44) (55,44) (55,36)"}},
      {kDrawEllipse, {"e0 (8,23) (22,29)"}},
      {kDrawPointCross, {"p0 (12,26) (19,26)", "p0 (15,23) (15,30)"}},
      {kDrawCircleAndBox, {"e1 (48,33) (62,39)", "p0 (15,26) (44,26) (44,65) (15,65) (15,26)"}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.strokes, Texts(r, c.drawing)) << c.drawing;
}

TEST(MarkerStrokes, QuadThroughItsTransform) {
  // Scale 2 maps the section about its centre to half its size.
  MarkerRecord r{};
  const MarkerView view{nullptr, nullptr, 200, 200};
  ASSERT_EQ(1, InitQuadMarker(view, 3, 4, 100, 80, 100, 80, 9, 2.0, 1, 0.0, 1.0, 1.0, 1.0, 0, &r));
  EXPECT_EQ(V{"p0 (28,24) (78,24) (78,64) (28,64) (28,24)"}, Texts(r, kDrawQuad));
  r.outline = 0;
  EXPECT_EQ((V{"p0 (53,24) (53,64)", "p0 (28,44) (78,44)"}), Texts(r, kDrawQuad)) << "centre lines";
  r.outline = 1;
  r.scale = 1.0;
  EXPECT_EQ((V{"p0 (53,24) (53,64)", "p0 (28,44) (78,44)"}), Texts(r, kDrawQuad)) << "no outline at scale 1";
  r.zoom = 2;
  r.geometry[0] = r.geometry[1] = 10;
  r.geometry[2] = r.geometry[3] = 20;
  EXPECT_EQ((V{"p0 (73,54) (73,74)", "p0 (63,64) (83,64)"}), Texts(r, kDrawQuad)) << "at zoom 2";
  // Kinds 10 and 11 draw their mapped outline closed.
  r.zoom = 1;
  r.kind = kMarkerTransformedBox;
  EXPECT_EQ(V{"p0 (33,29) (43,29) (43,39) (33,39) (33,29)"}, Texts(r, kDrawTransformed));
  r.kind = kMarkerTransformedRoundBox;
  const std::vector<MarkerStroke> round = PlanMarkerDrawing(&r, kDrawTransformed);
  ASSERT_EQ(1u, round.size());
  EXPECT_EQ(27u, round[0].points.size());
  EXPECT_EQ(Text(MarkerStroke{0, false, {round[0].points[0]}}), Text(MarkerStroke{0, false, {round[0].points[26]}}));
  FreeMatrix(&r.transform);
  FreeMatrix(&r.savedTransform);
  EXPECT_EQ(V{}, Texts(r, kDrawQuad)) << "no transform, nothing drawn";
  EXPECT_EQ(V{}, Texts(r, kDrawTransformed));
}

TEST(MarkerStrokes, SphereStaysOnItsDisc) {
  MarkerRecord r{};
  const MarkerView view{nullptr, nullptr, 200, 200};
  InitSphereMarker(view, 0, 0, 200, 160, 100, 100, 60, 50, 25, 1, 1.0, 0, &r);
  const std::vector<MarkerStroke> strokes = PlanMarkerDrawing(&r, kDrawSphere);
  ASSERT_GT(strokes.size(), 8u);
  EXPECT_EQ("e0 (40,30) (160,130)", Text(strokes[0])) << "the limb";
  for (size_t i = 1; i < strokes.size(); ++i)
    for (const MarkerPoint& p : strokes[i].points) {
      // Radii one more for the rounding.
      const double dx = (p.x - 100) / 61.0, dy = (p.y - 80) / 51.0;
      EXPECT_LE(dx * dx + dy * dy, 1.0) << p.x << "," << p.y;
    }
}

TEST(MarkerStrokes, FarCoordinatesStayInGdiRange) {
  for (double zoom : {1e300, -1e300, DBL_MAX, std::nan("")}) {
    MarkerRecord r = Box(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, kShapeOutline, 3, zoom, INT32_MAX, INT32_MIN);
    for (int32_t shape = kShapeOutline; shape <= kShapeHorizontalCentre; ++shape) {
      r.shape = shape;
      for (const MarkerStroke& s : PlanMarkerDrawing(&r, kDrawBoxShape))
        for (const MarkerPoint& p : s.points) {
          EXPECT_LE(std::abs(int64_t{p.x}), 1 << 28);
          EXPECT_LE(std::abs(int64_t{p.y}), 1 << 28);
        }
    }
  }
}

}  // namespace
