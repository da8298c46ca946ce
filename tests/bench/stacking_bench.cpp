// The per-frame work of a stacking run: pre-treatment (hot pixels, dark,
// flat, noise filter type 4), object centre, local pattern search (65 x 65,
// radius 50), quality, and adding into the sum; and the full pattern search.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "imagelib/centroid.h"
#include "imagelib/flat_dark.h"
#include "imagelib/hot_pixels.h"
#include "imagelib/noise_filters.h"
#include "imagelib/pattern_quality.h"
#include "imagelib/primitives.h"
#include "imagelib/summation.h"

namespace {

constexpr int kPattern = 65;
constexpr int kFrames = 4;   // frames of the series, each shifted a little

// A planet with surface detail on a noisy sky, its calibration frames, a
// hot-pixel list, the pattern cut from the first frame and the sum.
struct Series {
  ImageHeader h;
  int spp;
  std::vector<std::vector<int16_t>> frames;
  std::vector<int16_t> dark, flat, work, pattern;
  HotPixelList* hot = nullptr;
  std::vector<int32_t> sum;
  std::vector<uint32_t> count;
  ImageRect patternRect;

  Series(int w, int ht, bool colour) {
    InitImageHeader(&h);
    h.width = w;
    h.height = ht;
    h.colourType = colour ? kColourRgb : 0;
    spp = colour ? 3 : 1;
    const size_t n = size_t(w) * ht * spp;
    std::mt19937 gen(3);
    std::normal_distribution<double> noise(0.0, 300.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    dark.resize(n);
    flat.resize(n);
    for (size_t i = 0; i < n; ++i) {
      dark[i] = static_cast<int16_t>(200 + unit(gen) * 100);
      const double dx = double(i / spp % w) / w - 0.5, dy = double(i / spp / w) / ht - 0.5;
      flat[i] = static_cast<int16_t>(20000 * (1.0 - 0.3 * (dx * dx + dy * dy)));
    }
    for (int k = 0; k < 200; ++k) dark[size_t(unit(gen) * double(n - 1))] = 9000;
    FindHotPixels(dark.data(), &h, 5000, 5000, 5000, &hot);
    const double r = std::min(w, ht) * 0.3;
    for (int f = 0; f < kFrames; ++f) {
      const double cx = w / 2.0 + 7 * f - 10, cy = ht / 2.0 - 5 * f + 6;
      std::vector<int16_t> img(n);
      for (int y = 0; y < ht; ++y)
        for (int x = 0; x < w; ++x) {
          const double d = std::hypot(x - cx, y - cy);
          const double surface =
              d < r ? 12000 + 4000 * std::sin((x - cx) * 0.21) * std::cos((y - cy) * 0.13) + 2000 * std::sin(d * 0.5)
                    : 0.0;
          for (int c = 0; c < spp; ++c) {
            const size_t i = (size_t(y) * w + x) * spp + c;
            const double v = (1500 + surface * (1.0 - 0.1 * c)) * flat[i] / 20000.0 + dark[i] + noise(gen);
            img[i] = static_cast<int16_t>(std::clamp(v, 0.0, 32767.0));
          }
        }
      frames.push_back(std::move(img));
    }
    work.resize(n);
    sum.assign(n, 0);
    count.assign(size_t(w) * ht, 0);
    patternRect = {int(w / 2 - 10 - kPattern / 2 + 20), int(ht / 2 + 6 - kPattern / 2), kPattern, kPattern};
    pattern.resize(size_t(kPattern) * kPattern * spp);
    CopyImageRect(pattern.data(), frames[0].data(), &h, &patternRect);
  }
  ~Series() { FreeMem(&hot); }
  int64_t pixels() const { return int64_t{h.width} * h.height; }
};

// args: width, height, colour
void BM_FramePipeline(benchmark::State& state) {
  Series s(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), state.range(2) != 0);
  const ImageRect all = {0, 0, s.h.width, s.h.height};
  const ImageRect inner = {20, 20, s.h.width - 40, s.h.height - 40};
  ImageRect start = s.patternRect;
  int frame = 0;
  for (auto _ : state) {
    std::memcpy(s.work.data(), s.frames[frame].data(), s.work.size() * sizeof(int16_t));
    int16_t* px = s.work.data();
    RepairHotPixels(&s.h, px, px, HotPixelEntries(s.hot), s.hot->count);
    SubtractDark(px, px, s.dark.data(), &s.h);
    DivideFlatField(px, px, s.flat.data(), &s.h);
    ApplyNoiseFilter(&all, &s.h, px, px, 5.0, 4, 0, nullptr);
    int32_t centre[4];
    double found;
    FindObjectCentre(&inner, &s.h, px, centre, &found);
    double corr;
    MatchPatternInRadius(&start, 50, 1, 2, 0, &s.h, px, s.pattern.data(), 0.9, centre, &corr);
    start.x = centre[0] - kPattern / 2;
    start.y = centre[1] - kPattern / 2;
    double q[7];
    int32_t n;
    ImageRect measured;
    MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &n, &measured, px, &s.h, nullptr);
    const int32_t shift[2] = {s.h.width / 2 - centre[0], s.h.height / 2 - centre[1]};
    AddShiftedFrame(&all, shift, &s.h, px, &s.h, s.sum.data(), s.count.data(), 0, 1, 0);
    benchmark::DoNotOptimize(s.sum.data());
    frame = (frame + 1) % kFrames;
  }
  state.SetItemsProcessed(state.iterations() * s.pixels());
}
BENCHMARK(BM_FramePipeline)
    ->ArgNames({"w", "h", "colour"})
    ->Args({640, 480, 1})
    ->Args({1280, 960, 0})
    ->Unit(benchmark::kMillisecond);

// The stages one by one on a pre-treated frame. args: stage, width, height, colour
enum Stage { kHot, kDark, kFlat, kNoise4, kObjectCentre, kRadius, kQuality, kAdd, kStages };
const char* const kStageNames[kStages] = {"hot pixels", "dark",   "flat",    "noise filter 4",
                                          "object centre", "pattern in radius", "quality", "add"};

void BM_Stage(benchmark::State& state) {
  const auto stage = static_cast<Stage>(state.range(0));
  Series s(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)), state.range(3) != 0);
  state.SetLabel(kStageNames[stage]);
  const ImageRect all = {0, 0, s.h.width, s.h.height};
  const ImageRect inner = {20, 20, s.h.width - 40, s.h.height - 40};
  const std::vector<int16_t>& frame = s.frames[1];
  int32_t centre[4];
  double value, q[7];
  int32_t n;
  ImageRect measured;
  const int32_t shift[2] = {3, -2};
  for (auto _ : state) {
    std::memcpy(s.work.data(), frame.data(), s.work.size() * sizeof(int16_t));
    int16_t* px = s.work.data();
    switch (stage) {
      case kHot: RepairHotPixels(&s.h, px, px, HotPixelEntries(s.hot), s.hot->count); break;
      case kDark: SubtractDark(px, px, s.dark.data(), &s.h); break;
      case kFlat: DivideFlatField(px, px, s.flat.data(), &s.h); break;
      case kNoise4: ApplyNoiseFilter(&all, &s.h, px, px, 5.0, 4, 0, nullptr); break;
      case kObjectCentre: FindObjectCentre(&inner, &s.h, px, centre, &value); break;
      case kRadius:
        MatchPatternInRadius(&s.patternRect, 50, 1, 2, 0, &s.h, px, s.pattern.data(), 0.9, centre, &value);
        break;
      case kQuality:
        MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &n, &measured, px, &s.h, nullptr);
        break;
      default: AddShiftedFrame(&all, shift, &s.h, px, &s.h, s.sum.data(), s.count.data(), 0, 1, 0); break;
    }
    benchmark::DoNotOptimize(px);
  }
}
void StageArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"stage", "w", "h", "colour"});
  for (int st = 0; st < kStages; ++st) {
    b->Args({st, 640, 480, 1});
    b->Args({st, 1280, 960, 0});
  }
}
BENCHMARK(BM_Stage)->Apply(StageArgs)->Unit(benchmark::kMicrosecond);

// args: width, height, colour
void BM_MatchPatternFull(benchmark::State& state) {
  Series s(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), state.range(2) != 0);
  const int32_t size[2] = {kPattern, kPattern};
  int32_t result[4];
  double corr;
  for (auto _ : state) {
    MatchPatternFull(size, 1, 2, 0, &s.h, s.frames[2].data(), s.pattern.data(), result, &corr, nullptr);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * s.pixels());
}
BENCHMARK(BM_MatchPatternFull)
    ->ArgNames({"w", "h", "colour"})
    ->Args({640, 480, 1})
    ->Args({1280, 960, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
