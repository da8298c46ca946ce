#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "imagelib/trigon.h"

namespace {

void BM_TableAtan2(benchmark::State& state) {
  const std::string path = std::string(P_tmpdir) + "/tyv_bench_trigon.tab";
  LoadTrigTables(path.c_str());
  double a = 1.5, b = -0.7, sum = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1024; ++i) sum += TableAtan2(a + i, b - i);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 1024);
  FreeTrigTables();
}
BENCHMARK(BM_TableAtan2);

}  // namespace
