// The printed picture: its fit into the printable area and its bands,
// against the page worked out pixel by pixel.
#include "shell/print_bands.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/shell/print_reference.h"

namespace {

TEST(PrintFit, FullWidthOrFullHeight) {
  const struct {
    int32_t areaW, areaH, imageW, imageH;
    int32_t width, height, band;
    double step;
  } cases[] = {
      {1000, 1000, 200, 100, 1000, 500, 31, 0.2},    // wider than the area: full width
      {1000, 1000, 100, 200, 500, 1000, 62, 0.2},    // taller: full height
      {1002, 1000, 100, 100, 1000, 1000, 62, 0.1},   // width rounded down to a multiple of 4
      {640, 480, 640, 480, 640, 480, 30, 1.0},       // same aspect: full width
  };
  for (const auto& c : cases) {
    PrintFit f;
    ASSERT_EQ(1, FitPrintPicture(c.areaW, c.areaH, c.imageW, c.imageH, &f));
    EXPECT_EQ(c.width, f.width);
    EXPECT_EQ(c.height, f.height);
    EXPECT_EQ(c.band, f.bandHeight);
    EXPECT_DOUBLE_EQ(c.step, f.step);
  }
}

TEST(PrintFit, RefusesTooSmallPicturesAndPages) {
  PrintFit f{};
  EXPECT_EQ(0, FitPrintPicture(1000, 1000, 3, 10, &f));
  EXPECT_EQ(0, FitPrintPicture(1000, 1000, 3, 100, &f));
  EXPECT_EQ(0, FitPrintPicture(1000, 1000, 100, 15, &f));
  EXPECT_EQ(1, FitPrintPicture(1000, 1000, 4, 16, &f));
  EXPECT_EQ(0, FitPrintPicture(3, 1000, 100, 100, &f));    // nothing left of the width
  EXPECT_EQ(0, FitPrintPicture(1000, 15, 100, 100, &f));   // bands without a row
  EXPECT_EQ(0, FitPrintPicture(0, 0, 100, 100, &f));
}

struct Picture {
  ImageHeader header;
  std::vector<int16_t> samples;
};

// A diagonal gradient, each channel its own way.
Picture Gradient(int32_t w, int32_t h, bool colour) {
  Picture p;
  InitImageHeader(&p.header);
  p.header.width = w;
  p.header.height = h;
  p.header.colourType = colour ? kColourRgb : 0;
  const int spp = colour ? 3 : 1;
  p.samples.resize(size_t(w) * h * spp);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (int ch = 0; ch < spp; ++ch)
        p.samples[(size_t(y) * w + x) * spp + ch] = int16_t((x * 32767 / w + y * 911 * (ch + 1)) % 32768);
  return p;
}

// Every band against the reference page, band rows stored bottom-up.
void ExpectBandsMatch(const Picture& p, int32_t areaW, int32_t areaH, bool colourOut) {
  PrintFit fit;
  ASSERT_EQ(1, FitPrintPicture(areaW, areaH, p.header.width, p.header.height, &fit));
  const ReferencePage page =
      ReferencePrint(p.samples.data(), &p.header, fit.width, fit.bandHeight * kPrintBands, fit.step, colourOut);
  const int bpp = colourOut ? 3 : 1;
  std::vector<uint8_t> rows(size_t(PrintBandSize(fit, colourOut)), 0xA5);
  for (int b = 0; b < kPrintBands; ++b) {
    FillPrintBand(rows.data(), fit, b, colourOut, p.samples.data(), &p.header);
    for (int32_t i = 0; i < fit.bandHeight; ++i) {
      const int32_t y = b * fit.bandHeight + i;
      const uint8_t* row = rows.data() + size_t(fit.bandHeight - 1 - i) * fit.width * bpp;
      for (int32_t x = 0; x < fit.width; ++x)
        for (int ch = 0; ch < bpp; ++ch) {
          const int expected = page.At(x, y, ch) < 0 ? 255 : page.At(x, y, ch);
          ASSERT_EQ(expected, row[size_t(x) * bpp + ch]) << "x " << x << " y " << y << " channel " << ch;
        }
    }
  }
}

TEST(PrintBands, MatchTheReferenceForBothFits) {
  ExpectBandsMatch(Gradient(37, 23, false), 300, 400, false);   // full width, enlarged
  ExpectBandsMatch(Gradient(23, 37, false), 300, 200, false);   // full height
  ExpectBandsMatch(Gradient(400, 300, true), 130, 200, true);   // reduced, colour
  ExpectBandsMatch(Gradient(33, 47, true), 240, 100, false);    // colour on a grey device
}

TEST(PrintBands, GreyOfColourIsTheLuminance) {
  Picture p = Gradient(20, 20, true);
  for (size_t i = 0; i < p.samples.size(); i += 3) {
    p.samples[i] = 100 * 128;       // blue
    p.samples[i + 1] = 200 * 128;   // green
    p.samples[i + 2] = 50 * 128;    // red
  }
  PrintFit fit;
  ASSERT_EQ(1, FitPrintPicture(64, 64, 20, 20, &fit));
  std::vector<uint8_t> rows(size_t(PrintBandSize(fit, false)));
  FillPrintBand(rows.data(), fit, 3, false, p.samples.data(), &p.header);
  const int expected = int(0.299 * 50 + 0.587 * 200 + 0.114 * 100);
  for (uint8_t v : rows) ASSERT_EQ(expected, v);
}

}  // namespace
