#include "shell/markers/marker_steps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Steps compute in 64 bits: every change adds or multiplies 32-bit values
// at most twice, so nothing overflows before the test.
using Wide = int64_t;

constexpr double kPi = 3.14159265358979323846;

enum class Arg : uint8_t {
  kStep,    // a step size: negative is no step
  kFactor,  // a factor or divisor: 0 or less is no step
  kValue,   // a coordinate or size, tested by the rule itself
};

struct Rule {
  int8_t first, count;   // the elements kept as the previous geometry
  Arg arg;
  void (*change)(Wide* g, Wide a, Wide b);
  bool (*kept)(const Wide* g, Wide W, Wide H);   // null: no test of its own
  // Run after a kept change: marks that follow the one that moved.
  void (*after)(Wide* g, Wide W, Wide H) = nullptr;
  bool mapped = false;   // transformed boxes: UpdateQuadMarker must accept the result too
};

bool Fits(Wide v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The step rule: remember, change, test, put back on failure.
int Run(MarkerRecord* r, const Rule& rule, Wide a, Wide b) {
  if ((rule.arg == Arg::kStep && a < 0) || (rule.arg == Arg::kFactor && a <= 0)) return 0;
  std::memcpy(r->previous + rule.first, r->geometry + rule.first, rule.count * sizeof(int32_t));
  Wide g[kMarkerGeometrySize];
  for (int i = 0; i < kMarkerGeometrySize; ++i) g[i] = r->geometry[i];
  rule.change(g, a, b);
  const Wide W = r->visibleWidth, H = r->visibleHeight;
  if (!std::all_of(g, g + kMarkerGeometrySize, Fits)) return 0;
  for (int i = 0; i < kMarkerGeometrySize; ++i) r->geometry[i] = int32_t(g[i]);
  const bool kept = (!rule.kept || rule.kept(g, W, H)) && (!rule.mapped || UpdateQuadMarker(r) == 1);
  if (!kept) {
    std::memcpy(r->geometry + rule.first, r->previous + rule.first, rule.count * sizeof(int32_t));
    return 0;
  }
  if (rule.after) {
    rule.after(g, W, H);
    for (int i = 0; i < kMarkerGeometrySize; ++i)
      r->geometry[i] = int32_t(std::clamp<Wide>(g[i], INT32_MIN, INT32_MAX));
  }
  return 1;
}

bool Overlap(Wide x1, Wide y1, Wide w1, Wide h1, Wide x2, Wide y2, Wide w2, Wide h2) {
  return std::min(x1 + w1, x2 + w2) > std::max(x1, x2) && std::min(y1 + h1, y2 + h2) > std::max(y1, y2);
}

using Change = void (*)(Wide* g, Wide a, Wide b);
using Test = bool (*)(const Wide* g, Wide W, Wide H);

// Changes. B is the first element of the box they work on (0, or 4 for the
// second box of two-part marks); I is a single element.
template <int I> void Minus(Wide* g, Wide s, Wide) { g[I] -= s; }
template <int I> void Plus(Wide* g, Wide s, Wide) { g[I] += s; }
template <int I> void SetTo(Wide* g, Wide v, Wide) { g[I] = v; }
template <int B> void Grow(Wide* g, Wide s, Wide) { g[B] -= s, g[B + 1] -= s, g[B + 2] += 2 * s, g[B + 3] += 2 * s; }
template <int B> void Shrink(Wide* g, Wide s, Wide) { g[B] += s, g[B + 1] += s, g[B + 2] -= 2 * s, g[B + 3] -= 2 * s; }
template <int B> void Narrow(Wide* g, Wide s, Wide) { g[B] += s, g[B + 2] -= 2 * s; }
template <int B> void Widen(Wide* g, Wide s, Wide) { g[B] -= s, g[B + 2] += 2 * s; }
template <int B> void Flatten(Wide* g, Wide s, Wide) { g[B + 1] += s, g[B + 3] -= 2 * s; }
template <int B> void Heighten(Wide* g, Wide s, Wide) { g[B + 1] -= s, g[B + 3] += 2 * s; }
void Radii(Wide* g, Wide s, Wide) { g[8] += s, g[9] += s; }
void LessRadii(Wide* g, Wide s, Wide) { g[8] -= s, g[9] -= s; }
void Enlarge(Wide* g, Wide f, Wide) { g[0] -= g[2] / 2, g[1] -= g[3] / 2, g[2] *= f, g[3] *= f; }
void Reduce(Wide* g, Wide d, Wide) { g[2] /= d, g[3] /= d, g[0] += g[2] / 2, g[1] += g[3] / 2; }
void Resize(Wide* g, Wide w, Wide h) {
  g[0] = g[0] + g[2] / 2 - w / 2;
  g[1] = g[1] + g[3] / 2 - h / 2;
  g[2] = w;
  g[3] = h;
}

// Tests.
template <int I, int N> bool AtLeast(const Wide* g, Wide, Wide) { return g[I] >= N; }
template <int I, int J> bool Below(const Wide* g, Wide, Wide) { return g[I] < g[J]; }
template <int I, int J> bool Above(const Wide* g, Wide, Wide) { return g[I] > g[J]; }
template <int I, int M> bool BelowW(const Wide* g, Wide W, Wide) { return g[I] < W - M; }
template <int I, int M> bool BelowH(const Wide* g, Wide, Wide H) { return g[I] < H - M; }
template <int B> bool Inside(const Wide* g, Wide W, Wide H) {
  return g[B] >= 1 && g[B + 1] >= 1 && g[B] + g[B + 2] < W && g[B + 1] + g[B + 3] < H;
}
template <int B> bool BottomFree(const Wide* g, Wide, Wide H) { return g[B + 1] < H - g[B + 3]; }
template <int B> bool RightFree(const Wide* g, Wide W, Wide) { return g[B] < W - g[B + 2]; }
template <int B, int N> bool Sides(const Wide* g, Wide, Wide) { return g[B + 2] >= N && g[B + 3] >= N; }
template <int B> bool WideInside(const Wide* g, Wide W, Wide) { return g[B] >= 1 && g[B] + g[B + 2] < W; }
template <int B> bool TallInside(const Wide* g, Wide, Wide H) { return g[B + 1] >= 1 && g[B + 1] + g[B + 3] < H; }
template <int X> bool XInside(const Wide* g, Wide W, Wide) { return g[X] >= 0 && g[X] < W; }
template <int Y> bool YInside(const Wide* g, Wide, Wide H) { return g[Y] >= 0 && g[Y] < H; }
// A circle at (g[C], g[C + 1]) with radii g8, g9 strictly inside, or on one axis.
template <int C> bool CircleInside(const Wide* g, Wide W, Wide H) {
  return g[C] > g[8] && g[C + 1] > g[9] && g[C] < W - g[8] && g[C + 1] < H - g[9];
}
template <int C> bool CircleInsideX(const Wide* g, Wide W, Wide) { return g[C] > g[8] && g[C] < W - g[8]; }
template <int C> bool CircleInsideY(const Wide* g, Wide, Wide H) { return g[C + 1] > g[9] && g[C + 1] < H - g[9]; }
bool RadiiAtLeast2(const Wide* g, Wide, Wide) { return g[8] >= 2 && g[9] >= 2; }
template <int C> bool CircleBelowW(const Wide* g, Wide W, Wide) { return g[C] < W - g[8]; }
template <int C> bool CircleBelowH(const Wide* g, Wide, Wide H) { return g[C + 1] < H - g[9]; }
// Two-box rules: the test of the box, and the boxes must not overlap.
template <Test T> bool Apart(const Wide* g, Wide W, Wide H) {
  return T(g, W, H) && !Overlap(g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7]);
}
bool SidesAndInSection(const Wide* g, Wide W, Wide H) {
  return Sides<0, 2>(g, W, H) && g[0] + g[2] <= W && g[1] + g[3] <= H;
}
bool InsideWithSides(const Wide* g, Wide W, Wide H) { return Inside<0>(g, W, H) && Sides<0, 2>(g, W, H); }

// The box with an inner mark (g4, g5) of g6 x g7: the mark stays in reach of
// the box, half its size over the box's edges.
bool OuterAboveTop(const Wide* g, Wide, Wide) { return g[1] > g[7] / 2; }
bool OuterBelowBottom(const Wide* g, Wide, Wide H) { return g[1] + g[3] < H - g[7] / 2; }
bool OuterRightOfLeft(const Wide* g, Wide, Wide) { return g[0] > g[6] / 2; }
bool OuterLeftOfRight(const Wide* g, Wide W, Wide) { return g[0] + g[2] < W - g[6] / 2; }
bool OuterInside(const Wide* g, Wide W, Wide H) {
  return OuterRightOfLeft(g, W, H) && OuterAboveTop(g, W, H) && OuterLeftOfRight(g, W, H) &&
         OuterBelowBottom(g, W, H);
}
bool MarkUpInBox(const Wide* g, Wide, Wide) { return g[5] > g[1] - g[7] / 2; }
bool MarkDownInBox(const Wide* g, Wide, Wide) { return g[5] < g[1] + g[3] - g[7] / 2; }
bool MarkLeftInBox(const Wide* g, Wide, Wide) { return g[4] > g[0] - g[6] / 2; }
bool MarkRightInBox(const Wide* g, Wide, Wide) { return g[4] < g[0] + g[2] - g[6] / 2; }
bool MarkInSection(const Wide* g, Wide W, Wide H) { return g[4] > 0 && g[4] < W && g[5] > 0 && g[5] < H; }
void PullMarkUp(Wide* g, Wide, Wide) { g[5] = std::min(g[5], g[1] + g[3] - g[7] / 2); }
void PullMarkDown(Wide* g, Wide, Wide) { g[5] = std::max(g[5], g[1] - g[7] / 2); }
void PullMarkLeft(Wide* g, Wide, Wide) { g[4] = std::min(g[4], g[0] + g[2] - g[6] / 2); }
void PullMarkRight(Wide* g, Wide, Wide) { g[4] = std::max(g[4], g[0] - g[6] / 2); }
// After the box shrank: the mark clamped back into its reach.
void KeepMarkInBox(Wide* g, Wide W, Wide H) {
  PullMarkUp(g, W, H);
  PullMarkDown(g, W, H);
  PullMarkLeft(g, W, H);
  PullMarkRight(g, W, H);
}
// After the mark grew: the box moved or cut so that the mark fits around it.
void FitBoxToMark(Wide* g, Wide W, Wide H) {
  if (g[0] < g[6] / 2 + 1) g[0] = g[6] / 2 + 1;
  if (g[1] < g[7] / 2 + 1) g[1] = g[7] / 2 + 1;
  if (g[0] + g[2] + g[6] / 2 >= W) g[2] = W - g[6] / 2 - g[0] - 1;
  if (g[1] + g[3] + g[7] / 2 >= H) g[3] = H - g[7] / 2 - g[1] - 1;
}

constexpr Arg S = Arg::kStep, F = Arg::kFactor, V = Arg::kValue;

// The named box, point and transformed-box steps.
constexpr Rule kBoxUp{0, 4, S, Minus<1>, AtLeast<1, 1>};
constexpr Rule kBoxDown{0, 4, S, Plus<1>, BottomFree<0>};
constexpr Rule kBoxLeft{0, 4, S, Minus<0>, AtLeast<0, 1>};
constexpr Rule kBoxRight{0, 4, S, Plus<0>, RightFree<0>};
constexpr Rule kBoxGrow{0, 4, S, Grow<0>, Inside<0>};
constexpr Rule kBoxShrink{0, 4, S, Shrink<0>, Sides<0, 2>};
constexpr Rule kBoxEnlarge{0, 4, F, Enlarge, Inside<0>};
// A divisor of 1 keeps the size and only moves the box on: it must stay in
// the section too, which every larger divisor does by itself.
constexpr Rule kBoxReduce{0, 4, F, Reduce, SidesAndInSection};
constexpr Rule kBoxSize{0, 4, V, Resize, InsideWithSides};

constexpr Rule kShiftUp{1, 1, S, Minus<1>, AtLeast<1, 1>};
constexpr Rule kShiftDown{1, 1, S, Plus<1>, BelowH<1, 0>};
constexpr Rule kShiftLeft{0, 1, S, Minus<0>, AtLeast<0, 1>};
constexpr Rule kShiftRight{0, 1, S, Plus<0>, BelowW<0, 0>};

constexpr Rule kQuadUp{0, 4, S, Minus<1>, nullptr, nullptr, true};
constexpr Rule kQuadDown{0, 4, S, Plus<1>, nullptr, nullptr, true};
constexpr Rule kQuadLeft{0, 4, S, Minus<0>, nullptr, nullptr, true};
constexpr Rule kQuadRight{0, 4, S, Plus<0>, nullptr, nullptr, true};
constexpr Rule kQuadSize{0, 4, V, Resize, Sides<0, 2>, nullptr, true};

// The rest of the family, in the order of MarkerStep.
constexpr Rule kFamily[] = {
    // the line of kinds 0 and 2
    {1, 1, S, Minus<1>, AtLeast<1, 1>},
    {1, 1, S, Plus<1>, BelowH<1, 0>},
    {0, 1, S, Minus<0>, AtLeast<0, 1>},
    {0, 1, S, Plus<0>, BelowW<0, 0>},
    // the lines of kinds 1 and 3
    {1, 1, S, Minus<1>, AtLeast<1, 1>},
    {1, 1, S, Plus<1>, Below<1, 5>},
    {5, 1, S, Minus<5>, Above<5, 1>},
    {5, 1, S, Plus<5>, BelowH<5, 0>},
    {0, 1, S, Minus<0>, AtLeast<0, 1>},
    {0, 1, S, Plus<0>, Below<0, 4>},
    {4, 1, S, Minus<4>, Above<4, 0>},
    {4, 1, S, Plus<4>, BelowW<4, 0>},
    // kind 4, one side pair
    {0, 4, S, Narrow<0>, AtLeast<2, 3>},
    {0, 4, S, Widen<0>, WideInside<0>},
    {0, 4, S, Flatten<0>, AtLeast<3, 3>},
    {0, 4, S, Heighten<0>, TallInside<0>},
    // two boxes: A
    {0, 8, S, Minus<1>, Apart<AtLeast<1, 1>>},
    {0, 8, S, Plus<1>, Apart<BottomFree<0>>},
    {0, 8, S, Minus<0>, Apart<AtLeast<0, 1>>},
    {0, 8, S, Plus<0>, Apart<RightFree<0>>},
    {0, 8, S, Grow<0>, Apart<Inside<0>>},
    {0, 8, S, Shrink<0>, Apart<Sides<0, 2>>},
    {0, 8, S, Narrow<0>, Apart<AtLeast<2, 3>>},
    {0, 8, S, Widen<0>, Apart<WideInside<0>>},
    {0, 8, S, Flatten<0>, Apart<AtLeast<3, 3>>},
    {0, 8, S, Heighten<0>, Apart<TallInside<0>>},
    // and B
    {0, 8, S, Minus<5>, Apart<AtLeast<5, 1>>},
    {0, 8, S, Plus<5>, Apart<BottomFree<4>>},
    {0, 8, S, Minus<4>, Apart<AtLeast<4, 1>>},
    {0, 8, S, Plus<4>, Apart<RightFree<4>>},
    {0, 8, S, Grow<4>, Apart<Inside<4>>},
    {0, 8, S, Shrink<4>, Apart<Sides<4, 2>>},
    {0, 8, S, Narrow<4>, Apart<AtLeast<6, 3>>},
    {0, 8, S, Widen<4>, Apart<WideInside<4>>},
    {0, 8, S, Flatten<4>, Apart<AtLeast<7, 3>>},
    {0, 8, S, Heighten<4>, Apart<TallInside<4>>},
    // a point 10 pixels off the border
    {1, 1, S, Minus<1>, AtLeast<1, 11>},
    {1, 1, S, Plus<1>, BelowH<1, 10>},
    {0, 1, S, Minus<0>, AtLeast<0, 11>},
    {0, 1, S, Plus<0>, BelowW<0, 10>},
    // a point set directly
    {0, 2, V, SetTo<0>, XInside<0>},
    {0, 2, V, SetTo<1>, YInside<1>},
    // a box with an inner mark
    {0, 8, S, Minus<1>, OuterAboveTop, PullMarkUp},
    {0, 8, S, Plus<1>, OuterBelowBottom, PullMarkDown},
    {0, 8, S, Minus<0>, OuterRightOfLeft, PullMarkLeft},
    {0, 8, S, Plus<0>, OuterLeftOfRight, PullMarkRight},
    {0, 8, S, Grow<0>, OuterInside},
    {0, 8, S, Shrink<0>, Sides<0, 2>, KeepMarkInBox},
    {0, 8, S, Minus<5>, MarkUpInBox},
    {0, 8, S, Plus<5>, MarkDownInBox},
    {0, 8, S, Minus<4>, MarkLeftInBox},
    {0, 8, S, Plus<4>, MarkRightInBox},
    {0, 8, S, Grow<4>, MarkInSection, FitBoxToMark},
    {0, 8, S, Shrink<4>, Sides<4, 2>},
    // a circle
    {0, 10, S, Minus<1>, Above<1, 9>},
    {0, 10, S, Plus<1>, CircleBelowH<0>},
    {0, 10, S, Minus<0>, Above<0, 8>},
    {0, 10, S, Plus<0>, CircleBelowW<0>},
    {0, 10, S, Radii, CircleInside<0>},
    {0, 10, S, LessRadii, RadiiAtLeast2},
    {0, 10, S, Minus<8>, AtLeast<8, 2>},
    {0, 10, S, Plus<8>, CircleInsideX<0>},
    {0, 10, S, Minus<9>, AtLeast<9, 2>},
    {0, 10, S, Plus<9>, CircleInsideY<0>},
    // a box beside a circle
    {0, 10, S, Minus<1>, AtLeast<1, 1>},
    {0, 10, S, Plus<1>, BottomFree<0>},
    {0, 10, S, Minus<0>, AtLeast<0, 1>},
    {0, 10, S, Plus<0>, RightFree<0>},
    {0, 10, S, Minus<5>, Above<5, 9>},
    {0, 10, S, Plus<5>, CircleBelowH<4>},
    {0, 10, S, Minus<4>, Above<4, 8>},
    {0, 10, S, Plus<4>, CircleBelowW<4>},
    {0, 10, S, Radii, CircleInside<4>},
    {0, 10, S, LessRadii, RadiiAtLeast2},
    {0, 10, S, Narrow<0>, AtLeast<2, 1>},
    {0, 10, S, Widen<0>, WideInside<0>},
    {0, 10, S, Flatten<0>, AtLeast<3, 1>},
    {0, 10, S, Heighten<0>, TallInside<0>},
    // boxes through the transform
    {0, 4, S, Grow<0>, nullptr, nullptr, true},
    {0, 4, S, Shrink<0>, Sides<0, 2>, nullptr, true},
    {0, 4, S, Narrow<0>, AtLeast<2, 3>, nullptr, true},
    {0, 4, S, Widen<0>, nullptr, nullptr, true},
    {0, 4, S, Flatten<0>, AtLeast<3, 3>, nullptr, true},
    {0, 4, S, Heighten<0>, nullptr, nullptr, true},
};
static_assert(sizeof kFamily / sizeof kFamily[0] == kMarkerStepCount, "one rule per MarkerStep");

int32_t RoundToInt(double v) {
  const double r = std::floor(v + 0.5);
  if (!(r == r)) return 0;
  return int32_t(std::clamp(r, double(INT32_MIN), double(INT32_MAX)));
}

}  // namespace

void MoveBoxMarkerUp(MarkerRecord* r, int32_t s) { Run(r, kBoxUp, s, 0); }
void MoveBoxMarkerDown(MarkerRecord* r, int32_t s) { Run(r, kBoxDown, s, 0); }
void MoveBoxMarkerLeft(MarkerRecord* r, int32_t s) { Run(r, kBoxLeft, s, 0); }
void MoveBoxMarkerRight(MarkerRecord* r, int32_t s) { Run(r, kBoxRight, s, 0); }
void GrowBoxMarker(MarkerRecord* r, int32_t s) { Run(r, kBoxGrow, s, 0); }
void ShrinkBoxMarker(MarkerRecord* r, int32_t s) { Run(r, kBoxShrink, s, 0); }
void EnlargeBoxMarker(MarkerRecord* r, int32_t f) { Run(r, kBoxEnlarge, f, 0); }
void ReduceBoxMarker(MarkerRecord* r, int32_t d) { Run(r, kBoxReduce, d, 0); }
void SetBoxMarkerSize(MarkerRecord* r, int32_t w, int32_t h) { Run(r, kBoxSize, w, h); }

void MoveShiftMarkerUp(MarkerRecord* r, int32_t s) { Run(r, kShiftUp, s, 0); }
void MoveShiftMarkerDown(MarkerRecord* r, int32_t s) { Run(r, kShiftDown, s, 0); }
void MoveShiftMarkerLeft(MarkerRecord* r, int32_t s) { Run(r, kShiftLeft, s, 0); }
void MoveShiftMarkerRight(MarkerRecord* r, int32_t s) { Run(r, kShiftRight, s, 0); }

int MoveQuadMarkerUp(MarkerRecord* r, int32_t s) { return Run(r, kQuadUp, s, 0); }
int MoveQuadMarkerDown(MarkerRecord* r, int32_t s) { return Run(r, kQuadDown, s, 0); }
int MoveQuadMarkerLeft(MarkerRecord* r, int32_t s) { return Run(r, kQuadLeft, s, 0); }
int MoveQuadMarkerRight(MarkerRecord* r, int32_t s) { return Run(r, kQuadRight, s, 0); }

int StepMarker(MarkerRecord* r, MarkerStep step, int32_t a) {
  if (step < 0 || step >= kMarkerStepCount) return 0;
  return Run(r, kFamily[step], a, 0);
}

int SetQuadMarkerSize(MarkerRecord* r, int32_t w, int32_t h) { return Run(r, kQuadSize, w, h); }

void TurnMarker(MarkerRecord* r, double degrees) { r->angle += degrees * kPi / 180.0; }

int RectanglesOverlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2,
                      int32_t h2) {
  return Overlap(x1, y1, w1, h1, x2, y2, w2, h2);
}

int BoundingBoxOfPoints(int32_t box[4], const int32_t* points, int32_t n) {
  if (!points || n < 1) {
    box[0] = box[1] = box[2] = box[3] = 0;
    return 0;
  }
  box[0] = box[2] = points[0];
  box[1] = box[3] = points[1];
  if (n < 2) return 0;
  for (int32_t i = 1; i < n; ++i) {
    const int32_t x = points[2 * i], y = points[2 * i + 1];
    // One past the point, kept inside int.
    if (x < box[0]) box[0] = x == INT32_MIN ? x : x - 1;
    if (y < box[1]) box[1] = y == INT32_MIN ? y : y - 1;
    if (x > box[2]) box[2] = x == INT32_MAX ? x : x + 1;
    if (y > box[3]) box[3] = y == INT32_MAX ? y : y + 1;
  }
  return 1;
}

int MapTransformedOutline(const MarkerRecord* r, double outline[26][2]) {
  const int32_t* g = r->geometry;
  int n = 0;
  if (r->kind == kMarkerTransformedBox || r->kind == kMarkerQuad) {
    const double x = g[0], y = g[1], right = double(g[0]) + g[2], bottom = double(g[1]) + g[3];
    const double corners[4][2] = {{x, y}, {right, y}, {right, bottom}, {x, bottom}};
    std::memcpy(outline, corners, sizeof corners);
    n = 4;
  } else if (r->kind == kMarkerTransformedRoundBox) {
    // Half circles of radius h/2 at both ends: the right one from the top
    // down, the left one from the bottom up.
    const double radius = g[3] / 2, cy = double(g[1]) + g[3] / 2;
    const double ends[2] = {double(g[0]) + g[2], double(g[0])};
    for (int side = 0; side < 2; ++side)
      for (int k = 0; k < 13; ++k, ++n) {
        const double a = (side == 0 ? 90 - 15 * k : -90 + 15 * k) * kPi / 180.0;
        const double dx = radius * std::cos(a);
        outline[n][0] = side == 0 ? ends[0] + dx : ends[1] - dx;
        outline[n][1] = cy - radius * std::sin(a);
      }
  } else {
    return 0;
  }
  for (int i = 0; i < n; ++i)
    if (!MapMarkerPoint(r, outline[i][0], outline[i][1], &outline[i][0], &outline[i][1])) return 0;
  return n;
}

int UpdateQuadMarker(const MarkerRecord* r) {
  double outline[26][2];
  const int n = MapTransformedOutline(r, outline);
  if (n == 0) return 0;
  int32_t points[2 * 26];
  for (int i = 0; i < n; ++i) {
    points[2 * i] = RoundToInt(outline[i][0]);
    points[2 * i + 1] = RoundToInt(outline[i][1]);
  }
  int32_t box[4];
  BoundingBoxOfPoints(box, points, n);
  return box[0] >= 0 && box[2] <= r->visibleWidth && box[1] >= 0 && box[3] <= r->visibleHeight;
}
