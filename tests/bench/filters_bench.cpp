// The sharpening filter on a whole 1024 x 768 picture with the disc sizes a
// user picks most, and the FFT low-pass of the calibration estimate.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "imagelib/convolution.h"
#include "imagelib/fft_filters.h"

namespace {

struct Picture {
  ImageHeader h;
  std::vector<int16_t> src, dst;

  Picture(int w, int ht, bool colour) {
    InitImageHeader(&h);
    h.width = w;
    h.height = ht;
    h.colourType = colour ? kColourRgb : 0;
    const int spp = colour ? 3 : 1;
    src.resize(size_t(w) * ht * spp);
    dst.resize(src.size());
    std::mt19937 gen(5);
    std::normal_distribution<double> noise(0.0, 200.0);
    const double r = ht * 0.35;
    for (int y = 0; y < ht; ++y)
      for (int x = 0; x < w; ++x) {
        const double d = std::hypot(x - w / 2.0, y - ht / 2.0);
        const double v = d < r ? 16000 + 4000 * std::sin(x * 0.05) * std::cos(y * 0.07) : 1500;
        for (int c = 0; c < spp; ++c) src[(size_t(y) * w + x) * spp + c] = int16_t(std::clamp(v + noise(gen), 0.0, 32767.0));
      }
  }
};

// args: N, kernel type, colour, adaptive
void BM_ApplyFilterKernel(benchmark::State& state) {
  Picture p(1024, 768, state.range(2) != 0);
  const ImageRect r = {0, 0, 1024, 768};
  for (auto _ : state) {
    ImageResult e = ApplyFilterKernel(&r, &p.h, p.src.data(), p.dst.data(), int32_t(state.range(0)), 1, 1, 3.0,
                                      int32_t(state.range(3)), 0, 0.0, int32_t(state.range(1)), kCentreCellShape, 1,
                                      nullptr);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_ApplyFilterKernel)
    ->ArgNames({"N", "type", "colour", "adaptive"})
    ->Args({15, KERNEL_GAUSS, 0, 0})
    ->Args({31, KERNEL_GAUSS, 0, 0})
    ->Args({61, KERNEL_GAUSS, 0, 0})
    ->Args({15, KERNEL_GAUSS, 1, 0})
    ->Args({31, KERNEL_GAUSS, 1, 0})
    ->Args({15, KERNEL_FLAT, 0, 0})
    ->Args({31, KERNEL_FLAT, 0, 0})
    ->Args({31, KERNEL_DISTANCE, 0, 0})
    ->Args({31, KERNEL_GAUSS, 0, 1})
    ->Args({15, KERNEL_MEDIAN, 0, 0})
    ->Args({31, KERNEL_MEDIAN, 0, 0})
    ->Unit(benchmark::kMillisecond);

// args: colour
void BM_FftFilterImage(benchmark::State& state) {
  Picture p(1024, 768, state.range(0) != 0);
  for (auto _ : state) {
    ImageResult e = FftFilterImage(p.dst.data(), p.src.data(), &p.h, 1.01, nullptr);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_FftFilterImage)->ArgNames({"colour"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
