#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "imagelib/contrast.h"

namespace {

// A 1280 x 960 colour frame: uniform noise (every look-up anywhere in the
// tables) or a smooth picture with some noise, as real pictures are.
struct ColourFrame {
  ImageHeader h;
  std::vector<int16_t> samples;
  explicit ColourFrame(bool smooth) {
    InitImageHeader(&h);
    h.width = 1280;
    h.height = 960;
    h.colourType = kColourRgb;
    samples.resize(size_t(h.width) * h.height * 3);
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> any(0, 32767), noise(-200, 200);
    for (int y = 0; y < h.height; ++y)
      for (int x = 0; x < h.width; ++x)
        for (int c = 0; c < 3; ++c) {
          const double v = 16000 + 12000 * std::sin(x * 0.01 + c) * std::cos(y * 0.013) + noise(gen);
          samples[(size_t(y) * h.width + x) * 3 + c] = static_cast<int16_t>(smooth ? v : any(gen));
        }
  }
};

// The frame through three channel tables, as the contrast pages do for
// every preview and for the picture itself; and through one table.
// args: in place, smooth picture
void BM_ApplyLutsRgb(benchmark::State& state) {
  ColourFrame f(state.range(1) != 0);
  std::vector<int16_t> dst(f.samples.size());
  std::vector<uint16_t> red(kFullScale), green(kFullScale), blue(kFullScale);
  BuildContrastCurveSpline(red.data(), kFullScale, CURVE_POWER, 0, 0.7, 30000, 1000, nullptr, nullptr);
  BuildContrastCurveSpline(green.data(), kFullScale, CURVE_LOGARITHMIC, 3, 1.0, 31000, 800, nullptr, nullptr);
  BuildContrastCurveSpline(blue.data(), kFullScale, CURVE_LINEAR, 0, 1.0, 29000, 1200, nullptr, nullptr);
  const ImageRect all = {0, 0, f.h.width, f.h.height};
  int16_t* out = state.range(0) ? f.samples.data() : dst.data();
  for (auto _ : state) {
    ApplyLutsRgb(&all, &f.h, f.samples.data(), out, red.data(), green.data(), blue.data());
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(f.samples.size()));
  state.SetBytesProcessed(state.iterations() * int64_t(f.samples.size() * 2 * sizeof(int16_t)));
}
BENCHMARK(BM_ApplyLutsRgb)
    ->ArgNames({"inplace", "smooth"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// args: smooth picture
void BM_ApplyLut(benchmark::State& state) {
  ColourFrame f(state.range(0) != 0);
  std::vector<int16_t> dst(f.samples.size());
  std::vector<uint16_t> lut(kFullScale);
  BuildContrastCurveSpline(lut.data(), kFullScale, CURVE_POWER, 0, 0.7, 30000, 1000, nullptr, nullptr);
  const ImageRect all = {0, 0, f.h.width, f.h.height};
  for (auto _ : state) {
    ApplyLut(&all, &f.h, f.samples.data(), dst.data(), lut.data());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(f.samples.size()));
  state.SetBytesProcessed(state.iterations() * int64_t(f.samples.size() * 2 * sizeof(int16_t)));
}
BENCHMARK(BM_ApplyLut)->ArgName("smooth")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same bytes copied: what memory speed means on this machine.
void BM_CopyFrameBaseline(benchmark::State& state) {
  ColourFrame f(false);
  std::vector<int16_t> dst(f.samples.size());
  for (auto _ : state) {
    std::copy(f.samples.begin(), f.samples.end(), dst.begin());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(f.samples.size() * 2 * sizeof(int16_t)));
}
BENCHMARK(BM_CopyFrameBaseline)->Unit(benchmark::kMillisecond);

// Building one curve: what a slider move costs before the preview repaints.
// args: curve type
void BM_BuildContrastCurveSpline(benchmark::State& state) {
  std::vector<uint16_t> lut(kFullScale);
  std::vector<uint32_t> hist(kFullScale, 3);
  const int32_t points[9] = {0, 4095, 8191, 12287, 16383, 20479, 24575, 28671, 32767};
  for (auto _ : state) {
    BuildContrastCurveSpline(lut.data(), kFullScale, static_cast<int32_t>(state.range(0)), 3, 0.7, 32000, 500, points,
                             hist.data());
    benchmark::DoNotOptimize(lut.data());
  }
}
BENCHMARK(BM_BuildContrastCurveSpline)->ArgName("type")->Arg(0)->Arg(2)->Arg(4)->Arg(7)->Unit(benchmark::kMicrosecond);

}   // namespace
