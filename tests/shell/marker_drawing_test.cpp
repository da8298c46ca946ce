// Marks drawn by GDI into a DIB section and read back: the outline pixels and
// nothing else, the clip to the client area less its first row and column,
// both pens, and a DC left as the dialog had it.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "imagelib/matrix.h"
#include "shell/markers/marker_drawing.h"
#include "testkit/dib_canvas.h"

namespace {

constexpr COLORREF kPen = RGB(255, 0, 0);
constexpr COLORREF kSecond = RGB(0, 0, 255);

using Pixels = std::set<std::pair<int, int>>;

// Every pixel of the canvas: those in `coloured` have their colour, all
// others are untouched.
void ExpectOnly(const Canvas& c, const std::set<std::pair<std::pair<int, int>, COLORREF>>& coloured) {
  std::set<std::pair<int, int>> seen;
  for (const auto& p : coloured) {
    EXPECT_EQ(p.second, c.At(p.first.first, p.first.second)) << p.first.first << "," << p.first.second;
    seen.insert(p.first);
  }
  int stray = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (!seen.count({x, y}) && c.At(x, y) != kMarker && ++stray <= 5)
        ADD_FAILURE() << "stray pixel " << x << "," << y;
}

std::set<std::pair<std::pair<int, int>, COLORREF>> Paint(const Pixels& pixels, COLORREF colour) {
  std::set<std::pair<std::pair<int, int>, COLORREF>> out;
  for (const auto& p : pixels) out.insert({p, colour});
  return out;
}

// Outline pixels of the rectangle from (x0, y0) to (x1, y1) inclusive, kept
// inside the clip from (1, 1) to (right - 1, bottom - 1).
Pixels Outline(int x0, int y0, int x1, int y1, int right, int bottom) {
  Pixels p;
  for (int x = x0; x <= x1; ++x)
    for (int y : {y0, y1}) p.insert({x, y});
  for (int y = y0; y <= y1; ++y)
    for (int x : {x0, x1}) p.insert({x, y});
  Pixels clipped;
  for (const auto& q : p)
    if (q.first >= 1 && q.first < right && q.second >= 1 && q.second < bottom) clipped.insert(q);
  return clipped;
}

MarkerRecord Record(const Canvas& c, int x, int y, int w, int h, int ox, int oy) {
  MarkerRecord r{};
  r.dc = c.dc();
  r.clientRight = c.width() - 1;
  r.clientBottom = c.height() - 1;
  r.visibleWidth = c.width();
  r.visibleHeight = c.height();
  r.zoom = 1;
  r.originX = ox;
  r.originY = oy;
  r.geometry[0] = x;
  r.geometry[1] = y;
  r.geometry[2] = w;
  r.geometry[3] = h;
  r.colour = kPen;
  r.secondColour = kSecond;
  r.kind = kMarkerBox;
  return r;
}

TEST(MarkerDrawing, BoxOutlineExactlyWhereItBelongs) {
  Canvas c(64, 48);
  const MarkerRecord r = Record(c, 5, 5, 10, 10, 10, 20);
  DrawMarker(&r);
  ExpectOnly(c, Paint(Outline(15, 25, 24, 34, 63, 47), kPen));
}

TEST(MarkerDrawing, ClippedToTheClientAreaLessItsFirstRowAndColumn) {
  const struct {
    int x, y, w, h;
  } boxes[] = {{0, 0, 40, 30}, {50, 10, 30, 10}, {10, 40, 20, 20}, {-5, -5, 100, 100}};
  for (const auto& b : boxes) {
    Canvas c(64, 48);
    const MarkerRecord r = Record(c, b.x, b.y, b.w, b.h, 0, 0);
    DrawMarker(&r);
    ExpectOnly(c, Paint(Outline(b.x, b.y, b.x + b.w - 1, b.y + b.h - 1, 63, 47), kPen));
  }
}

TEST(MarkerDrawing, LeavesTheDialogsClipPenAndBrush) {
  Canvas c(64, 48);
  const HRGN clip = CreateRectRgn(0, 0, 20, 64);
  SelectClipRgn(c.dc(), clip);
  const HGDIOBJ pen = GetCurrentObject(c.dc(), OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(c.dc(), OBJ_BRUSH);
  const MarkerRecord r = Record(c, 5, 5, 30, 10, 0, 0);
  DrawMarker(&r);
  // Drawn only where both clips allow.
  ExpectOnly(c, Paint(Outline(5, 5, 34, 14, 20, 47), kPen));
  const HRGN after = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(1, GetClipRgn(c.dc(), after));
  EXPECT_TRUE(EqualRgn(clip, after)) << "the dialog's clip region stays";
  EXPECT_EQ(pen, GetCurrentObject(c.dc(), OBJ_PEN));
  EXPECT_EQ(brush, GetCurrentObject(c.dc(), OBJ_BRUSH));
  DeleteObject(after);
  DeleteObject(clip);

  // Without a clip region of its own the DC has none afterwards either.
  Canvas plain(64, 48);
  const MarkerRecord q = Record(plain, 5, 5, 30, 10, 0, 0);
  DrawMarker(&q);
  const HRGN none = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(0, GetClipRgn(plain.dc(), none));
  DeleteObject(none);
}

TEST(MarkerDrawing, TwoPartMarksUseBothPens) {
  Canvas c(64, 48);
  MarkerRecord r = Record(c, 5, 5, 10, 10, 0, 0);
  r.geometry[4] = 30;
  r.geometry[5] = 20;
  r.geometry[6] = 8;
  r.geometry[7] = 6;
  DrawTwoBoxMarker(&r);
  auto expected = Paint(Outline(5, 5, 14, 14, 63, 47), kPen);
  for (const auto& p : Paint(Outline(30, 20, 37, 25, 63, 47), kSecond)) expected.insert(p);
  ExpectOnly(c, expected);
}

TEST(MarkerDrawing, ShiftLinesCrossTheSection) {
  Canvas c(64, 48);
  MarkerRecord r = Record(c, 20, 10, 0, 0, 2, 3);
  r.visibleWidth = 40;
  r.visibleHeight = 30;
  DrawShiftMarker(&r);
  // Lines end one short of their last point, as GDI lines do.
  Pixels p;
  for (int x = 2; x < 41; ++x) p.insert({x, 13});
  for (int y = 3; y < 32; ++y) p.insert({22, y});
  ExpectOnly(c, Paint(p, kPen));
}

TEST(MarkerDrawing, GridCirclesAreHollow) {
  Canvas c(64, 48);
  MarkerRecord r = Record(c, 10, 10, 30, 20, 0, 0);
  r.shape = kShapePointGrid;
  r.gridCount = 2;
  DrawMarker(&r);
  for (const auto& centre : {std::pair<int, int>{10, 10}, {40, 10}, {10, 30}, {40, 30}}) {
    EXPECT_EQ(kMarker, c.At(centre.first, centre.second)) << "inside is not filled";
    int ring = 0;
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) ring += c.At(centre.first + dx, centre.second + dy) == kPen;
    EXPECT_GE(ring, 4) << centre.first << "," << centre.second;
  }
}

TEST(MarkerDrawing, QuadKeepsItsTransformAsTheSavedCopy) {
  Canvas c(64, 48);
  MarkerRecord r{};
  const HWND none = nullptr;
  ASSERT_EQ(1, InitQuadMarker(none, c.dc(), 0, 0, 64, 48, 20, 20, kPen, 2.0, 1, 0.0, 1.0, 1.0, 1.0, 0, &r));
  r.clientRight = 63;
  r.clientBottom = 47;
  r.savedTransform[0][0] = 99;
  DrawQuadMarker(&r);
  EXPECT_EQ(r.transform[0][0], r.savedTransform[0][0]);
  // Box (22, 14, 20, 20) at half size about (32, 24): 27..37 x 19..29.
  ExpectOnly(c, Paint(Outline(27, 19, 37, 29, 63, 47), kPen));
  FreeMatrix(&r.transform);
  FreeMatrix(&r.savedTransform);
}

TEST(MarkerDrawing, InitialisersReadTheClientSize) {
  const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  MarkerRecord r{};
  EXPECT_EQ(1, InitBoxMarker(window, nullptr, 4, 4, 200, 100, 50, 40, 0, 0, kPen, 1.0, 0, &r));
  EXPECT_EQ(299, r.clientRight);
  EXPECT_EQ(199, r.clientBottom);
  EXPECT_EQ(window, r.window);
  EXPECT_EQ(1, InitShiftMarker(window, nullptr, 4, 4, 200, 100, kPen, 1.0, 0, &r));
  EXPECT_EQ(299, r.clientRight);
  r.kind = kMarkerBox;
  InitMarkerForView(window, SIZE{1000, 150}, &r);
  EXPECT_EQ(0, r.originX);
  EXPECT_EQ(25, r.originY);
  EXPECT_EQ(300, r.visibleWidth);
  EXPECT_EQ(150, r.visibleHeight);
  DestroyWindow(window);
}

}  // namespace
