// Geometry of previews and plots: which part of a bitmap goes where, scroll
// bars of a zoomed preview, the section a preview cuts, the three planes, and
// the histogram and curve point lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "shell/preview_geometry.h"

namespace {

TEST(PlanPreview, FiveCases) {
  const struct {
    const char* name;
    int32_t w, h;                 // bitmap; 0 x 0: none
    int32_t scrollX, scrollY;
    int bands;
    int32_t dstX, dstY, srcX, srcY, width, height;
  } cases[] = {
      {"none", 0, 0, 5, 5, 1, 0, 0, 0, 0, 0, 0},
      {"smaller", 4, 2, 5, 5, 4, 3, 3, 0, 0, 4, 2},
      {"wider", 12, 2, 2, 5, 2, 0, 3, 2, 0, 10, 2},
      {"as wide", 10, 2, 0, 5, 2, 0, 3, 0, 0, 10, 2},
      {"higher", 4, 10, 5, 1, 2, 3, 0, 0, 1, 4, 8},
      {"larger", 12, 10, 1, 2, 0, 0, 0, 1, 2, 10, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PreviewPlan p = PlanPreview(10, 8, c.w > 0, c.w, c.h, c.scrollX, c.scrollY);
    EXPECT_EQ(c.bands, p.bandCount);
    EXPECT_EQ(c.w > 0, p.blit);
    if (!p.blit) continue;
    EXPECT_EQ(c.dstX, p.dstX);
    EXPECT_EQ(c.dstY, p.dstY);
    EXPECT_EQ(c.srcX, p.srcX);
    EXPECT_EQ(c.srcY, p.srcY);
    EXPECT_EQ(c.width, p.width);
    EXPECT_EQ(c.height, p.height);
  }
}

TEST(PreviewScrollAxis, CentredOrAtOrigin) {
  const struct {
    int32_t view, scaled;
    bool atOrigin;
    ScrollAxis expected;
  } cases[] = {
      {100, 300, false, {100, 200, true}},
      {100, 301, false, {100, 201, true}},
      {100, 100, false, {0, 0, false}},
      {100, 60, false, {0, 0, false}},
      {100, 300, true, {0, 200, true}},
      {100, 60, true, {19, 0, false}},
      {100, 100, true, {-1, 0, false}},
  };
  for (const auto& c : cases) {
    const ScrollAxis a = PreviewScrollAxis(c.view, c.scaled, c.atOrigin);
    EXPECT_EQ(c.expected.position, a.position) << c.scaled << (c.atOrigin ? " at origin" : "");
    EXPECT_EQ(c.expected.range, a.range);
    EXPECT_EQ(c.expected.enabled, a.enabled);
  }
}

// 100 x 30 grey picture whose sample is 1000 y + x.
struct Source {
  ImageHeader header;
  std::vector<int16_t> samples;
  Source() {
    InitImageHeader(&header);
    header.width = 100;
    header.height = 30;
    header.colourType = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 100; ++x) samples.push_back(int16_t(1000 * y + x));
  }
};

TEST(CutPreviewSection, CutsTheSectionItReports) {
  const Source src;
  const struct {
    const char* name;
    int32_t x, y, viewW, viewH, zoom;
    int32_t originX, originY, width, height;   // in source pixels and reduced size
  } cases[] = {
      {"inside", 10, 2, 20, 5, 2, 20, 4, 20, 5},
      {"narrow picture: whole width", 3, 1, 60, 4, 2, 0, 2, 50, 4},
      {"low picture: whole height", 5, 4, 10, 20, 2, 10, 0, 10, 15},
      {"both whole", 7, 7, 200, 200, 1, 0, 0, 100, 30},
      // Scrolled past the end the section is moved back inside rather than
      // cut outside the picture.
      {"scrolled too far", 35, 1, 20, 5, 2, 60, 2, 20, 5},
      {"negative scroll", -4, -1, 20, 5, 2, 0, 0, 20, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int16_t> dst(size_t(c.viewW) * c.viewH, -1);
    ImageHeader out;
    ASSERT_EQ(IMG_OK, CutPreviewSection(dst.data(), &out, src.samples.data(), &src.header, c.x, c.y, c.viewW, c.viewH,
                                        c.zoom));
    EXPECT_EQ(c.width, out.width);
    EXPECT_EQ(c.height, out.height);
    EXPECT_EQ(src.header.levels, out.levels);
    for (int j = 0; j < c.height; ++j)
      for (int i = 0; i < c.width; ++i)
        ASSERT_EQ(1000 * (c.originY + j * c.zoom) + c.originX + i * c.zoom, dst[size_t(j) * c.width + i])
            << i << "," << j;
  }
}

TEST(CutPreviewSection, RefusesBadArguments) {
  const Source src;
  std::vector<int16_t> dst(100);
  ImageHeader out;
  EXPECT_EQ(IMG_NULL_IMAGE, CutPreviewSection(dst.data(), &out, nullptr, &src.header, 0, 0, 5, 5, 1));
  EXPECT_EQ(IMG_NULL_ARRAY, CutPreviewSection(nullptr, &out, src.samples.data(), &src.header, 0, 0, 5, 5, 1));
  EXPECT_EQ(IMG_BAD_PARAMETER, CutPreviewSection(dst.data(), &out, src.samples.data(), &src.header, 0, 0, 5, 5, 0));
  EXPECT_EQ(IMG_BAD_PARAMETER, CutPreviewSection(dst.data(), &out, src.samples.data(), &src.header, 0, 0, 0, 5, 1));
}

TEST(ThreePlanes, OnlyForColourPictures) {
  ImageHeader h;
  InitImageHeader(&h);
  h.width = 4;
  h.height = 3;
  h.colourType = 0;
  int16_t *a = reinterpret_cast<int16_t*>(1), *b = a, *c = a;
  EXPECT_EQ(0, AllocThreePlanes(&a, &b, &c, &h));
  EXPECT_TRUE(!a && !b && !c);
  h.colourType = kColourRgb;
  ASSERT_EQ(1, AllocThreePlanes(&a, &b, &c, &h));
  a[11] = b[11] = c[11] = 7;   // whole planes, checked by the sanitizers
  EXPECT_EQ(1, FreeThreePlanes(&a, &b, &c));
  EXPECT_TRUE(!a && !b && !c);
}

TEST(HistogramPolygon, EmptyHistogramLiesOnTheBottomLine) {
  std::vector<uint32_t> counts(40, 0);
  std::vector<PlotPoint> p;
  ASSERT_TRUE(HistogramPolygon(&p, 11, 9, 0, 40, counts.data()));   // W 10, H 8
  ASSERT_EQ(13u, p.size());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(i + 1, p[i].x);
    EXPECT_EQ(7, p[i].y);
  }
  EXPECT_EQ(10, p[10].x);
  EXPECT_EQ(8, p[10].y);
  EXPECT_EQ(1, p[11].x);
  EXPECT_EQ(8, p[11].y);
  EXPECT_EQ(p[0].x, p[12].x);
  EXPECT_EQ(p[0].y, p[12].y);
}

TEST(HistogramPolygon, LogarithmicColumnsAndRows) {
  // 20 bins in 10 columns: two bins per column, the larger one counts.
  std::vector<uint32_t> counts(20, 0);
  counts[5] = 100;
  counts[8] = 9;
  std::vector<PlotPoint> p;
  ASSERT_TRUE(HistogramPolygon(&p, 11, 9, 0, 20, counts.data()));
  EXPECT_EQ(1, p[2].y) << "the peak reaches H - 2 above the bottom line";
  EXPECT_EQ(4, p[4].y) << "log 10 / log 101 of the height";
  EXPECT_EQ(7, p[3].y);

  // Taller than wide: bins along y from the bottom, values along x over W.
  std::vector<PlotPoint> t;
  ASSERT_TRUE(HistogramPolygon(&t, 9, 21, 0, 20, counts.data()));   // W 8, H 20: one bin per row
  ASSERT_EQ(23u, t.size());
  EXPECT_EQ(20, t[0].y);
  EXPECT_EQ(8, t[5].x);
  EXPECT_EQ(0, t[4].x);
  EXPECT_EQ(1, t[20].x);
  EXPECT_EQ(1, t[20].y);
}

TEST(HistogramPolygon, StaysOnScaleWithoutEmptyBinsAndWithFewBins) {
  // No bin is empty: heights count from the smallest bin.
  std::vector<uint32_t> counts(10, 500);
  counts[4] = 5000;
  std::vector<PlotPoint> p;
  ASSERT_TRUE(HistogramPolygon(&p, 11, 9, 0, 10, counts.data()));
  for (const PlotPoint& q : p) EXPECT_TRUE(q.y >= 0 && q.y <= 8) << q.y;
  EXPECT_EQ(7, p[0].y);
  EXPECT_EQ(1, p[4].y);

  // Fewer bins than columns: one bin per column, the rest empty.
  const uint32_t few[3] = {1, 10, 100};
  ASSERT_TRUE(HistogramPolygon(&p, 11, 9, 0, 3, few));
  EXPECT_EQ(1, p[2].y);
  EXPECT_EQ(7, p[0].y);
  EXPECT_EQ(7, p[9].y);

  EXPECT_FALSE(HistogramPolygon(&p, 11, 9, 5, 5, few));
  EXPECT_FALSE(HistogramPolygon(&p, 2, 2, 0, 3, few));
  EXPECT_FALSE(HistogramPolygon(&p, 11, 9, 0, 3, nullptr));
}

TEST(ContrastCurvePlot, ScalesTheCurveAndPlacesTheGrid) {
  std::vector<double> x(256), y(256);
  for (int i = 0; i < 256; ++i) x[i] = y[i] = i;
  CurvePlot plot;
  ASSERT_TRUE(ContrastCurvePlot(&plot, 256, 256, false, 256, x.data(), y.data(), 0.0, 255.0, 32.0, 64.0));
  ASSERT_EQ(256u, plot.curve.size());
  EXPECT_EQ(0, plot.curve[0].x);
  EXPECT_EQ(255, plot.curve[0].y) << "kept above the bottom edge";
  EXPECT_EQ(100, plot.curve[100].x);
  EXPECT_EQ(156, plot.curve[100].y);
  EXPECT_EQ(1, plot.curve[255].y);
  EXPECT_EQ((std::vector<int32_t>{0, 32, 64, 96, 128, 160, 192, 224}), plot.gridX);
  EXPECT_EQ((std::vector<int32_t>{256, 192, 128, 64}), plot.gridY);

  // Half the height: the y scale halves.
  ASSERT_TRUE(ContrastCurvePlot(&plot, 256, 128, false, 256, x.data(), y.data(), 0.0, 255.0, 0.0, 0.0));
  EXPECT_EQ(128 - 50, plot.curve[100].y);
  EXPECT_TRUE(plot.gridX.empty() && plot.gridY.empty()) << "no grid without a step";

  // Swapped: the values run across, the positions up.
  ASSERT_TRUE(ContrastCurvePlot(&plot, 128, 256, true, 256, x.data(), y.data(), 0.0, 255.0, 32.0, 64.0));
  EXPECT_EQ(50, plot.curve[100].x);
  EXPECT_EQ(156, plot.curve[100].y);

  const double flat[2] = {5, 5};
  EXPECT_FALSE(ContrastCurvePlot(&plot, 256, 256, false, 2, flat, flat, 0.0, 255.0, 32.0, 32.0));
  EXPECT_FALSE(ContrastCurvePlot(&plot, 256, 256, false, 256, x.data(), y.data(), 5.0, 5.0, 32.0, 32.0));
}

}  // namespace
