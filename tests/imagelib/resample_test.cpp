#include "imagelib/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "imagelib/matrix.h"
#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

constexpr double kPi = 3.14159265358979323846;

class Matrix4 {
 public:
  Matrix4() { EXPECT_EQ(1, AllocMatrix(&m_, 4)); }
  ~Matrix4() { FreeMatrix(&m_); }
  double** get() { return m_; }

 private:
  double** m_ = nullptr;
};

TEST(Matrices, AllocateZeroedAndFreeWithSwappedRows) {
  double** m = nullptr;
  ASSERT_EQ(1, AllocMatrix(&m, 5));
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) EXPECT_EQ(0.0, m[i][j]);
  std::swap(m[0], m[4]);   // a solver may pivot by swapping rows
  FreeMatrix(&m);
  EXPECT_EQ(nullptr, m);
  FreeMatrix(&m);
  EXPECT_EQ(0, AllocMatrix(&m, 0));
  EXPECT_EQ(nullptr, m);
}

TEST(Matrices, ProductsTakeVectorsAsRows) {
  Matrix4 a, b, out, copy;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      a.get()[i][j] = i + 2 * j;
      b.get()[i][j] = (i == j) + (j == i + 1) * 3;   // not commuting with a
    }
  MultiplyMatrix(out.get(), a.get(), b.get(), 4);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double expected = 0;
      for (int k = 0; k < 4; ++k) expected += b.get()[i][k] * a.get()[k][j];
      EXPECT_EQ(expected, out.get()[i][j]) << "B x A at " << i << "," << j;
    }
  CopyMatrix(copy.get(), out.get(), 4);
  EXPECT_EQ(out.get()[3][2], copy.get()[3][2]);

  double v[4] = {1, -2, 0.5, 3}, r[4], n[4];
  TransformVector4(r, a.get(), v);
  MultiplyMatrixVector(n, a.get(), v, 4);
  for (int j = 0; j < 4; ++j) {
    double expected = 0;
    for (int i = 0; i < 4; ++i) expected += v[i] * a.get()[i][j];
    EXPECT_EQ(expected, r[j]);
    EXPECT_EQ(expected, n[j]);
  }
  TransformVector4(v, a.get(), v);   // in place
  for (int j = 0; j < 4; ++j) EXPECT_EQ(r[j], v[j]);

  double v3[3] = {2, 0, -1}, r3[3];
  TransformVector3(r3, a.get(), v3);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(2 * a.get()[0][j] - a.get()[2][j], r3[j]);
}

TEST(Matrices, RotationScaleMatrix) {
  Matrix4 m;
  const double a = 0.3;
  ASSERT_EQ(IMG_OK, BuildRotationScaleMatrix(m.get(), a, 1.5, 8.4, 8.2));
  const double k = 8.4 / 8.2;
  const double expected[4][4] = {{k * std::cos(a), std::sin(a), 0, 0},
                                 {-k * std::sin(a), std::cos(a), 0, 0},
                                 {0, 0, 0, 1},
                                 {0, 0, 0, 1.5}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_DOUBLE_EQ(expected[i][j], m.get()[i][j]) << i << "," << j;

  struct Case {
    double scale, xs, ys;
  } bad[] = {{0, 1, 1}, {-1, 1, 1}, {NAN, 1, 1}, {1, 0, 1}, {1, 1, 0}};
  for (const auto& c : bad) EXPECT_EQ(IMG_BAD_PARAMETER, BuildRotationScaleMatrix(m.get(), 0, c.scale, c.xs, c.ys));
  EXPECT_EQ(IMG_NULL_ARRAY, BuildRotationScaleMatrix(nullptr, 0, 1, 1, 1));
}

TEST(Matrices, MapOutputPixel) {
  Matrix4 m;
  ASSERT_EQ(IMG_OK, BuildRotationScaleMatrix(m.get(), 0, 2.0, 1, 1));
  double sx = -1, sy = -1;
  // Output (30, 10) of 40 x 20 is 10 right of and 0 above the centre; halved
  // by the scale, 5 right of the centre of a 16 x 12 source.
  EXPECT_EQ(1, MapOutputPixel(&sx, &sy, 30, 10, 0, m.get(), 40, 20, 16, 12, 2.0));
  EXPECT_EQ(13.0, sx);
  EXPECT_EQ(6.0, sy);
  EXPECT_EQ(0, MapOutputPixel(&sx, &sy, 32, 10, 0, m.get(), 40, 20, 16, 12, 2.0));   // x = 6 is the margin
  EXPECT_EQ(14.0, sx);   // written even outside
  Matrix4 zero;
  sx = sy = -1;
  EXPECT_EQ(0, MapOutputPixel(&sx, &sy, 3, 3, 0, zero.get(), 40, 20, 16, 12, 0));
  EXPECT_EQ(-1.0, sx);
  EXPECT_EQ(-1.0, sy);
}

TEST(Matrices, FitAspectRect) {
  struct Case {
    ImageRect src;
    int tw, th;
    ImageRect expected;
  } cases[] = {
      {{5, 5, 4, 3}, 100, 100, {0, 0, 100, 75}},
      {{0, 0, 3, 4}, 100, 100, {0, 0, 75, 100}},
      {{0, 0, 3, 1}, 100, 50, {0, 0, 100, 33}},
      {{0, 0, 1, 1}, 7, 7, {0, 0, 7, 7}},
  };
  for (const auto& c : cases) {
    ImageRect out;
    ASSERT_EQ(IMG_OK, FitAspectRect(&out, &c.src, c.tw, c.th));
    EXPECT_EQ(c.expected.w, out.w);
    EXPECT_EQ(c.expected.h, out.h);
    EXPECT_EQ(0, out.x + out.y);
  }
  ImageRect out, flat = {0, 0, 0, 5};
  EXPECT_EQ(IMG_BAD_PARAMETER, FitAspectRect(&out, &flat, 10, 10));
  EXPECT_EQ(IMG_BAD_PARAMETER, FitAspectRect(&out, &cases[0].src, 0, 10));
  EXPECT_EQ(IMG_NULL_ARRAY, FitAspectRect(nullptr, &flat, 10, 10));
}

double Sinc(double z) {
  if (z == 0) return 1.0;
  if (z == std::floor(z)) return 0.0;
  return std::sin(kPi * z) / (kPi * z);
}

// Weight of tap k (-1..2) at fraction t / 256.
double SincWeight(int k, int t) {
  double raw[4], sum = 0;
  for (int i = -1; i <= 2; ++i) {
    const double d = t / 256.0 - i;
    raw[i + 1] = Sinc(d) * Sinc(d / 2);
    sum += raw[i + 1];
  }
  return raw[k + 1] / sum;
}

// The resampler pixel by pixel: MapOutputPixel, then the interpolation of the
// mode straight from its formula. Counts mode-4 sums outside 0..32767.
Samples ResampleReference(const ImageHeader& sh, const ImageHeader& dh, const Samples& src, int cx, int cy,
                          double angle, double scale, int mode, int* overshoots = nullptr) {
  Matrix4 m;
  EXPECT_EQ(IMG_OK, BuildRotationScaleMatrix(m.get(), angle, scale, sh.xScale, sh.yScale));
  const int n = SamplesPerPixel(&sh);
  const int16_t fill[3] = {n == 3 ? dh.fillBlue : dh.fillRed, dh.fillGreen, dh.fillRed};
  Samples out(size_t(dh.width) * dh.height * n);
  const double margin = mode == 4 ? 3.0 : 2.0;
  for (int r = 0; r < dh.height; ++r)
    for (int c = 0; c < dh.width; ++c) {
      double sx, sy;
      const int inside = MapOutputPixel(&sx, &sy, (cx - dh.width / 2) + c, (cy - dh.height / 2) + r, 0, m.get(),
                                        dh.width, dh.height, sh.width, sh.height, margin);
      for (int k = 0; k < n; ++k) {
        int v;
        if (!inside) {
          v = fill[k];
        } else if (mode == 0 || mode == 2) {
          v = At(src, sh, int(std::floor(sx + 0.5)), int(std::floor(sy + 0.5)), k);
        } else {
          const int x0 = int(std::floor(sx)), y0 = int(std::floor(sy));
          const int fx = int(256 * (sx - x0)), fy = int(256 * (sy - y0));
          if (mode == 1 || mode == 3) {
            const int p00 = At(src, sh, x0, y0, k), p10 = At(src, sh, x0 + 1, y0, k);
            const int p01 = At(src, sh, x0, y0 + 1, k), p11 = At(src, sh, x0 + 1, y0 + 1, k);
            v = (p00 * 65536 + (p10 - p00) * fx * 256 + ((p01 - p00) * 256 + (p11 - p01 - p10 + p00) * fx) * fy) >> 16;
          } else {
            double sum = 0;
            for (int j = -1; j <= 2; ++j)
              for (int i = -1; i <= 2; ++i)
                sum += At(src, sh, x0 + i, y0 + j, k) * SincWeight(i, fx) * SincWeight(j, fy);
            v = int(std::floor(sum));
            if ((v < 0 || v > 32767) && overshoots) ++*overshoots;
            v = std::max(0, std::min(v, 32767));
          }
        }
        out[(size_t(r) * dh.width + c) * n + k] = static_cast<int16_t>(v);
      }
    }
  return out;
}

ImageHeader WithFill(ImageHeader h) {
  h.fillRed = 111;
  h.fillGreen = 222;
  h.fillBlue = 333;
  return h;
}

TEST(Resample, IdentityCopiesInsideItsBorder) {
  for (bool colour : {false, true}) {
    const ImageHeader h = WithFill(Header(16, 12, colour));
    const Samples src = Random(h, 30);
    const int n = SamplesPerPixel(&h);
    for (int mode = 0; mode <= 4; ++mode) {
      Samples dst(src.size(), -1);
      ASSERT_EQ(IMG_OK, ResampleImage(&h, &h, src.data(), dst.data(), 8, 6, 0.0, 1.0, mode));
      // The lower bounds are inclusive on the upward Y axis, so the filled
      // border is one row deeper at the top than at the bottom.
      const int side = mode == 4 ? 3 : 2, topRows = side + 1, bottomRows = side - 1;
      for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c) {
          const bool border = c < side || c >= 16 - side || r < topRows || r >= 12 - bottomRows;
          for (int k = 0; k < n; ++k) {
            const int16_t fill = colour ? (k == 0 ? 333 : k == 1 ? 222 : 111) : 111;
            ASSERT_EQ(border ? fill : At(src, h, c, r, k), At(dst, h, c, r, k))
                << "mode " << mode << " at " << c << "," << r;
          }
        }
    }
  }
}

TEST(Resample, QuarterTurnMovesRowsIntoColumns) {
  const ImageHeader sh = WithFill(Header(20, 14, true));
  const ImageHeader dh = WithFill(Header(14, 20, true));
  const Samples src = Random(sh, 31);
  Samples dst(src.size(), -1);
  ASSERT_EQ(IMG_OK, ResampleImage(&sh, &dh, src.data(), dst.data(), 7, 10, kPi / 2, 1.0, 0));
  EXPECT_EQ(ResampleReference(sh, dh, src, 7, 10, kPi / 2, 1.0, 0), dst);
  for (int r = 0; r < 20; ++r)
    for (int c = 0; c < 14; ++c) {
      const bool outside = r < 2 || r >= 19 || c < 2 || c >= 13;
      const bool inner = r >= 3 && r < 17 && c >= 3 && c < 11;
      for (int k = 0; k < 3; ++k) {
        if (outside) {
          EXPECT_EQ(k == 0 ? 333 : k == 1 ? 222 : 111, At(dst, dh, c, r, k)) << c << "," << r;
        }
        // Source row 14 - c becomes destination column c: a clockwise turn.
        if (inner) {
          EXPECT_EQ(At(src, sh, r, 14 - c, k), At(dst, dh, c, r, k)) << c << "," << r;
        }
      }
    }
}

TEST(Resample, MatchesPixelByPixelReference) {
  struct Case {
    bool colour;
    int sw, sh, dw, dh;
    int cx, cy;
    double angle, scale, xScale, yScale;
  } cases[] = {
      {false, 31, 23, 40, 30, 20, 15, 0.17, 1.5, 1, 1},    {true, 32, 24, 32, 24, 16, 12, -0.6, 0.7, 8.4, 8.2},
      {false, 40, 30, 25, 41, 12, 20, 2.5, 1.0, 1, 1},     {true, 20, 20, 60, 60, 30, 30, 0.0, 1.0, 1, 1},
      {false, 33, 27, 33, 27, 10, 20, 1.0, 3.0, 1.25, 1},  // off-centre
      {true, 17, 13, 9, 7, 4, 3, 4.0, 0.4, 1, 2},
  };
  for (const auto& c : cases) {
    ImageHeader src = WithFill(Header(c.sw, c.sh, c.colour));
    src.xScale = c.xScale;
    src.yScale = c.yScale;
    const ImageHeader dst = WithFill(Header(c.dw, c.dh, c.colour));
    const Samples pixels = Random(src, 32 + c.sw);
    for (int mode = 0; mode <= 4; ++mode) {
      Samples out(size_t(c.dw) * c.dh * SamplesPerPixel(&src), -1);
      ASSERT_EQ(IMG_OK, ResampleImage(&src, &dst, pixels.data(), out.data(), c.cx, c.cy, c.angle, c.scale, mode));
      EXPECT_EQ(ResampleReference(src, dst, pixels, c.cx, c.cy, c.angle, c.scale, mode), out)
          << "mode " << mode << ", angle " << c.angle << ", scale " << c.scale;
    }
  }
}

TEST(Resample, WindowedSincStaysInTheSampleRange) {
  // Hard black-to-white edges make the negative lobes overshoot.
  const ImageHeader h = Header(24, 24, false);
  Samples src(24 * 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) src[y * 24 + x] = ((x / 3 + y / 5) & 1) ? 32767 : 0;
  Samples dst(src.size(), -1);
  ASSERT_EQ(IMG_OK, ResampleImage(&h, &h, src.data(), dst.data(), 12, 12, 0.1, 1.3, 4));
  int overshoots = 0;
  EXPECT_EQ(ResampleReference(h, h, src, 12, 12, 0.1, 1.3, 4, &overshoots), dst);
  EXPECT_GT(overshoots, 0) << "the fixture must overshoot to test the clamp";
}

TEST(Resample, RejectsBeforeWritingAnything) {
  const ImageHeader h = Header(16, 12, false);
  ImageHeader flat = h;
  flat.yScale = 0;
  Samples src = Random(h, 33), dst(src.size(), -1);
  struct Case {
    const char* what;
    const ImageHeader* sh;
    const int16_t* s;
    int16_t* d;
    double scale;
    int mode;
    ImageResult expected;
  } cases[] = {
      {"null source", &h, nullptr, dst.data(), 1, 0, IMG_NULL_IMAGE},
      {"null destination", &h, src.data(), nullptr, 1, 0, IMG_NULL_IMAGE},
      {"null header", nullptr, src.data(), dst.data(), 1, 0, IMG_NULL_ARRAY},
      {"same buffer", &h, src.data(), src.data(), 1, 0, IMG_BAD_PARAMETER},
      {"mode 5", &h, src.data(), dst.data(), 1, 5, IMG_BAD_PARAMETER},
      {"mode -1", &h, src.data(), dst.data(), 1, -1, IMG_BAD_PARAMETER},
      {"scale 0", &h, src.data(), dst.data(), 0, 1, IMG_BAD_PARAMETER},
      {"negative scale", &h, src.data(), dst.data(), -2, 4, IMG_BAD_PARAMETER},
      {"y pixel scale 0", &flat, src.data(), dst.data(), 1, 1, IMG_BAD_PARAMETER},
  };
  const Samples before = src;
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ResampleImage(c.sh, &h, c.s, c.d, 8, 6, 0.2, c.scale, c.mode)) << c.what;
    EXPECT_EQ(Samples(src.size(), -1), dst) << c.what;
    EXPECT_EQ(before, src) << c.what;
  }
}

}  // namespace
