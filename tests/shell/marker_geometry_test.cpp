// Marks over previews without a window: initialisers, placement for a zoom,
// the steps at every edge, the overlap and bounding-box helpers, the
// transformed box, and long random step sequences that must never carry a
// mark out of the picture.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "imagelib/matrix.h"
#include "shell/markers/marker_record.h"
#include "shell/markers/marker_steps.h"

namespace {

using Geometry = std::array<int32_t, kMarkerGeometrySize>;

Geometry Of(const MarkerRecord& r) {
  Geometry g;
  std::memcpy(g.data(), r.geometry, sizeof r.geometry);
  return g;
}
Geometry Previous(const MarkerRecord& r) {
  Geometry g;
  std::memcpy(g.data(), r.previous, sizeof r.previous);
  return g;
}

std::string Text(const Geometry& g) {
  std::string s;
  for (int32_t v : g) s += std::to_string(v) + " ";
  return s;
}

MarkerRecord Record(const Geometry& g, int32_t w, int32_t h, int32_t kind = kMarkerBox) {
  MarkerRecord r{};
  std::memcpy(r.geometry, g.data(), sizeof r.geometry);
  std::memcpy(r.previous, g.data(), sizeof r.previous);
  r.visibleWidth = w;
  r.visibleHeight = h;
  r.kind = kind;
  r.zoom = 1;
  return r;
}

const MarkerView kView{nullptr, nullptr, 800, 600};
constexpr double kPi = 3.14159265358979323846;

// --- initialisers and placement

TEST(MarkerInit, BoxMarkerCentresItsBoxAndKeepsTheView) {
  MarkerRecord r{};
  int dummy;
  const MarkerView view{&dummy, &dummy, 700, 500};
  EXPECT_EQ(1, InitBoxMarker(view, 9, 19, 640, 480, 100, 80, kShapeVerticalGrid, 5, 0x123456, 1.5, 77, &r));
  EXPECT_EQ((Geometry{270, 200, 100, 80}), Of(r));
  EXPECT_EQ(Of(r), Previous(r));
  EXPECT_EQ(10, r.originX) << "the origin is passed one less";
  EXPECT_EQ(20, r.originY);
  EXPECT_EQ(699, r.clientRight);
  EXPECT_EQ(499, r.clientBottom);
  EXPECT_EQ(kMarkerBox, r.kind);
  EXPECT_EQ(kShapeVerticalGrid, r.shape);
  EXPECT_EQ(5, r.gridCount);
  EXPECT_EQ(0x123456u, r.colour);
  EXPECT_EQ(0u, r.secondColour);
  EXPECT_EQ(1.5, r.zoom);
  EXPECT_EQ(77, r.userValue);
  EXPECT_EQ(&dummy, r.window);
  EXPECT_EQ(&dummy, r.dc);
}

TEST(MarkerInit, EveryInitialiserSetsItsKindAndGeometry) {
  const int32_t tail[kMarkerTailSize] = {4, 5, 6};
  const struct {
    const char* name;
    std::function<int(MarkerRecord*)> init;
    int32_t kind;
    Geometry geometry;
    int32_t originX;
  } cases[] = {
      {"shift", [](MarkerRecord* r) { return InitShiftMarker(kView, 4, 4, 640, 480, 1, 1, 0, r); }, 7,
       {320, 240}, 5},
      {"horizontal line",
       [](MarkerRecord* r) { return InitHorizontalLineMarker(kView, 4, 4, 640, 480, 1, 1, 0, r); }, 0,
       {0, 240}, 5},
      {"horizontal lines",
       [](MarkerRecord* r) { return InitHorizontalLinesMarker(kView, 4, 4, 640, 480, 1, 2, 1, 0, r); }, 1,
       {0, 120, 0, 0, 0, 360}, 5},
      {"vertical line", [](MarkerRecord* r) { return InitVerticalLineMarker(kView, 4, 4, 640, 480, 1, 1, 0, r); },
       2, {320}, 5},
      {"vertical lines",
       [](MarkerRecord* r) { return InitVerticalLinesMarker(kView, 4, 4, 640, 480, 1, 2, 1, 0, r); }, 3,
       {160, 0, 0, 0, 480}, 5},
      // Box A 100 x 60 about (160, 240); B too wide and too high: 320 x 240.
      {"two boxes",
       [](MarkerRecord* r) { return InitTwoBoxMarker(kView, 4, 4, 640, 480, 100, 60, 400, 500, 1, 2, 1, 0, r); },
       4, {110, 210, 100, 60, 320, 120, 320, 240}, 4},
      {"box with point", [](MarkerRecord* r) { return InitBoxPointMarker(kView, 4, 4, 640, 480, 1, 1, 0, r); }, 5,
       {160, 120, 320, 240, 0, 0, 0, 0, 320, 240}, 5},
      {"point", [](MarkerRecord* r) { return InitPointMarker(kView, 4, 4, 640, 480, 1, 1, 0, r); }, 6, {320, 240},
       5},
      {"frame", [](MarkerRecord* r) { return InitFrameMarker(kView, 4, 4, 640, 480, 40, 1, 1, 0, r); }, 8,
       {20, 20, 600, 440, 300, 220, 40, 40}, 5},
      {"circle",
       [&tail](MarkerRecord* r) { return InitCircleMarker(kView, 4, 4, 640, 480, 1, 2, tail, 1, 0, r); }, 9,
       {320, 240, 0, 0, 0, 0, 0, 0, 80, 80}, 5},
      {"sphere",
       [](MarkerRecord* r) { return InitSphereMarker(kView, 4, 4, 640, 480, 1000, 100, 500, 100, 30, 1, 1, 0, r); },
       13, {0, 190, 640, 100, 320, 240, 320, 100, 320, 100}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MarkerRecord r;
    std::memset(&r, 0x5a, sizeof r);   // whatever the record held before
    r.transform = r.savedTransform = nullptr;
    ASSERT_EQ(1, c.init(&r));
    EXPECT_EQ(c.kind, r.kind);
    EXPECT_EQ(Text(c.geometry), Text(Of(r)));
    EXPECT_EQ(Of(r), Previous(r));
    EXPECT_EQ(c.originX, r.originX);
    EXPECT_EQ(640, r.visibleWidth);
  }
  MarkerRecord r{};
  InitCircleMarker(kView, 0, 0, 640, 480, 1, 2, tail, 1, 0, &r);
  EXPECT_EQ(6, r.tail[2]);
  EXPECT_EQ(2u, r.secondColour);
  InitSphereMarker(kView, 0, 0, 640, 480, 10, 10, 10, 10, 30, 1, 1, 0, &r);
  EXPECT_EQ(30, r.tail[0]);
}

TEST(MarkerInit, QuadMarkerOwnsItsTransformAndFreesItOnFailure) {
  MarkerRecord r{};
  ASSERT_EQ(1, InitQuadMarker(kView, 3, 4, 300, 200, 500, 50, 9, 2.0, 1, 0.25, 1.0, 1.0, 1.0, 0, &r));
  EXPECT_EQ(kMarkerQuad, r.kind);
  EXPECT_EQ((Geometry{0, 75, 300, 50}), Of(r)) << "the box is at most the section";
  EXPECT_EQ(3, r.originX) << "the origin as passed";
  EXPECT_EQ(4, r.originY);
  ASSERT_TRUE(r.transform && r.savedTransform);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(r.transform[i][j], r.savedTransform[i][j]);
  EXPECT_DOUBLE_EQ(std::cos(0.25), r.transform[1][1]);
  EXPECT_EQ(2.0, r.scale);
  EXPECT_EQ(1, r.outline);
  FreeMatrix(&r.transform);
  FreeMatrix(&r.savedTransform);

  // A scale of 0 or a pixel scale of 0 gives no transform; nothing may leak
  // (the sanitizer build checks) and the record keeps no matrix.
  for (const auto& bad : {std::array<double, 3>{0.0, 1, 1}, {1, 0.0, 1}, {1, 1, 0.0}}) {
    MarkerRecord q{};
    EXPECT_EQ(0, InitQuadMarker(kView, 0, 0, 300, 200, 50, 50, 9, bad[0], 1, 0, bad[1], bad[2], 1.0, 0, &q));
    EXPECT_EQ(nullptr, q.transform);
    EXPECT_EQ(nullptr, q.savedTransform);
  }
}

TEST(MarkerInit, QuadParamsTakeANewTransformOrLeaveEverything) {
  MarkerRecord r{};
  ASSERT_EQ(1, InitQuadMarker(kView, 0, 0, 300, 200, 100, 50, 9, 2.0, 1, 0.5, 1.0, 1.0, 1.0, 0, &r));
  const Geometry before = Of(r);
  const double m11 = r.transform[1][1];
  EXPECT_EQ(0, SetQuadMarkerParams(0.0, 0, 1.0, 1.0, 1.0, &r));
  EXPECT_EQ(before, Of(r));
  EXPECT_EQ(m11, r.transform[1][1]);
  EXPECT_EQ(2.0, r.scale);
  EXPECT_EQ(0.5, r.angle);

  EXPECT_EQ(1, SetQuadMarkerParams(3.0, 12345, 1.0, 2.0, 1.0, &r));
  EXPECT_EQ((Geometry{0, 0, 300, 200}), Of(r)) << "the box becomes the whole section";
  EXPECT_EQ(3.0, r.scale);
  EXPECT_EQ(1.0, r.angle);
  EXPECT_EQ(2.0, r.xPixelScale);
  EXPECT_DOUBLE_EQ(std::cos(1.0), r.transform[1][1]);
  EXPECT_DOUBLE_EQ(std::cos(0.5), r.savedTransform[1][1]) << "the old transform is the saved copy";
  FreeMatrix(&r.transform);
  FreeMatrix(&r.savedTransform);

  MarkerRecord none{};
  EXPECT_EQ(0, SetQuadMarkerParams(1.0, 0, 0.0, 1.0, 1.0, &none));
}

TEST(MarkerPlacement, ViewCentresSmallPicturesAndCutsLargeOnes) {
  const struct {
    int32_t kind, clientW, clientH, imageW, imageH;
    int32_t originX, originY, visibleW, visibleH;
    Geometry geometry;   // from {1..10}
  } cases[] = {
      {kMarkerBox, 600, 400, 1000, 800, 0, 0, 600, 400, {150, 100, 300, 200, 5, 6, 7, 8, 9, 10}},
      {kMarkerBox, 600, 400, 200, 100, 200, 150, 200, 100, {50, 25, 100, 50, 5, 6, 7, 8, 9, 10}},
      {kMarkerHorizontalLine, 600, 400, 200, 100, 200, 150, 200, 100, {1, 50, 3, 4, 5, 6, 7, 8, 9, 10}},
      {kMarkerHorizontalLines, 600, 400, 200, 100, 200, 150, 200, 100, {1, 25, 3, 4, 5, 75, 7, 8, 9, 10}},
      {kMarkerVerticalLine, 600, 400, 200, 100, 200, 150, 200, 100, {100, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {kMarkerVerticalLines, 600, 400, 200, 100, 200, 150, 200, 100, {50, 2, 3, 4, 150, 6, 7, 8, 9, 10}},
      {kMarkerBoxWithPoint, 600, 400, 200, 100, 200, 150, 200, 100, {50, 25, 100, 50, 5, 6, 7, 8, 100, 50}},
      {kMarkerPoint, 600, 400, 200, 100, 200, 150, 200, 100, {100, 50, 3, 4, 5, 6, 7, 8, 9, 10}},
      {kMarkerShiftPoint, 600, 400, 200, 100, 200, 150, 200, 100, {100, 50, 3, 4, 5, 6, 7, 8, 9, 10}},
      // Inset 20: outer (10, 10, 180, 80), inner (90, 40, 20, 20).
      {kMarkerFrame, 600, 400, 200, 100, 200, 150, 200, 100, {10, 10, 180, 80, 90, 40, 20, 20, 9, 10}},
      {kMarkerCircle, 600, 400, 200, 100, 200, 150, 200, 100, {50, 25, 100, 50, 5, 6, 7, 8, 16, 16}},
      {kMarkerQuad, 600, 400, 200, 100, 200, 150, 200, 100, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {kMarkerSphere, 600, 400, 200, 100, 200, 150, 200, 100, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      // One axis larger, the other centred.
      {kMarkerBox, 600, 400, 1000, 100, 0, 150, 600, 100, {150, 25, 300, 50, 5, 6, 7, 8, 9, 10}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind));
    MarkerRecord r = Record({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, 0, c.kind);
    r.inset = 20;
    InitMarkerForView(MarkerView{nullptr, nullptr, c.clientW, c.clientH}, c.imageW, c.imageH, &r);
    EXPECT_EQ(c.originX, r.originX);
    EXPECT_EQ(c.originY, r.originY);
    EXPECT_EQ(c.visibleW, r.visibleWidth);
    EXPECT_EQ(c.visibleH, r.visibleHeight);
    EXPECT_EQ(c.clientW - 1, r.clientRight);
    EXPECT_EQ(Text(c.geometry), Text(Of(r)));
    // The defaults go into the previous geometry too; the rest stays.
    for (int i = 0; i < kMarkerGeometrySize; ++i) {
      const int32_t expected = c.geometry[i] != i + 1 ? c.geometry[i] : i + 1;
      EXPECT_EQ(expected, r.previous[i]) << i;
    }
  }
}

TEST(MarkerPlacement, CentreImageInViewForTheZoom) {
  const struct {
    double zoom;
    int32_t clientW, clientH, visibleW, visibleH, scrollX, scrollY;
    int32_t originX, originY;
  } cases[] = {
      {2.0, 800, 300, 300, 200, 7, 9, 100, -9},   // (400 - 300)/2 x 2; 150 < 200 lines
      {1.0, 800, 300, 300, 200, 7, 9, 250, 50},
      {1.0, 300, 200, 300, 200, 7, 9, 0, 0},      // exactly fits
      {0.5, 300, 200, 700, 300, 7, 9, -7, 25},    // 600 wide at half size: narrower than 700
      {0.5, 300, 200, 500, 300, 7, 9, 25, 25},    // (600 - 500)/2 x 0.5
      {3.0, 100, 100, 50, 50, INT32_MIN, 0, INT32_MAX, 0},   // minus the scroll, kept in int
  };
  for (const auto& c : cases) {
    MarkerRecord r = Record({}, c.visibleW, c.visibleH);
    r.zoom = c.zoom;
    r.clientRight = c.clientW - 1;
    r.clientBottom = c.clientH - 1;
    CentreImageInView(&r, c.scrollX, c.scrollY);
    EXPECT_EQ(c.originX, r.originX) << c.zoom << " " << c.visibleW;
    EXPECT_EQ(c.originY, r.originY) << c.zoom << " " << c.visibleH;
  }
  // A zoom of 0 or less, or none at all, places nothing.
  for (double zoom : {0.0, -1.0, std::nan("")}) {
    MarkerRecord r = Record({}, 300, 200);
    r.zoom = zoom;
    r.clientRight = 799;
    r.clientBottom = 299;
    r.originX = 11;
    r.originY = 12;
    CentreImageInView(&r, 5, 5);
    EXPECT_EQ(11, r.originX);
    EXPECT_EQ(12, r.originY);
  }
}

// --- steps

// Every step by name, run on a record; the result is 1 when the step was kept.
using StepFn = std::function<int(MarkerRecord*, int32_t, int32_t)>;
int Kept(MarkerRecord* r, const Geometry& before) { return Of(*r) != before; }
StepFn Named(void (*f)(MarkerRecord*, int32_t)) {
  return [f](MarkerRecord* r, int32_t a, int32_t) {
    const Geometry before = Of(*r);
    f(r, a);
    return Kept(r, before);
  };
}
StepFn Quad(int (*f)(MarkerRecord*, int32_t)) { return [f](MarkerRecord* r, int32_t a, int32_t) { return f(r, a); }; }
StepFn Family(MarkerStep step) {
  return [step](MarkerRecord* r, int32_t a, int32_t) { return StepMarker(r, step, a); };
}
const StepFn kSetBoxSize = [](MarkerRecord* r, int32_t w, int32_t h) {
  const Geometry before = Of(*r);
  SetBoxMarkerSize(r, w, h);
  return Kept(r, before);
};

struct StepCase {
  const char* name;
  StepFn step;
  Geometry start;
  int32_t a, b;
  Geometry result;   // equal to start: the step is undone
  int32_t W = 100, H = 80;
};

void RunCases(const StepCase* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const StepCase& c = cases[i];
    SCOPED_TRACE(std::string(c.name) + " by " + std::to_string(c.a));
    MarkerRecord r = Record(c.start, c.W, c.H);
    std::memset(r.previous, 0x33, sizeof r.previous);
    const int kept = c.step(&r, c.a, c.b);
    EXPECT_EQ(Text(c.result), Text(Of(r)));
    EXPECT_EQ(c.result != c.start, kept != 0);
  }
}

TEST(MarkerSteps, NamedStepsAtTheirEdges) {
  const StepCase cases[] = {
      {"box up", Named(MoveBoxMarkerUp), {10, 3, 20, 20}, 5, 0, {10, 3, 20, 20}},
      {"box up", Named(MoveBoxMarkerUp), {10, 3, 20, 20}, 2, 0, {10, 1, 20, 20}},
      {"box down", Named(MoveBoxMarkerDown), {10, 50, 20, 20}, 10, 0, {10, 50, 20, 20}},
      {"box down", Named(MoveBoxMarkerDown), {10, 50, 20, 20}, 9, 0, {10, 59, 20, 20}},
      {"box left", Named(MoveBoxMarkerLeft), {3, 10, 20, 20}, 3, 0, {3, 10, 20, 20}},
      {"box left", Named(MoveBoxMarkerLeft), {3, 10, 20, 20}, 2, 0, {1, 10, 20, 20}},
      {"box right", Named(MoveBoxMarkerRight), {500, 10, 100, 20}, 40, 0, {500, 10, 100, 20}, 640, 480},
      {"box right", Named(MoveBoxMarkerRight), {500, 10, 100, 20}, 39, 0, {539, 10, 100, 20}, 640, 480},
      {"grow", Named(GrowBoxMarker), {5, 50, 100, 100}, 10, 0, {5, 50, 100, 100}, 640, 480},
      {"grow", Named(GrowBoxMarker), {11, 11, 20, 20}, 10, 0, {1, 1, 40, 40}, 42, 42},
      {"grow", Named(GrowBoxMarker), {11, 11, 20, 20}, 10, 0, {11, 11, 20, 20}, 41, 42},
      {"shrink", Named(ShrinkBoxMarker), {10, 10, 6, 6}, 2, 0, {12, 12, 2, 2}},
      {"shrink", Named(ShrinkBoxMarker), {10, 10, 6, 7}, 3, 0, {10, 10, 6, 7}},
      {"enlarge", Named(EnlargeBoxMarker), {100, 100, 50, 40}, 2, 0, {75, 80, 100, 80}, 640, 480},
      {"enlarge", Named(EnlargeBoxMarker), {30, 30, 40, 30}, 2, 0, {10, 15, 80, 60}, 91, 76},
      {"enlarge", Named(EnlargeBoxMarker), {30, 30, 40, 30}, 2, 0, {30, 30, 40, 30}, 90, 76},
      {"enlarge", Named(EnlargeBoxMarker), {20, 20, 40, 40}, 2, 0, {20, 20, 40, 40}},
      {"reduce", Named(ReduceBoxMarker), {100, 100, 50, 40}, 2, 0, {112, 110, 25, 20}, 640, 480},
      {"reduce", Named(ReduceBoxMarker), {10, 10, 3, 40}, 2, 0, {10, 10, 3, 40}},
      {"reduce", Named(ReduceBoxMarker), {10, 10, 40, 40}, 1, 0, {30, 30, 40, 40}},
      {"reduce by 1 out of the picture", Named(ReduceBoxMarker), {50, 10, 40, 40}, 1, 0, {50, 10, 40, 40}},
      {"size", kSetBoxSize, {40, 30, 20, 20}, 50, 40, {25, 20, 50, 40}},
      {"size", kSetBoxSize, {10, 10, 20, 20}, 50, 40, {10, 10, 20, 20}},
      {"size", kSetBoxSize, {40, 30, 20, 20}, 1, 40, {40, 30, 20, 20}},
      {"size", kSetBoxSize, {40, 30, 20, 20}, 20, 1, {40, 30, 20, 20}},
      {"shift up", Named(MoveShiftMarkerUp), {5, 1}, 1, 0, {5, 1}},
      {"shift up", Named(MoveShiftMarkerUp), {5, 2}, 1, 0, {5, 1}},
      {"shift down", Named(MoveShiftMarkerDown), {5, 79}, 1, 0, {5, 79}},
      {"shift down", Named(MoveShiftMarkerDown), {5, 78}, 1, 0, {5, 79}},
      {"shift left", Named(MoveShiftMarkerLeft), {1, 5}, 1, 0, {1, 5}},
      {"shift left", Named(MoveShiftMarkerLeft), {2, 5}, 1, 0, {1, 5}},
      {"shift right", Named(MoveShiftMarkerRight), {99, 5}, 1, 0, {99, 5}},
      {"shift right", Named(MoveShiftMarkerRight), {98, 5}, 1, 0, {99, 5}},
      // No step: divisors and factors of 0 or less, negative step sizes.
      {"reduce by 0", Named(ReduceBoxMarker), {10, 10, 40, 40}, 0, 0, {10, 10, 40, 40}},
      {"reduce by -2", Named(ReduceBoxMarker), {10, 10, 40, 40}, -2, 0, {10, 10, 40, 40}},
      {"enlarge by 0", Named(EnlargeBoxMarker), {10, 10, 40, 40}, 0, 0, {10, 10, 40, 40}},
      {"enlarge by -2", Named(EnlargeBoxMarker), {30, 30, 10, 10}, -2, 0, {30, 30, 10, 10}},
      {"shrink by -5", Named(ShrinkBoxMarker), {30, 30, 10, 10}, -5, 0, {30, 30, 10, 10}},
      {"box up by -5", Named(MoveBoxMarkerUp), {30, 30, 10, 10}, -5, 0, {30, 30, 10, 10}},
      // Steps that would overflow a 32-bit geometry.
      {"box down far", Named(MoveBoxMarkerDown), {10, 50, 20, 20}, INT32_MAX, 0, {10, 50, 20, 20}},
      {"box right far", Named(MoveBoxMarkerRight), {INT32_MAX - 5, 0, 1, 1}, 10, 0, {INT32_MAX - 5, 0, 1, 1},
       INT32_MAX, INT32_MAX},
      {"grow far", Named(GrowBoxMarker), {10, 10, 20, 20}, INT32_MAX, 0, {10, 10, 20, 20}},
      {"enlarge far", Named(EnlargeBoxMarker), {10, 10, 20, 20}, INT32_MAX, 0, {10, 10, 20, 20}},
      {"shrink far", Named(ShrinkBoxMarker), {10, 10, 20, 20}, INT32_MAX, 0, {10, 10, 20, 20}},
      {"size far", kSetBoxSize, {10, 10, 20, 20}, INT32_MAX, INT32_MAX, {10, 10, 20, 20}},
      {"shift down far", Named(MoveShiftMarkerDown), {5, 5}, INT32_MAX, 0, {5, 5}},
      {"shift right far", Named(MoveShiftMarkerRight), {INT32_MAX, 5}, 1, 0, {INT32_MAX, 5}, INT32_MAX, 10},
  };
  RunCases(cases, std::size(cases));
}

TEST(MarkerSteps, UndoneStepRemembersWhatItTried) {
  MarkerRecord r = Record({5, 50, 100, 100}, 640, 480);
  GrowBoxMarker(&r, 10);
  EXPECT_EQ((Geometry{5, 50, 100, 100}), Of(r));
  EXPECT_EQ(Of(r), Previous(r)) << "the previous geometry is the geometry before the step";
  MoveBoxMarkerDown(&r, 7);
  EXPECT_EQ((Geometry{5, 57, 100, 100}), Of(r));
  EXPECT_EQ((Geometry{5, 50, 100, 100}), Previous(r));
}

TEST(MarkerSteps, FamilyAtItsEdges) {
  const auto F = Family;
  const StepCase cases[] = {
      {"line up", F(kStepLineUp), {0, 1}, 1, 0, {0, 1}},
      {"line up", F(kStepLineUp), {0, 2}, 1, 0, {0, 1}},
      {"line down", F(kStepLineDown), {0, 79}, 1, 0, {0, 79}},
      {"line left", F(kStepLineLeft), {1}, 1, 0, {1}},
      {"line right", F(kStepLineRight), {99}, 1, 0, {99}},
      {"line right", F(kStepLineRight), {98}, 1, 0, {99}},
      {"first line up", F(kStepFirstLineUp), {0, 1, 0, 0, 0, 40}, 1, 0, {0, 1, 0, 0, 0, 40}},
      {"first line down", F(kStepFirstLineDown), {0, 30, 0, 0, 0, 31}, 1, 0, {0, 30, 0, 0, 0, 31}},
      {"first line down", F(kStepFirstLineDown), {0, 30, 0, 0, 0, 32}, 1, 0, {0, 31, 0, 0, 0, 32}},
      {"second line up", F(kStepSecondLineUp), {0, 30, 0, 0, 0, 31}, 1, 0, {0, 30, 0, 0, 0, 31}},
      {"second line down", F(kStepSecondLineDown), {0, 30, 0, 0, 0, 79}, 1, 0, {0, 30, 0, 0, 0, 79}},
      {"first line left", F(kStepFirstLineLeft), {1, 0, 0, 0, 50}, 1, 0, {1, 0, 0, 0, 50}},
      {"first line right", F(kStepFirstLineRight), {30, 0, 0, 0, 31}, 1, 0, {30, 0, 0, 0, 31}},
      {"second line left", F(kStepSecondLineLeft), {30, 0, 0, 0, 31}, 1, 0, {30, 0, 0, 0, 31}},
      {"second line left", F(kStepSecondLineLeft), {30, 0, 0, 0, 32}, 1, 0, {30, 0, 0, 0, 31}},
      {"second line right", F(kStepSecondLineRight), {30, 0, 0, 0, 99}, 1, 0, {30, 0, 0, 0, 99}},
      {"narrow", F(kStepBoxNarrow), {10, 10, 4, 20}, 1, 0, {10, 10, 4, 20}},
      {"narrow", F(kStepBoxNarrow), {10, 10, 5, 20}, 1, 0, {11, 10, 3, 20}},
      {"widen", F(kStepBoxWiden), {1, 10, 20, 20}, 1, 0, {1, 10, 20, 20}},
      {"widen", F(kStepBoxWiden), {2, 10, 96, 20}, 1, 0, {1, 10, 98, 20}},
      {"widen", F(kStepBoxWiden), {2, 10, 97, 20}, 1, 0, {2, 10, 97, 20}},
      {"flatten", F(kStepBoxFlatten), {10, 10, 20, 4}, 1, 0, {10, 10, 20, 4}},
      {"heighten", F(kStepBoxHeighten), {10, 1, 20, 20}, 1, 0, {10, 1, 20, 20}},
      {"heighten", F(kStepBoxHeighten), {10, 2, 20, 77}, 1, 0, {10, 2, 20, 77}},
      {"heighten", F(kStepBoxHeighten), {10, 2, 20, 76}, 1, 0, {10, 1, 20, 78}},
      // Two boxes: A (10, 10, 20, 20) and B (40, 10, 20, 20) unless said.
      {"A up", F(kStepBoxAUp), {10, 1, 20, 20, 40, 10, 20, 20}, 1, 0, {10, 1, 20, 20, 40, 10, 20, 20}},
      {"A down", F(kStepBoxADown), {10, 59, 20, 20, 40, 10, 20, 20}, 1, 0, {10, 59, 20, 20, 40, 10, 20, 20}},
      {"A left", F(kStepBoxALeft), {1, 10, 20, 20, 40, 10, 20, 20}, 1, 0, {1, 10, 20, 20, 40, 10, 20, 20}},
      {"A right onto B", F(kStepBoxARight), {10, 10, 20, 20, 40, 10, 20, 20}, 11, 0,
       {10, 10, 20, 20, 40, 10, 20, 20}},
      {"A right to touch B", F(kStepBoxARight), {10, 10, 20, 20, 40, 10, 20, 20}, 10, 0,
       {20, 10, 20, 20, 40, 10, 20, 20}},
      {"A right", F(kStepBoxARight), {79, 10, 20, 20, 40, 40, 20, 20}, 1, 0, {79, 10, 20, 20, 40, 40, 20, 20}},
      {"A grow onto B", F(kStepBoxAGrow), {10, 10, 20, 20, 32, 10, 20, 20}, 3, 0,
       {10, 10, 20, 20, 32, 10, 20, 20}},
      {"A grow", F(kStepBoxAGrow), {10, 10, 20, 20, 32, 10, 20, 20}, 2, 0, {8, 8, 24, 24, 32, 10, 20, 20}},
      {"A shrink", F(kStepBoxAShrink), {10, 10, 4, 4, 40, 10, 20, 20}, 2, 0, {10, 10, 4, 4, 40, 10, 20, 20}},
      {"A narrow", F(kStepBoxANarrow), {10, 10, 4, 20, 40, 10, 20, 20}, 1, 0, {10, 10, 4, 20, 40, 10, 20, 20}},
      {"A widen onto B", F(kStepBoxAWiden), {10, 10, 20, 20, 31, 10, 20, 20}, 2, 0,
       {10, 10, 20, 20, 31, 10, 20, 20}},
      {"A widen", F(kStepBoxAWiden), {10, 10, 20, 20, 31, 10, 20, 20}, 1, 0, {9, 10, 22, 20, 31, 10, 20, 20}},
      {"A flatten", F(kStepBoxAFlatten), {10, 10, 20, 4, 40, 10, 20, 20}, 1, 0, {10, 10, 20, 4, 40, 10, 20, 20}},
      {"A heighten", F(kStepBoxAHeighten), {10, 1, 20, 20, 40, 10, 20, 20}, 1, 0, {10, 1, 20, 20, 40, 10, 20, 20}},
      {"A heighten onto B", F(kStepBoxAHeighten), {40, 32, 20, 20, 40, 10, 20, 20}, 3, 0,
       {40, 32, 20, 20, 40, 10, 20, 20}},
      {"B up", F(kStepBoxBUp), {10, 10, 20, 20, 40, 1, 20, 20}, 1, 0, {10, 10, 20, 20, 40, 1, 20, 20}},
      {"B up onto A", F(kStepBoxBUp), {10, 10, 20, 20, 10, 31, 20, 20}, 2, 0, {10, 10, 20, 20, 10, 31, 20, 20}},
      {"B down", F(kStepBoxBDown), {10, 10, 20, 20, 40, 59, 20, 20}, 1, 0, {10, 10, 20, 20, 40, 59, 20, 20}},
      {"B left onto A", F(kStepBoxBLeft), {10, 10, 20, 20, 40, 10, 20, 20}, 11, 0,
       {10, 10, 20, 20, 40, 10, 20, 20}},
      {"B left", F(kStepBoxBLeft), {10, 10, 20, 20, 40, 10, 20, 20}, 10, 0, {10, 10, 20, 20, 30, 10, 20, 20}},
      {"B right", F(kStepBoxBRight), {10, 10, 20, 20, 79, 10, 20, 20}, 1, 0, {10, 10, 20, 20, 79, 10, 20, 20}},
      {"B grow onto A", F(kStepBoxBGrow), {10, 10, 20, 20, 40, 10, 20, 20}, 11, 0,
       {10, 10, 20, 20, 40, 10, 20, 20}},
      {"B shrink", F(kStepBoxBShrink), {10, 10, 20, 20, 40, 10, 4, 4}, 2, 0, {10, 10, 20, 20, 40, 10, 4, 4}},
      {"B narrow", F(kStepBoxBNarrow), {10, 10, 20, 20, 40, 10, 4, 20}, 1, 0, {10, 10, 20, 20, 40, 10, 4, 20}},
      {"B widen onto A", F(kStepBoxBWiden), {10, 10, 20, 20, 40, 10, 20, 20}, 11, 0,
       {10, 10, 20, 20, 40, 10, 20, 20}},
      {"B flatten", F(kStepBoxBFlatten), {10, 10, 20, 20, 40, 10, 20, 4}, 1, 0, {10, 10, 20, 20, 40, 10, 20, 4}},
      {"B heighten", F(kStepBoxBHeighten), {10, 10, 20, 20, 40, 1, 20, 20}, 1, 0, {10, 10, 20, 20, 40, 1, 20, 20}},
      {"inner point up", F(kStepInnerPointUp), {50, 11}, 1, 0, {50, 11}},
      {"inner point up", F(kStepInnerPointUp), {50, 12}, 1, 0, {50, 11}},
      {"inner point down", F(kStepInnerPointDown), {50, 69}, 1, 0, {50, 69}},
      {"inner point left", F(kStepInnerPointLeft), {11, 40}, 1, 0, {11, 40}},
      {"inner point right", F(kStepInnerPointRight), {89, 40}, 1, 0, {89, 40}},
      {"inner point right", F(kStepInnerPointRight), {88, 40}, 1, 0, {89, 40}},
      {"point x", F(kStepSetPointX), {5, 6}, 100, 0, {5, 6}},
      {"point x", F(kStepSetPointX), {5, 6}, -1, 0, {5, 6}},
      {"point x", F(kStepSetPointX), {5, 6}, 99, 0, {99, 6}},
      {"point y", F(kStepSetPointY), {5, 6}, 80, 0, {5, 6}},
      {"point y", F(kStepSetPointY), {5, 6}, 0, 0, {5, 0}},
      // Box (20, 20, 40, 30) with the inner mark at (30, 25) of 10 x 10.
      {"outer up", F(kStepOuterBoxUp), {20, 20, 40, 30, 30, 25, 10, 10}, 15, 0, {20, 20, 40, 30, 30, 25, 10, 10}},
      {"outer up pulls the mark", F(kStepOuterBoxUp), {20, 20, 40, 30, 30, 40, 10, 10}, 14, 0,
       {20, 6, 40, 30, 30, 31, 10, 10}},
      {"outer down", F(kStepOuterBoxDown), {20, 20, 40, 30, 30, 25, 10, 10}, 25, 0,
       {20, 20, 40, 30, 30, 25, 10, 10}},
      {"outer down pulls the mark", F(kStepOuterBoxDown), {20, 20, 40, 30, 30, 25, 10, 10}, 24, 0,
       {20, 44, 40, 30, 30, 39, 10, 10}},
      {"outer left", F(kStepOuterBoxLeft), {20, 20, 40, 30, 30, 25, 10, 10}, 15, 0,
       {20, 20, 40, 30, 30, 25, 10, 10}},
      {"outer left pulls the mark", F(kStepOuterBoxLeft), {20, 20, 40, 30, 58, 25, 10, 10}, 14, 0,
       {6, 20, 40, 30, 41, 25, 10, 10}},
      {"outer right", F(kStepOuterBoxRight), {20, 20, 40, 30, 30, 25, 10, 10}, 35, 0,
       {20, 20, 40, 30, 30, 25, 10, 10}},
      {"outer right pulls the mark", F(kStepOuterBoxRight), {20, 20, 40, 30, 16, 25, 10, 10}, 34, 0,
       {54, 20, 40, 30, 49, 25, 10, 10}},
      {"outer grow", F(kStepOuterBoxGrow), {20, 20, 40, 30, 30, 25, 10, 10}, 15, 0,
       {20, 20, 40, 30, 30, 25, 10, 10}},
      {"outer shrink keeps the mark in", F(kStepOuterBoxShrink), {20, 20, 40, 30, 30, 25, 10, 10}, 14, 0,
       {34, 34, 12, 2, 30, 29, 10, 10}},
      {"outer shrink", F(kStepOuterBoxShrink), {20, 20, 40, 30, 30, 25, 10, 10}, 15, 0,
       {20, 20, 40, 30, 30, 25, 10, 10}},
      {"mark up", F(kStepInnerMarkUp), {20, 20, 40, 30, 30, 16, 10, 10}, 1, 0, {20, 20, 40, 30, 30, 16, 10, 10}},
      {"mark down", F(kStepInnerMarkDown), {20, 20, 40, 30, 30, 44, 10, 10}, 1, 0,
       {20, 20, 40, 30, 30, 44, 10, 10}},
      {"mark left", F(kStepInnerMarkLeft), {20, 20, 40, 30, 16, 25, 10, 10}, 1, 0,
       {20, 20, 40, 30, 16, 25, 10, 10}},
      {"mark right", F(kStepInnerMarkRight), {20, 20, 40, 30, 54, 25, 10, 10}, 1, 0,
       {20, 20, 40, 30, 54, 25, 10, 10}},
      {"mark grow", F(kStepInnerMarkGrow), {20, 20, 40, 30, 1, 25, 10, 10}, 1, 0, {20, 20, 40, 30, 1, 25, 10, 10}},
      {"mark grow fits the box", F(kStepInnerMarkGrow), {5, 5, 90, 70, 30, 25, 10, 10}, 5, 0,
       {11, 11, 78, 58, 25, 20, 20, 20}},
      {"mark shrink", F(kStepInnerMarkShrink), {20, 20, 40, 30, 30, 25, 3, 10}, 1, 0,
       {20, 20, 40, 30, 30, 25, 3, 10}},
      // A circle at (50, 40) with radii 10 unless said.
      {"circle up", F(kStepCircleUp), {50, 11, 0, 0, 0, 0, 0, 0, 10, 10}, 1, 0, {50, 11, 0, 0, 0, 0, 0, 0, 10, 10}},
      {"circle up", F(kStepCircleUp), {50, 12, 0, 0, 0, 0, 0, 0, 10, 10}, 1, 0, {50, 11, 0, 0, 0, 0, 0, 0, 10, 10}},
      {"circle down", F(kStepCircleDown), {50, 69, 0, 0, 0, 0, 0, 0, 10, 10}, 1, 0,
       {50, 69, 0, 0, 0, 0, 0, 0, 10, 10}},
      {"circle left", F(kStepCircleLeft), {11, 40, 0, 0, 0, 0, 0, 0, 10, 10}, 1, 0,
       {11, 40, 0, 0, 0, 0, 0, 0, 10, 10}},
      {"circle right", F(kStepCircleRight), {89, 40, 0, 0, 0, 0, 0, 0, 10, 10}, 1, 0,
       {89, 40, 0, 0, 0, 0, 0, 0, 10, 10}},
      {"circle grow", F(kStepCircleGrow), {50, 40, 0, 0, 0, 0, 0, 0, 49, 10}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 49, 10}},
      {"circle grow", F(kStepCircleGrow), {50, 40, 0, 0, 0, 0, 0, 0, 48, 10}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 49, 11}},
      {"circle shrink", F(kStepCircleShrink), {50, 40, 0, 0, 0, 0, 0, 0, 10, 2}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 10, 2}},
      {"circle narrow", F(kStepCircleNarrow), {50, 40, 0, 0, 0, 0, 0, 0, 2, 10}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 2, 10}},
      {"circle widen", F(kStepCircleWiden), {50, 40, 0, 0, 0, 0, 0, 0, 49, 10}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 49, 10}},
      {"circle flatten", F(kStepCircleFlatten), {50, 40, 0, 0, 0, 0, 0, 0, 10, 2}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 10, 2}},
      {"circle heighten", F(kStepCircleHeighten), {50, 40, 0, 0, 0, 0, 0, 0, 10, 39}, 1, 0,
       {50, 40, 0, 0, 0, 0, 0, 0, 10, 39}},
      // A box (10, 10, 20, 20) beside a circle at (60, 40) with radii 10 unless said.
      {"pair box up", F(kStepPairBoxUp), {10, 1, 20, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {10, 1, 20, 20, 60, 40, 0, 0, 10, 10}},
      {"pair box down", F(kStepPairBoxDown), {10, 59, 20, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {10, 59, 20, 20, 60, 40, 0, 0, 10, 10}},
      {"pair box left", F(kStepPairBoxLeft), {1, 10, 20, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {1, 10, 20, 20, 60, 40, 0, 0, 10, 10}},
      {"pair box right", F(kStepPairBoxRight), {79, 10, 20, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {79, 10, 20, 20, 60, 40, 0, 0, 10, 10}},
      {"pair circle up", F(kStepPairCircleUp), {10, 10, 20, 20, 60, 11, 0, 0, 10, 10}, 1, 0,
       {10, 10, 20, 20, 60, 11, 0, 0, 10, 10}},
      {"pair circle down", F(kStepPairCircleDown), {10, 10, 20, 20, 60, 69, 0, 0, 10, 10}, 1, 0,
       {10, 10, 20, 20, 60, 69, 0, 0, 10, 10}},
      {"pair circle left", F(kStepPairCircleLeft), {10, 10, 20, 20, 11, 40, 0, 0, 10, 10}, 1, 0,
       {10, 10, 20, 20, 11, 40, 0, 0, 10, 10}},
      {"pair circle right", F(kStepPairCircleRight), {10, 10, 20, 20, 89, 40, 0, 0, 10, 10}, 1, 0,
       {10, 10, 20, 20, 89, 40, 0, 0, 10, 10}},
      {"pair circle right", F(kStepPairCircleRight), {10, 10, 20, 20, 88, 40, 0, 0, 10, 10}, 1, 0,
       {10, 10, 20, 20, 89, 40, 0, 0, 10, 10}},
      {"pair grow", F(kStepPairCircleGrow), {10, 10, 20, 20, 60, 40, 0, 0, 39, 10}, 1, 0,
       {10, 10, 20, 20, 60, 40, 0, 0, 39, 10}},
      {"pair shrink", F(kStepPairCircleShrink), {10, 10, 20, 20, 60, 40, 0, 0, 2, 2}, 1, 0,
       {10, 10, 20, 20, 60, 40, 0, 0, 2, 2}},
      {"pair narrow", F(kStepPairBoxNarrow), {10, 10, 2, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {10, 10, 2, 20, 60, 40, 0, 0, 10, 10}},
      {"pair narrow", F(kStepPairBoxNarrow), {10, 10, 3, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {11, 10, 1, 20, 60, 40, 0, 0, 10, 10}},
      {"pair widen", F(kStepPairBoxWiden), {1, 10, 20, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {1, 10, 20, 20, 60, 40, 0, 0, 10, 10}},
      {"pair flatten", F(kStepPairBoxFlatten), {10, 10, 20, 2, 60, 40, 0, 0, 10, 10}, 1, 0,
       {10, 10, 20, 2, 60, 40, 0, 0, 10, 10}},
      {"pair heighten", F(kStepPairBoxHeighten), {10, 1, 20, 20, 60, 40, 0, 0, 10, 10}, 1, 0,
       {10, 1, 20, 20, 60, 40, 0, 0, 10, 10}},
      {"no such step", F(kMarkerStepCount), {10, 10, 20, 20}, 1, 0, {10, 10, 20, 20}},
  };
  RunCases(cases, std::size(cases));
}

TEST(MarkerSteps, TurnAddsDegreesInRadians) {
  MarkerRecord r{};
  r.angle = 1.0;
  TurnMarker(&r, 90);
  EXPECT_DOUBLE_EQ(1.0 + kPi / 2, r.angle);
  TurnMarker(&r, -180);
  EXPECT_DOUBLE_EQ(1.0 - kPi / 2, r.angle);
}

TEST(MarkerSteps, RectanglesOverlapOnlyWithArea) {
  const struct {
    int32_t a[4], b[4];
    int overlap;
  } cases[] = {
      {{0, 0, 10, 10}, {10, 0, 10, 10}, 0},
      {{0, 0, 10, 10}, {9, 9, 5, 5}, 1},
      {{0, 0, 10, 10}, {0, 10, 10, 10}, 0},
      {{0, 0, 10, 10}, {2, 2, 3, 3}, 1},
      {{0, 0, 10, 10}, {-5, -5, 5, 20}, 0},
      {{0, 0, 0, 10}, {0, 0, 10, 10}, 0},
      {{INT32_MAX - 1, 0, INT32_MAX, 10}, {INT32_MAX - 2, 0, 5, 10}, 1},   // no overflow
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.overlap, RectanglesOverlap(c.a[0], c.a[1], c.a[2], c.a[3], c.b[0], c.b[1], c.b[2], c.b[3]));
    EXPECT_EQ(c.overlap, RectanglesOverlap(c.b[0], c.b[1], c.b[2], c.b[3], c.a[0], c.a[1], c.a[2], c.a[3]));
  }
}

TEST(MarkerSteps, BoundingBoxOfPoints) {
  const int32_t three[] = {5, 5, 2, 8, 9, 1};
  int32_t box[4];
  EXPECT_EQ(1, BoundingBoxOfPoints(box, three, 3));
  EXPECT_EQ((std::array<int32_t, 4>{1, 0, 10, 9}), (std::array<int32_t, 4>{box[0], box[1], box[2], box[3]}));
  EXPECT_EQ(0, BoundingBoxOfPoints(box, three, 1));
  EXPECT_EQ((std::array<int32_t, 4>{5, 5, 5, 5}), (std::array<int32_t, 4>{box[0], box[1], box[2], box[3]}));
  // None: nothing is read (the sanitizer build sees a read of a null list).
  EXPECT_EQ(0, BoundingBoxOfPoints(box, nullptr, 0));
  EXPECT_EQ(0, BoundingBoxOfPoints(box, nullptr, 5));
  EXPECT_EQ(0, BoundingBoxOfPoints(box, three, -3));
  EXPECT_EQ((std::array<int32_t, 4>{0, 0, 0, 0}), (std::array<int32_t, 4>{box[0], box[1], box[2], box[3]}));
  const int32_t extremes[] = {0, 0, INT32_MIN, INT32_MAX};
  EXPECT_EQ(1, BoundingBoxOfPoints(box, extremes, 2));
  EXPECT_EQ(INT32_MIN, box[0]);
  EXPECT_EQ(INT32_MAX, box[3]);
}

// --- the transformed box

// A kind-12 record over W x H whose transform turns by angle and scales.
MarkerRecord QuadRecord(int32_t w, int32_t h, double angle, double scale, const Geometry& box,
                        int32_t kind = kMarkerQuad) {
  MarkerRecord r{};
  EXPECT_EQ(1, InitQuadMarker(kView, 0, 0, w, h, w, h, 9, scale, 1, angle, 1.0, 1.0, 1.0, 0, &r));
  r.kind = kind;
  std::memcpy(r.geometry, box.data(), sizeof r.geometry);
  std::memcpy(r.previous, box.data(), sizeof r.previous);
  return r;
}
void Free(MarkerRecord* r) {
  FreeMatrix(&r->transform);
  FreeMatrix(&r->savedTransform);
}

TEST(MarkerQuad, UpdateTestsTheMappedOutline) {
  const struct {
    const char* name;
    int32_t kind;
    double angle, scale;
    Geometry box;
    int accepted;
  } cases[] = {
      // Without turn or scale the corners map onto themselves; the bounding
      // box reaches one past a corner beyond the first.
      {"inside", kMarkerQuad, 0, 1, {1, 1, 98, 78}, 1},
      {"whole", kMarkerQuad, 0, 1, {0, 0, 100, 80}, 0},
      {"left edge", kMarkerQuad, 0, 1, {0, 1, 98, 78}, 1},
      {"past the left", kMarkerQuad, 0, 1, {-1, 1, 98, 78}, 0},
      {"kind 10", kMarkerTransformedBox, 0, 1, {1, 1, 98, 78}, 1},
      {"kind 10 past the right", kMarkerTransformedBox, 0, 1, {2, 1, 98, 78}, 0},
      // Rounded ends reach g3/2 beyond the box on both sides.
      {"rounded", kMarkerTransformedRoundBox, 0, 1, {21, 1, 58, 40}, 1},
      {"rounded past the left", kMarkerTransformedRoundBox, 0, 1, {19, 1, 58, 40}, 0},
      {"other kind", kMarkerBox, 0, 1, {10, 10, 10, 10}, 0},
      // A quarter turn maps 60 x 20 about the centre to 20 x 60.
      {"turned fits", kMarkerQuad, kPi / 2, 1, {20, 30, 60, 20}, 1},
      {"turned too tall", kMarkerQuad, kPi / 2, 1, {10, 30, 80, 20}, 0},
      // Scale 2 maps the box to half its size about the centre.
      {"scaled", kMarkerQuad, 0, 2, {-40, -30, 180, 140}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MarkerRecord r = QuadRecord(100, 80, c.angle, c.scale, c.box, c.kind);
    EXPECT_EQ(c.accepted, UpdateQuadMarker(&r));
    Free(&r);
  }
  MarkerRecord none = Record({1, 1, 10, 10}, 100, 80, kMarkerQuad);
  EXPECT_EQ(0, UpdateQuadMarker(&none)) << "no transform";
}

TEST(MarkerQuad, MovesAndSizesAreUndoneWhenACornerLeaves) {
  const auto Q = [](int (*f)(MarkerRecord*, int32_t)) { return Quad(f); };
  const StepFn size = [](MarkerRecord* r, int32_t w, int32_t h) { return SetQuadMarkerSize(r, w, h); };
  const StepCase cases[] = {
      {"up", Q(MoveQuadMarkerUp), {1, 1, 98, 78}, 1, 0, {1, 0, 98, 78}},
      {"up", Q(MoveQuadMarkerUp), {1, 0, 98, 78}, 1, 0, {1, 0, 98, 78}},
      {"down", Q(MoveQuadMarkerDown), {1, 1, 98, 78}, 1, 0, {1, 1, 98, 78}},
      {"down", Q(MoveQuadMarkerDown), {1, 0, 98, 78}, 1, 0, {1, 1, 98, 78}},
      {"left", Q(MoveQuadMarkerLeft), {1, 1, 98, 78}, 1, 0, {0, 1, 98, 78}},
      {"left", Q(MoveQuadMarkerLeft), {0, 1, 98, 78}, 1, 0, {0, 1, 98, 78}},
      {"right", Q(MoveQuadMarkerRight), {1, 1, 98, 78}, 1, 0, {1, 1, 98, 78}},
      {"right far", Q(MoveQuadMarkerRight), {1, 1, 98, 78}, INT32_MAX, 0, {1, 1, 98, 78}},
      {"grow", Family(kStepQuadGrow), {2, 2, 96, 76}, 1, 0, {1, 1, 98, 78}},
      {"grow", Family(kStepQuadGrow), {1, 1, 98, 78}, 1, 0, {1, 1, 98, 78}},
      {"shrink", Family(kStepQuadShrink), {10, 10, 6, 6}, 2, 0, {12, 12, 2, 2}},
      {"shrink to nothing", Family(kStepQuadShrink), {10, 10, 6, 6}, 3, 0, {10, 10, 6, 6}},
      {"narrow", Family(kStepQuadNarrow), {10, 10, 4, 6}, 1, 0, {10, 10, 4, 6}},
      {"widen", Family(kStepQuadWiden), {1, 1, 98, 78}, 1, 0, {1, 1, 98, 78}},
      {"widen", Family(kStepQuadWiden), {2, 1, 96, 78}, 1, 0, {1, 1, 98, 78}},
      {"flatten", Family(kStepQuadFlatten), {10, 10, 6, 4}, 1, 0, {10, 10, 6, 4}},
      {"heighten", Family(kStepQuadHeighten), {1, 1, 98, 78}, 1, 0, {1, 1, 98, 78}},
      {"size", size, {40, 30, 20, 20}, 98, 78, {1, 1, 98, 78}},
      {"size", size, {40, 30, 20, 20}, 100, 78, {40, 30, 20, 20}},
      {"size", size, {40, 30, 20, 20}, 1, 8, {40, 30, 20, 20}},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " by " + std::to_string(c.a));
    MarkerRecord r = QuadRecord(100, 80, 0, 1, c.start);
    const int kept = c.step(&r, c.a, c.b);
    EXPECT_EQ(Text(c.result), Text(Of(r)));
    EXPECT_EQ(c.result != c.start, kept == 1);
    Free(&r);
  }
}

// --- random walks: every step either keeps the mark in bounds or leaves it
// exactly as it was

struct Walk {
  const char* name;
  Geometry start;
  std::vector<StepFn> steps;
  std::function<bool(const MarkerRecord&)> inBounds;
};

void RunWalk(const Walk& w, MarkerRecord r, std::mt19937* random) {
  SCOPED_TRACE(w.name);
  ASSERT_TRUE(w.inBounds(r)) << "the walk starts in bounds";
  std::uniform_int_distribution<size_t> pick(0, w.steps.size() - 1);
  std::uniform_int_distribution<int32_t> small(0, 12), large(0, 200);
  int kept = 0;
  for (int i = 0; i < 4000; ++i) {
    const Geometry before = Of(r);
    const int which = int((*random)() % 20);
    // Mostly small steps, some large, a few that overflow a naive sum.
    const int32_t a = which < 15 ? small(*random) : which < 19 ? large(*random) : INT32_MAX - small(*random);
    const int32_t b = small(*random) * 8;
    w.steps[pick(*random)](&r, a, b);
    if (Of(r) == before) continue;
    ++kept;
    ASSERT_TRUE(w.inBounds(r)) << "step " << i << ": " << Text(before) << "-> " << Text(Of(r));
  }
  EXPECT_GT(kept, 400) << "the walk moved";
}

TEST(MarkerSteps, RandomWalksStayInTheSection) {
  std::mt19937 random(20261211);
  const int32_t W = 160, H = 120;
  const auto box = [W, H](const int32_t* g) {
    return g[0] >= 0 && g[1] >= 0 && g[2] >= 1 && g[3] >= 1 && int64_t{g[0]} + g[2] <= W && int64_t{g[1]} + g[3] <= H;
  };
  const auto circle = [W, H](int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    return rx >= 1 && ry >= 1 && cx > rx && cy > ry && cx < W - rx && cy < H - ry;
  };
  const Walk walks[] = {
      {"box",
       {40, 30, 50, 40},
       {Named(MoveBoxMarkerUp), Named(MoveBoxMarkerDown), Named(MoveBoxMarkerLeft), Named(MoveBoxMarkerRight),
        Named(GrowBoxMarker), Named(ShrinkBoxMarker), Named(EnlargeBoxMarker), Named(ReduceBoxMarker), kSetBoxSize,
        Family(kStepBoxNarrow), Family(kStepBoxWiden), Family(kStepBoxFlatten), Family(kStepBoxHeighten)},
       [box](const MarkerRecord& r) { return box(r.geometry) && r.geometry[2] >= 2 && r.geometry[3] >= 2; }},
      {"shift point",
       {80, 60},
       {Named(MoveShiftMarkerUp), Named(MoveShiftMarkerDown), Named(MoveShiftMarkerLeft),
        Named(MoveShiftMarkerRight)},
       [](const MarkerRecord& r) {
         return r.geometry[0] >= 0 && r.geometry[0] < W && r.geometry[1] >= 0 && r.geometry[1] < H;
       }},
      {"two boxes",
       {10, 10, 30, 30, 100, 60, 30, 30},
       {Family(kStepBoxAUp), Family(kStepBoxADown), Family(kStepBoxALeft), Family(kStepBoxARight),
        Family(kStepBoxAGrow), Family(kStepBoxAShrink), Family(kStepBoxANarrow), Family(kStepBoxAWiden),
        Family(kStepBoxAFlatten), Family(kStepBoxAHeighten), Family(kStepBoxBUp), Family(kStepBoxBDown),
        Family(kStepBoxBLeft), Family(kStepBoxBRight), Family(kStepBoxBGrow), Family(kStepBoxBShrink),
        Family(kStepBoxBNarrow), Family(kStepBoxBWiden), Family(kStepBoxBFlatten), Family(kStepBoxBHeighten)},
       [box](const MarkerRecord& r) {
         const int32_t* g = r.geometry;
         return box(g) && box(g + 4) && !RectanglesOverlap(g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7]);
       }},
      {"lines",
       {30, 30, 0, 0, 90, 90},
       {Family(kStepFirstLineUp), Family(kStepFirstLineDown), Family(kStepSecondLineUp), Family(kStepSecondLineDown),
        Family(kStepFirstLineLeft), Family(kStepFirstLineRight), Family(kStepSecondLineLeft),
        Family(kStepSecondLineRight)},
       [](const MarkerRecord& r) {
         const int32_t* g = r.geometry;
         return g[1] >= 1 && g[1] < g[5] && g[5] < H && g[0] >= 1 && g[0] < g[4] && g[4] < W;
       }},
      {"circle",
       {80, 60, 0, 0, 0, 0, 0, 0, 20, 20},
       {Family(kStepCircleUp), Family(kStepCircleDown), Family(kStepCircleLeft), Family(kStepCircleRight),
        Family(kStepCircleGrow), Family(kStepCircleShrink), Family(kStepCircleNarrow), Family(kStepCircleWiden),
        Family(kStepCircleFlatten), Family(kStepCircleHeighten)},
       [circle](const MarkerRecord& r) {
         const int32_t* g = r.geometry;
         return circle(g[0], g[1], g[8], g[9]);
       }},
      {"box and circle",
       {10, 10, 30, 30, 100, 60, 0, 0, 15, 15},
       {Family(kStepPairBoxUp), Family(kStepPairBoxDown), Family(kStepPairBoxLeft), Family(kStepPairBoxRight),
        Family(kStepPairCircleUp), Family(kStepPairCircleDown), Family(kStepPairCircleLeft),
        Family(kStepPairCircleRight), Family(kStepPairCircleGrow), Family(kStepPairCircleShrink),
        Family(kStepPairBoxNarrow), Family(kStepPairBoxWiden), Family(kStepPairBoxFlatten),
        Family(kStepPairBoxHeighten)},
       [box, circle](const MarkerRecord& r) {
         const int32_t* g = r.geometry;
         return box(g) && circle(g[4], g[5], g[8], g[9]);
       }},
  };
  for (const Walk& w : walks) RunWalk(w, Record(w.start, W, H), &random);

  // Turned and scaled boxes: the mapped outline stays inside.
  const Walk quad{"transformed box",
                  {50, 40, 40, 30},
                  {Quad(MoveQuadMarkerUp), Quad(MoveQuadMarkerDown), Quad(MoveQuadMarkerLeft),
                   Quad(MoveQuadMarkerRight), Family(kStepQuadGrow), Family(kStepQuadShrink),
                   Family(kStepQuadNarrow), Family(kStepQuadWiden), Family(kStepQuadFlatten),
                   Family(kStepQuadHeighten),
                   [](MarkerRecord* r, int32_t a, int32_t b) { return SetQuadMarkerSize(r, a % 64 * 4, b); }},
                  [](const MarkerRecord& r) { return UpdateQuadMarker(&r) == 1; }};
  for (int kind : {kMarkerQuad, kMarkerTransformedBox, kMarkerTransformedRoundBox}) {
    MarkerRecord r = QuadRecord(W, H, 0.4, 1.5, quad.start, kind);
    RunWalk(quad, r, &random);
    Free(&r);
  }
}

}  // namespace
