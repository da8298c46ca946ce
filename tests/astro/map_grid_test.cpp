#include "astro/maps/map_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "astro/maps/map_projections.h"
#include "astro/maps/projection_tables.h"
#include "tests/shell/testkit/dib_canvas.h"
#include "tests/scratch_name.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180;
constexpr COLORREF kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kLit = RGB(255, 255, 128), kDisk = RGB(0, 0, 255),
                   kRing = RGB(255, 255, 0), kMeridian = RGB(0, 128, 128), kParallel = RGB(0, 127, 127),
                   kLetters = RGB(0, 255, 255);

// The globe drawn into a DIB section, read back pixel by pixel.
class MapGrid : public ::testing::Test {
 protected:
  static constexpr int kW = 700, kH = 500, kCx = 350, kCy = 250;

  void SetUp() override {
    dir_ = ScratchName("tyv_map_grid");
    fs::create_directories(dir_);
    ASSERT_EQ(1, LoadProjectionTables((dir_ / "imat.tab").string().c_str()));
    ASSERT_NE(nullptr, canvas_.bitmap());
    dc_ = canvas_.dc();
  }
  void TearDown() override {
    FreeProjectionTables();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void Clear() { canvas_.Fill(kBlack); }
  COLORREF At(int x, int y) const { return canvas_.At(x, y); }
  COLORREF At(const POINT& p) const { return At(p.x, p.y); }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) n += At(x, y) == c;
    return n;
  }
  // Where the drawing puts (longitude, latitude) in degrees for a globe of
  // radius r with central meridian 0 and the given tilt and rotation.
  static POINT Where(double lonDeg, double latDeg, int r, int ry, double tilt, double rotation = 0) {
    int x, y;
    OrthographicDiskPoint(&x, &y, int(std::lround(-lonDeg * 100)), int(std::lround(latDeg * 100)), r, ry,
                          int(std::lround(rotation / kDeg * 100)), int(std::floor(-tilt / kDeg * 100 + 0.5)));
    return {kCx + x, kCy - y};
  }
  // Beside the test program, for looking at.
  void SaveBitmap(const char* name) const {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = kW;
    ih.biHeight = -kH;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    fh.bfType = 0x4d42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + kW * kH * 4;
    if (std::FILE* f = std::fopen(name, "wb")) {
      std::fwrite(&fh, sizeof fh, 1, f);
      std::fwrite(&ih, sizeof ih, 1, f);
      std::fwrite(canvas_.bits(), 4, size_t(kW) * kH, f);
      std::fclose(f);
    }
  }
  BOOL Draw(int radius, double tilt, double sunLat, double sunLon, const double* rings, int lettering = 0,
            double rotation = 0) {
    return DrawMapGrid(dc_, kCx, kCy, radius, lettering, tilt, 0.0, rotation, sunLat, sunLon, 0.9, 1.0, rings);
  }

  fs::path dir_;
  Canvas canvas_{kW, kH, kBlack};
  HDC dc_ = nullptr;
};

TEST_F(MapGrid, GlobeColoursAtKnownPoints) {
  Clear();
  const double tilt = 0.3;
  // The Sun 90 degrees of longitude from the central meridian: half lit.
  ASSERT_TRUE(Draw(150, tilt, 0.0, 90 * kDeg, nullptr));
  SaveBitmap("map_grid_half.bmp");
  const int ry = int((1.0 - std::cos(tilt) * (1.0 - 0.9)) * 150 / 1.0);
  EXPECT_EQ(kBlack, At(5, 5));
  EXPECT_EQ(kBlack, At(kCx, kCy - ry - 20));
  EXPECT_EQ(kRed, At(Where(0, 7.5, 150, ry, tilt)));     // the zero meridian
  EXPECT_EQ(kRed, At(Where(0, -37.5, 150, ry, tilt)));
  EXPECT_EQ(kMeridian, At(Where(30, 7.5, 150, ry, tilt)));
  EXPECT_EQ(kLit, At(Where(52.5, 7.5, 150, ry, tilt)));  // towards the Sun
  EXPECT_EQ(kDisk, At(Where(-52.5, 7.5, 150, ry, tilt))); // away from it
  EXPECT_EQ(kDisk, At(Where(-7.5, -22.5, 150, ry, tilt)));
  EXPECT_EQ(0, Count(kRing));
  EXPECT_EQ(0, Count(kLetters));
}

TEST_F(MapGrid, FullDiskLitWithTheSunBehindTheEarth) {
  Clear();
  ASSERT_TRUE(Draw(150, 0.2, 0.2, 0.0, nullptr, 1));
  SaveBitmap("map_grid_full.bmp");
  const int ry = int((1.0 - std::cos(0.2) * 0.1) * 150);
  for (double lon : {-67.5, -22.5, 22.5, 67.5}) EXPECT_EQ(kLit, At(Where(lon, 7.5, 150, ry, 0.2))) << lon;
  EXPECT_GT(Count(kLetters), 20);   // longitudes at every 45 degrees
  Clear();
  ASSERT_TRUE(Draw(99, 0.2, 0.2, 0.0, nullptr, 1));
  EXPECT_EQ(0, Count(kLetters));    // too small for lettering
  // Sun behind the planet: all dark.
  Clear();
  ASSERT_TRUE(Draw(150, 0.2, -0.2, kPi, nullptr));
  EXPECT_EQ(0, Count(kLit));
  EXPECT_GT(Count(kDisk), 30000);
}

// Points lit exactly when they lie within 90 degrees of the sub-solar point,
// for a crescent and for a gibbous phase on a turned globe.
TEST_F(MapGrid, CrescentAndGibbousPhases) {
  struct Case {
    double sunLonDeg, rotation;
    const char* file;
  };
  for (const Case& c : {Case{150, 0.0, "map_grid_crescent.bmp"}, Case{-60, 0.5, "map_grid_gibbous.bmp"}}) {
    Clear();
    const double tilt = 0.15, sunLat = 0.1;
    ASSERT_TRUE(Draw(150, tilt, sunLat, c.sunLonDeg * kDeg, nullptr, 0, c.rotation));
    SaveBitmap(c.file);
    const int ry = int((1.0 - std::cos(tilt) * 0.1) * 150);
    for (double lon = -67.5; lon <= 67.5; lon += 15)
      for (double lat : {-37.5, 7.5, 52.5}) {
        // Angular distance from the sub-solar point; skip the terminator's neighbourhood.
        const double d = std::acos(std::sin(lat * kDeg) * std::sin(sunLat) +
                                   std::cos(lat * kDeg) * std::cos(sunLat) * std::cos((lon - c.sunLonDeg) * kDeg)) / kDeg;
        if (std::fabs(d - 90) < 6) continue;
        EXPECT_EQ(d < 90 ? kLit : kDisk, At(Where(lon, lat, 150, ry, tilt, c.rotation)))
            << c.file << " " << lon << ", " << lat;
      }
  }
}

TEST_F(MapGrid, RingsOnlyWhenGivenAndTilted) {
  const double rings[] = {1.5, 2.2, 0.0};
  Clear();
  ASSERT_TRUE(Draw(120, 0.3, 0.25, 0.1, rings));
  SaveBitmap("map_grid_rings.bmp");
  const double r = 1.85 * 120;
  int x, y;
  OrthographicDiskPoint(&x, &y, 0, 0, int(r), int(r), 0, int(std::floor(-0.3 / kDeg * 100 + 0.5)));
  EXPECT_EQ(kRing, At(kCx + x, kCy - y));   // in front of the disk
  EXPECT_EQ(kRing, At(kCx + int(r), kCy));  // beside it
  EXPECT_EQ(kRing, At(kCx - int(r), kCy));
  EXPECT_EQ(kBlack, At(kCx + int(1.4 * 120), kCy));   // between the planet and the inner edge
  // Edge-on rings (within 0.01 degrees) and no ring array draw no rings.
  Clear();
  ASSERT_TRUE(Draw(120, 0.009 * kDeg, 0.0, 0.1, rings));
  EXPECT_EQ(0, Count(kRing));
  Clear();
  ASSERT_TRUE(Draw(120, 0.3, 0.25, 0.1, nullptr));
  EXPECT_EQ(0, Count(kRing));
}

TEST_F(MapGrid, SmallDiskHasLinesEvery45Degrees) {
  Clear();
  ASSERT_TRUE(Draw(20, 0.0, 0.0, 0.0, nullptr));
  SaveBitmap("map_grid_small.bmp");
  const int ry = 18;   // 0.9 of the equatorial radius, seen from the equator
  EXPECT_EQ(kMeridian, At(Where(45, 22.5, 20, ry, 0.0)));
  EXPECT_EQ(kMeridian, At(Where(-45, 22.5, 20, ry, 0.0)));
  EXPECT_EQ(kLit, At(Where(25, 22.5, 20, ry, 0.0)));   // no meridians between at this size
  EXPECT_EQ(kRed, At(Where(0, 22.5, 20, ry, 0.0)));
  EXPECT_EQ(kParallel, At(Where(22.5, 0, 20, ry, 0.0)));   // the equator
  EXPECT_EQ(kLit, At(Where(22.5, 22.5, 20, ry, 0.0)));     // no parallel at 22.5 degrees
}

TEST_F(MapGrid, DeviceContextIsGivenBack) {
  Clear();
  HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HFONT font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  SelectObject(dc_, pen);
  SelectObject(dc_, brush);
  SelectObject(dc_, font);
  SetPolyFillMode(dc_, WINDING);
  SetBkMode(dc_, OPAQUE);
  SetTextColor(dc_, RGB(7, 8, 9));
  const double rings[] = {1.5, 2.2, 0.0};
  ASSERT_TRUE(Draw(150, 0.3, 0.2, 1.0, rings, 1));
  EXPECT_EQ(pen, GetCurrentObject(dc_, OBJ_PEN));
  EXPECT_EQ(brush, GetCurrentObject(dc_, OBJ_BRUSH));
  EXPECT_EQ(font, GetCurrentObject(dc_, OBJ_FONT));
  EXPECT_EQ(WINDING, GetPolyFillMode(dc_));
  EXPECT_EQ(OPAQUE, GetBkMode(dc_));
  EXPECT_EQ(RGB(7, 8, 9), GetTextColor(dc_));
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(0, GetClipRgn(dc_, clip));   // the shadow's clipping is gone again
  DeleteObject(clip);
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
}

}  // namespace
