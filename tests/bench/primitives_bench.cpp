#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "imagelib/primitives.h"
#include "imagelib/resample.h"
#include "imagelib/statistics.h"

namespace {

struct Frame {
  ImageHeader header;
  std::vector<int16_t> samples;

  Frame(int w, int h, bool colour) {
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    header.colourType = colour ? kColourRgb : 0;
    samples.resize(size_t(w) * h * (colour ? 3 : 1));
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> dist(0, 32767);
    for (auto& s : samples) s = static_cast<int16_t>(dist(gen));
  }
  int64_t count() const { return static_cast<int64_t>(samples.size()); }
};

// args: width, height, colour, radius
void BM_SmoothRect(benchmark::State& state) {
  Frame f(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), state.range(2) != 0);
  std::vector<int16_t> out(f.samples.size());
  ImageRect all = {0, 0, f.header.width, f.header.height};
  for (auto _ : state) {
    SmoothRect(out.data(), f.samples.data(), &f.header, &all, static_cast<int32_t>(state.range(3)));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * f.count());
}
BENCHMARK(BM_SmoothRect)
    ->ArgNames({"w", "h", "colour", "radius"})
    ->Args({640, 480, 0, 11})
    ->Args({1280, 960, 1, 11})
    ->Args({640, 480, 0, 1})
    ->Args({640, 480, 0, 32})
    ->Unit(benchmark::kMillisecond);

// args: mode; 10 degrees, scale 1.5, 2000 x 1500 grey into the same size
void BM_ResampleImage(benchmark::State& state) {
  Frame f(2000, 1500, false);
  std::vector<int16_t> out(f.samples.size());
  const double angle = 10.0 * 3.14159265358979323846 / 180.0;
  for (auto _ : state) {
    ResampleImage(&f.header, &f.header, f.samples.data(), out.data(), 1000, 750, angle, 1.5,
                  static_cast<int32_t>(state.range(0)));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * f.count());
}
BENCHMARK(BM_ResampleImage)->ArgName("mode")->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// args: colour
void BM_ComputeRegionHistogram(benchmark::State& state) {
  Frame f(1280, 960, state.range(0) != 0);
  std::vector<uint32_t> hist(kFullScale);
  ImageRect all = {0, 0, 1280, 960};
  for (auto _ : state) {
    ComputeRegionHistogram(&all, &f.header, f.samples.data(), hist.data());
    benchmark::DoNotOptimize(hist.data());
  }
  state.SetItemsProcessed(state.iterations() * f.count());
}
BENCHMARK(BM_ComputeRegionHistogram)->ArgName("colour")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
