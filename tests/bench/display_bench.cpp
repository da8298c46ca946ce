#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "shell/display_mapping.h"

namespace {

struct Picture {
  ImageHeader header;
  std::vector<int16_t> samples;
  std::vector<uint8_t> rows;

  Picture(int w, int h, bool colour) {
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    header.colourType = colour ? kColourRgb : 0;
    samples.resize(size_t(w) * h * (colour ? 3 : 1));
    std::mt19937 gen(11);
    std::uniform_int_distribution<int> dist(0, 32767);
    for (auto& s : samples) s = static_cast<int16_t>(dist(gen));
    rows.resize(DibRowsSize(w, h, colour));
  }
};

DisplaySettings Settings(int screenBits, int steps) {
  DisplaySettings s = {};
  s.colourSteps = steps;
  s.screenBits = screenBits;
  s.isophoteDistance = 32;
  return s;
}

// args: colour, screen bits, colour steps
void BM_MapImageRows(benchmark::State& state) {
  Picture p(1280, 960, state.range(0) != 0);
  const DisplaySettings s = Settings(int(state.range(1)), int(state.range(2)));
  for (auto _ : state) {
    MapImageRows(p.rows.data(), p.samples.data(), &p.header, s);
    benchmark::DoNotOptimize(p.rows.data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(p.samples.size()));
}
BENCHMARK(BM_MapImageRows)->Args({1, 32, 256})->Args({1, 32, 16})->Args({0, 32, 256})->Args({1, 8, 256})
    ->Unit(benchmark::kMillisecond);

void BM_ScaleImageRows(benchmark::State& state) {
  Picture p(1280, 960, true);
  std::vector<uint8_t> rows(DibRowsSize(800, 600, true));
  const DisplaySettings s = Settings(32, 256);
  for (auto _ : state) {
    ScaleImageRows(rows.data(), p.samples.data(), 800, 600, 960, 24, &p.header, s);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * 800 * 600 * 3);
}
BENCHMARK(BM_ScaleImageRows)->Unit(benchmark::kMillisecond);

void BM_DrawIsophoteRows(benchmark::State& state) {
  Picture p(1280, 960, true);
  DisplaySettings s = Settings(32, 256);
  s.isophotes = true;
  MapImageRows(p.rows.data(), p.samples.data(), &p.header, s);
  for (auto _ : state) {
    DrawIsophoteRows(p.rows.data(), 1280, 960, true, s);
    benchmark::DoNotOptimize(p.rows.data());
  }
  state.SetItemsProcessed(state.iterations() * 1280 * 960);
}
BENCHMARK(BM_DrawIsophoteRows)->Unit(benchmark::kMillisecond);

}  // namespace
