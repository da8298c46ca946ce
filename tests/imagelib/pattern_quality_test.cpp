#include "imagelib/pattern_quality.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "imagelib/colour_channels.h"
#include "imagelib/primitives.h"
#include "imagelib/summation.h"
#include "stacking_fixtures.h"

namespace {

using testimg::Cut;
using testimg::Disc;
using testimg::Header;
using testimg::Samples;
using testimg::Texture;

struct SearchCase {
  bool colour;
  int channel, step, scale;
  int size;         // pattern width and height
  int x0, y0;       // where it is cut
  int startDx, startDy;   // previous position, relative to the cut
};
constexpr SearchCase kSearches[] = {
    {false, 0, 1, 1, 33, 37, 29, 6, -4},   {false, 0, 2, 1, 33, 90, 51, -9, 7},
    {false, 0, 2, 2, 33, 12, 70, 15, 3},   {true, 0, 2, 1, 33, 55, 40, 2, 2},
    {true, 1, 2, 1, 41, 101, 18, -5, -11}, {true, 2, 1, 1, 29, 64, 77, 0, 0},
    {true, 3, 2, 1, 33, 8, 8, 20, 20},
};

TEST(PatternSearch, BothSearchesFindTheCutAtCorrelationOne) {
  for (const auto& s : kSearches) {
    const ImageHeader h = Header(160, 120, s.colour);
    const Samples frame = Texture(h, 21);
    const Samples pattern = Cut(frame, h, s.x0, s.y0, s.size, s.size);
    const int centreX = s.x0 + s.size / 2, centreY = s.y0 + s.size / 2;
    const int32_t size[2] = {s.size, s.size};
    int32_t result[4] = {-1, -1, -1, -1};
    double corr = -5;
    ASSERT_EQ(IMG_OK, MatchPatternFull(size, s.scale, s.step, s.channel, &h, frame.data(), pattern.data(), result,
                                       &corr, nullptr));
    EXPECT_EQ(centreX, result[0]) << "full, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(centreY, result[1]) << "full, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(0, result[2]);
    EXPECT_EQ(0, result[3]);
    EXPECT_EQ(1.0, corr) << "full, cut at " << s.x0 << "," << s.y0;

    const ImageRect start = {s.x0 + s.startDx, s.y0 + s.startDy, s.size, s.size};
    std::fill(result, result + 4, -1);
    corr = -5;
    ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 40, s.scale, s.step, s.channel, &h, frame.data(), pattern.data(),
                                           0.95, result, &corr));
    EXPECT_EQ(centreX, result[0]) << "radius, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(centreY, result[1]) << "radius, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(1.0, corr) << "radius, cut at " << s.x0 << "," << s.y0;
  }
}

TEST(PatternSearch, FlatFrameGivesZeroAtTheFirstFinePosition) {
  const ImageHeader h = Header(100, 90, false);
  const Samples flat(100 * 90, 3000);
  const Samples pattern = Cut(Texture(h, 2), h, 40, 30, 33, 33);
  const int32_t size[2] = {33, 33};
  int32_t result[4];
  double corr = -5;
  ASSERT_EQ(IMG_OK, MatchPatternFull(size, 1, 2, 0, &h, flat.data(), pattern.data(), result, &corr, nullptr));
  EXPECT_EQ(0.0, corr);
  // The first coarse position (16 + 2 + 2) wins; the fine window reaches 8
  // back, clamped to where the pattern fits (16).
  EXPECT_EQ(16, result[0]);
  EXPECT_EQ(16, result[1]);
}

TEST(PatternSearch, MinimumCorrelationEndsTheCoarseStage) {
  // The pattern sits 48 pixels right of a start in a flat part of the frame:
  // with a minimum of 0 the flat start already qualifies (score 0) and the
  // fine window (+-12) never reaches the texture; with 0.9 it is found.
  const ImageHeader h = Header(200, 100, false);
  Samples frame(200 * 100, 5000);
  const Samples texture = Texture(h, 5);
  for (int y = 20; y < 80; ++y)
    for (int x = 100; x < 190; ++x) frame[y * 200 + x] = texture[y * 200 + x];
  const Samples pattern = Cut(frame, h, 102, 34, 33, 33);
  const ImageRect start = {54, 34, 33, 33};
  int32_t result[4];
  double corr = -5;
  ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 50, 1, 1, 0, &h, frame.data(), pattern.data(), 0.0, result, &corr));
  EXPECT_EQ(0.0, corr);
  EXPECT_EQ(70 - 12, result[0]);
  EXPECT_EQ(50 - 12, result[1]);
  ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 50, 1, 1, 0, &h, frame.data(), pattern.data(), 0.9, result, &corr));
  EXPECT_EQ(1.0, corr);
  EXPECT_EQ(118, result[0]);
  EXPECT_EQ(50, result[1]);
}

// The searches written out plainly on whole planes: both planes smoothed
// over the whole picture, every score from direct sums, candidates in the
// described order.
struct Found {
  int x, y;
  double corr;
};

struct ReferenceSearch {
  const ImageHeader& h;
  int pw, ph, S, G, channel;
  Samples plane, smooth, pat, patSmooth;

  ReferenceSearch(const ImageHeader& hd, const Samples& frame, const Samples& pattern, int w, int ht, int scale,
                  int step, int ch)
      : h(hd), pw(w), ph(ht), S(2 * scale * step), G(scale * step), channel(ch) {
    ImageHeader patternHeader = hd;
    patternHeader.width = w;
    patternHeader.height = ht;
    plane = Plane(frame, hd);
    pat = Plane(pattern, patternHeader);
    ImageHeader grey = hd, greyPattern = patternHeader;
    grey.colourType = greyPattern.colourType = 0;
    smooth.resize(plane.size());
    patSmooth.resize(pat.size());
    const ImageRect all = {0, 0, hd.width, hd.height}, allPattern = {0, 0, w, ht};
    SmoothRect(smooth.data(), plane.data(), &grey, &all, 11);
    SmoothRect(patSmooth.data(), pat.data(), &greyPattern, &allPattern, 11);
  }

  Samples Plane(const Samples& img, const ImageHeader& hd) const {
    Samples out(size_t(hd.width) * hd.height);
    if (hd.colourType != kColourRgb) return img;
    if (channel == 0)
      RgbToLuminance(img.data(), &hd, out.data());
    else
      ExtractColourPlanes(img.data(), &hd, channel, out.data(), nullptr, nullptr);
    return out;
  }

  double Score(const Samples& f, const Samples& p, int x, int y) const {
    long long n = 0, sf = 0, sff = 0, sp = 0, spp = 0, sfp = 0;
    for (int j = 0; j <= 2 * (ph / 2); j += S)
      for (int i = 0; i <= 2 * (pw / 2); i += S) {
        const long long a = f[size_t(y - ph / 2 + j) * h.width + x - pw / 2 + i], b = p[size_t(j) * pw + i];
        ++n;
        sf += a;
        sff += a * a;
        sp += b;
        spp += b * b;
        sfp += a * b;
      }
    const double vf = static_cast<double>(static_cast<__int128>(n) * sff - static_cast<__int128>(sf) * sf);
    const double vp = static_cast<double>(static_cast<__int128>(n) * spp - static_cast<__int128>(sp) * sp);
    if (vp * vf <= 0) return 0.0;
    return static_cast<double>(static_cast<__int128>(n) * sfp - static_cast<__int128>(sf) * sp) / std::sqrt(vp * vf);
  }

  Found Fine(int bx, int by, int reach) const {
    Found best = {bx, by, -1.0};
    for (int y = std::max(by - reach, ph / 2); y <= std::min(by + reach, h.height - 1 - ph / 2); ++y)
      for (int x = std::max(bx - reach, pw / 2); x <= std::min(bx + reach, h.width - 1 - pw / 2); ++x) {
        const double v = Score(plane, pat, x, y);
        if (v > best.corr) best = {x, y, v};
      }
    return best;
  }

  Found Full(int step) const {
    Found best = {h.width / 2, h.height / 2, -1.0};
    for (int y = ph / 2 + step + 2; y < h.height - ph / 2 - step - 3; y += G)
      for (int x = pw / 2 + step + 2; x < h.width - pw / 2 - step - 3; x += G) {
        const double v = Score(smooth, patSmooth, x, y);
        if (v > best.corr) best = {x, y, v};
      }
    return Fine(best.x, best.y, 4 * G);
  }

  Found Radius(const ImageRect& start, int radius, double minCorr) const {
    const int cx = start.x + pw / 2, cy = start.y + ph / 2;
    int xlo = cx - radius, xhi = cx + radius, ylo = cy - radius, yhi = cy + radius;
    if (xlo < pw / 2) xlo = pw / 2 + 2;
    if (xhi > h.width - pw / 2 - 3) xhi = h.width - pw / 2 - 3;
    if (ylo < ph / 2) ylo = ph / 2 + 2;
    if (yhi > h.height - ph / 2 - 3) yhi = h.height - ph / 2 - 3;
    auto candidate = [&](int c, int k, int lo, int hi, int* v) {
      *v = k % 2 == 0 ? c + (k / 2) * G : c - ((k + 1) / 2) * G;
      return k % 2 == 0 ? *v < hi : *v >= lo;
    };
    const double threshold = std::pow(minCorr, 1.5);
    Found best = {cx, cy, -1.0};
    for (int ky = 0; ky < 2 * radius; ++ky) {
      int y;
      if (!candidate(cy, ky, ylo, yhi, &y)) continue;
      for (int kx = 0; kx < 2 * radius; ++kx) {
        int x;
        if (!candidate(cx, kx, xlo, xhi, &x)) continue;
        const double v = Score(smooth, patSmooth, x, y);
        if (v > best.corr) best = {x, y, v};
        if (best.corr >= threshold) return Fine(best.x, best.y, 12 * G);
      }
    }
    return Fine(best.x, best.y, 12 * G);
  }
};

TEST(PatternSearch, SearchesMatchThePlainSearch) {
  struct Case {
    bool colour;
    int channel, step, scale, size, x0, y0, startDx, startDy, radius;
    double minCorr;
  } cases[] = {
      {false, 0, 2, 1, 33, 60, 40, 9, -6, 30, 0.95},  {true, 0, 2, 1, 33, 30, 50, -12, 4, 25, 0.99},
      {true, 3, 1, 1, 25, 80, 20, 3, 3, 12, 0.5},     {false, 0, 1, 2, 41, 45, 35, 20, -10, 40, 1.0},
      {true, 1, 2, 2, 33, 90, 60, 0, 0, 8, 0.0},      {false, 0, 2, 1, 17, 5, 7, 30, 25, 50, 0.97},
  };
  for (const auto& c : cases) {
    const ImageHeader h = Header(150, 110, c.colour);
    Samples frame = Texture(h, 31);
    const Samples pattern = Cut(frame, h, c.x0, c.y0, c.size, c.size);
    const Samples noise = testimg::Random(h, 32, -1500, 1500);
    for (size_t i = 0; i < frame.size(); ++i)
      frame[i] = static_cast<int16_t>(std::clamp(frame[i] + noise[i], 0, 32767));
    const ReferenceSearch ref(h, frame, pattern, c.size, c.size, c.scale, c.step, c.channel);
    const int32_t size[2] = {c.size, c.size};
    int32_t result[4];
    double corr;
    ASSERT_EQ(IMG_OK, MatchPatternFull(size, c.scale, c.step, c.channel, &h, frame.data(), pattern.data(), result,
                                       &corr, nullptr));
    const Found full = ref.Full(c.step);
    EXPECT_EQ(full.x, result[0]) << "full, cut at " << c.x0 << "," << c.y0;
    EXPECT_EQ(full.y, result[1]) << "full, cut at " << c.x0 << "," << c.y0;
    EXPECT_EQ(full.corr, corr) << "full, cut at " << c.x0 << "," << c.y0;
    const ImageRect start = {c.x0 + c.startDx, c.y0 + c.startDy, c.size, c.size};
    ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, c.radius, c.scale, c.step, c.channel, &h, frame.data(),
                                           pattern.data(), c.minCorr, result, &corr));
    const Found local = ref.Radius(start, c.radius, c.minCorr);
    EXPECT_EQ(local.x, result[0]) << "radius, cut at " << c.x0 << "," << c.y0;
    EXPECT_EQ(local.y, result[1]) << "radius, cut at " << c.x0 << "," << c.y0;
    EXPECT_EQ(local.corr, corr) << "radius, cut at " << c.x0 << "," << c.y0;
  }
}

int gRows = 0;
void CountRow() { ++gRows; }

TEST(PatternSearch, ProgressOncePerCoarseRow) {
  const ImageHeader h = Header(80, 70, false);
  const Samples frame = Texture(h, 6);
  const Samples pattern = Cut(frame, h, 20, 20, 17, 17);
  const int32_t size[2] = {17, 17};
  int32_t result[4];
  double corr;
  gRows = 0;
  ASSERT_EQ(IMG_OK, MatchPatternFull(size, 1, 2, 0, &h, frame.data(), pattern.data(), result, &corr, CountRow));
  // Rows 8 + 2 + 2 = 12 up to 70 - 8 - 2 - 3 = 57 (excluded), every 2.
  EXPECT_EQ(23, gRows);
}

TEST(PatternSearch, BadArgumentsAreRefused) {
  const ImageHeader h = Header(60, 50, true);
  const Samples frame = Texture(h, 7);
  const Samples pattern(61 * 61 * 3, 100);
  int32_t result[4] = {7, 7, 7, 7};
  double corr = -5;
  auto full = [&](int w, int ht, int scale, int step, int channel, const int16_t* f) {
    const int32_t size[2] = {w, ht};
    return MatchPatternFull(size, scale, step, channel, &h, f, pattern.data(), result, &corr, nullptr);
  };
  auto radius = [&](int w, int ht, int scale, int step) {
    const ImageRect start = {10, 10, w, ht};
    return MatchPatternInRadius(&start, 20, scale, step, 0, &h, frame.data(), pattern.data(), 0.5, result, &corr);
  };
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"31 x 31, grid 2", [&] { return full(31, 31, 1, 1, 0, frame.data()); }, IMG_BAD_PARAMETER},
      {"even width", [&] { return full(32, 33, 1, 1, 0, frame.data()); }, IMG_BAD_PARAMETER},
      {"step 0", [&] { return full(33, 33, 1, 0, 0, frame.data()); }, IMG_BAD_PARAMETER},
      {"scale 0", [&] { return radius(33, 33, 0, 2); }, IMG_BAD_PARAMETER},
      {"negative step", [&] { return radius(33, 33, 1, -2); }, IMG_BAD_PARAMETER},
      {"channel 4", [&] { return full(33, 33, 1, 2, 4, frame.data()); }, IMG_BAD_PARAMETER},
      {"pattern above the frame", [&] { return full(61, 1, 1, 1, 0, frame.data()); }, IMG_BAD_RECT},
      {"pattern above the frame, radius", [&] { return radius(57, 57, 1, 1); }, IMG_BAD_RECT},
      {"null frame", [&] { return full(33, 33, 1, 2, 0, nullptr); }, IMG_NULL_ARRAY},
  };
  for (const auto& c : cases) {
    corr = -5;
    EXPECT_EQ(c.expected, c.call()) << c.what;
    EXPECT_EQ(0.0, corr) << c.what;
  }
  EXPECT_EQ(0, result[2]);
  EXPECT_EQ(0, result[3]);
  EXPECT_EQ(IMG_OK, full(33, 33, 1, 1, 0, frame.data())) << "33 x 33 on grid 2 is fine";
}

TEST(PatternSearch, StartFarOutsideTheFrameIsHarmless) {
  const ImageHeader h = Header(60, 50, false);
  const Samples frame = Texture(h, 8);
  const Samples pattern = Cut(frame, h, 10, 10, 17, 17);
  int32_t result[4];
  double corr = -5;
  for (ImageRect start : {ImageRect{-100000, 5, 17, 17}, ImageRect{2000000000, -2000000000, 17, 17}}) {
    ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 10, 1, 1, 0, &h, frame.data(), pattern.data(), 2.0, result, &corr));
    ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 1000000000, 1, 1, 0, &h, frame.data(), pattern.data(), 2.0,
                                           result, &corr));
    EXPECT_GE(corr, -1.0);
  }
}

// Quality of a detailed disc and of its blurred copy.
struct Quality {
  double q[7];
  int32_t count = 0;
  ImageRect measured{};
  int ok = 0;
  Quality(const Samples& img, const ImageHeader& h, const ImageRect* window) {
    ok = MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &count, &measured, img.data(), &h,
                             window);
  }
};

TEST(FrameQuality, SharpFrameOutranksItsBlurredCopy) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(160, 120, colour);
    Samples sharp = Disc(h, 80, 60, 35, 20000, 800);
    const Samples detail = Texture(h, 9);
    for (size_t i = 0; i < sharp.size(); ++i)
      if (sharp[i] > 800) sharp[i] = static_cast<int16_t>(sharp[i] / 2 + detail[i] / 3);
    Samples blurred(sharp.size());
    const ImageRect all = {0, 0, 160, 120};
    SmoothRect(blurred.data(), sharp.data(), &h, &all, 8);
    const ImageRect box = {50, 30, 60, 60};
    for (const ImageRect* window : {static_cast<const ImageRect*>(nullptr), &box}) {
      const Quality a(sharp, h, window), b(blurred, h, window);
      ASSERT_EQ(1, a.ok);
      ASSERT_EQ(1, b.ok);
      EXPECT_GT(a.count, 2000) << "colour " << colour;
      EXPECT_GT(a.q[1], 1.05 * b.q[1]) << "mean gradient, colour " << colour << " window " << (window != nullptr);
      EXPECT_GE(a.q[0], a.q[1]);
      EXPECT_GT(a.q[2], b.q[2]) << "the blur takes noise away too";
      EXPECT_EQ(0.0, a.q[3]);
      EXPECT_GT(a.q[4], 0.0);
      EXPECT_GT(a.q[5], 0.0);
      EXPECT_DOUBLE_EQ(a.q[5] * h.levels / a.q[2], a.q[6]);
    }
  }
}

// The quality measures as described: the whole frame smoothed over the
// measured rectangle, every sum in row order.
Quality ReferenceQuality(const Samples& img, const ImageHeader& h, const ImageRect* window) {
  Quality out(img, h, window);   // for the rectangle and the levels; the measures are redone below
  const int W = h.width, spp = SamplesPerPixel(&h);
  const ImageRect r = out.measured;
  uint8_t* mask = nullptr;
  if (!window) {
    double rb, spread;
    ImageRect box;
    BuildObjectMask(&rb, &spread, &mask, &box, img.data(), &h, 0.1);
  }
  Samples s(img.size());
  SmoothRect(s.data(), img.data(), &h, &r, 11);
  auto at = [&](const Samples& v, int x, int y, int c) { return v[(size_t(y) * W + x) * spp + c]; };
  double maxG = 0, sumG = 0, sumN = 0;
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) {
      if (mask && mask[y * W + x] != 127) continue;
      double noise[3];
      for (int c = 0; c < spp; ++c) {
        long long sq = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const long long d = at(img, x + dx, y + dy, c) - at(s, x, y, c);
            sq += d * d;
          }
        noise[c] = std::sqrt(sq / 8.0);
      }
      double g, nz;
      if (spp == 1) {
        const long long gx = at(s, x + 1, y, 0) - at(s, x - 1, y, 0), gy = at(s, x, y + 1, 0) - at(s, x, y - 1, 0);
        g = 0.5 * std::sqrt(static_cast<double>(gx * gx + gy * gy));
        nz = noise[0];
      } else {
        auto d = [&](int c, int dx, int dy) { return at(s, x + dx, y + dy, c) - at(s, x - dx, y - dy, c); };
        const double gx = 0.299 * d(2, 1, 0) + 0.587 * d(1, 1, 0) + 0.114 * d(0, 1, 0);
        const double gy = 0.299 * d(2, 0, 1) + 0.587 * d(1, 0, 1) + 0.114 * d(0, 0, 1);
        g = std::sqrt(gx * gx + gy * gy);
        nz = 0.299 * noise[2] + 0.587 * noise[1] + 0.114 * noise[0];
      }
      maxG = std::max(maxG, g);
      sumG += g;
      sumN += nz;
      ++n;
    }
  FreeMem(&mask);
  const double spread = out.q[5] * h.levels;
  out.count = n;
  std::fill(out.q, out.q + 7, 0.0);
  out.q[4] = Quality(img, h, window).q[4];
  if (n > 0) {
    out.q[0] = maxG;
    out.q[1] = sumG / n;
    out.q[2] = sumN / n;
    out.q[5] = spread / h.levels;
    out.q[6] = out.q[2] != 0 ? spread / out.q[2] : 0;
  }
  return out;
}

TEST(FrameQuality, MeasuresMatchTheDescribedSums) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(120, 96, colour);
    Samples img = Disc(h, 55, 50, 30, 18000, 900);
    const Samples detail = Texture(h, 13, 3);
    for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<int16_t>(img[i] / 2 + detail[i] / 4);
    const ImageRect inside = {30, 20, 50, 40}, corner = {0, 0, 40, 30}, whole = {0, 0, 120, 96};
    for (const ImageRect* window : {static_cast<const ImageRect*>(nullptr), &inside, &corner, &whole}) {
      const Quality got(img, h, window), expected = ReferenceQuality(img, h, window);
      ASSERT_EQ(1, got.ok);
      EXPECT_EQ(expected.count, got.count) << "colour " << colour;
      for (int k = 0; k < 7; ++k) EXPECT_EQ(expected.q[k], got.q[k]) << "measure " << k + 1 << " colour " << colour;
    }
  }
}

TEST(FrameQuality, NothingToMeasureAndClippedWindows) {
  const ImageHeader h = Header(100, 80, false);
  const Samples dark(100 * 80, 700);
  const Quality none(dark, h, nullptr);
  ASSERT_EQ(1, none.ok);
  EXPECT_EQ(0, none.count);
  for (int k : {0, 1, 2, 5, 6}) EXPECT_EQ(0.0, none.q[k]) << "measure " << k + 1;

  const Samples img = Texture(h, 3);
  const ImageRect all = {0, 0, 100, 80};
  const Quality whole(img, h, &all);
  ASSERT_EQ(1, whole.ok);
  EXPECT_EQ(1, whole.measured.x);
  EXPECT_EQ(1, whole.measured.y);
  EXPECT_EQ(98, whole.measured.w);
  EXPECT_EQ(78, whole.measured.h);
  EXPECT_EQ(98 * 78, whole.count);

  const ImageRect outside = {90, 0, 11, 5};
  EXPECT_EQ(0, Quality(img, h, &outside).ok);
  double q[7];
  int32_t count;
  ImageRect measured;
  EXPECT_EQ(0, MeasureFrameQuality(&q[0], &q[1], nullptr, &q[3], &q[4], &q[5], &q[6], &count, &measured, img.data(),
                                   &h, nullptr));
  EXPECT_EQ(0, MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &count, &measured, nullptr, &h,
                                   nullptr));
}

}  // namespace
