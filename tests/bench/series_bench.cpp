// Reading and pre-treating the frames of a 1280 x 960 grey series, as BMP,
// PNG and FITS files: the frame series reader with the native readers, then
// the pre-treatment with every calibration stage on (hot pixels, dark frame,
// flat field) or with the program's defaults (nothing to do but read).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "imagelib/hot_pixels.h"
#include "stacking/frame/pretreatment.h"
#include "stacking/series/native_pictures.h"
#include "stacking/series/series_reader.h"

namespace {

constexpr int kW = 1280, kH = 960, kFrames = 8;
const char* const kExtensions[] = {".bmp", ".png", ".fts"};

class QuietHost : public StackHost {
 public:
  void Message(HostMessage, const char*) override {}
};

// The series files, written once per format into a folder of the process.
struct SeriesFiles {
  ImageHeader h;
  std::filesystem::path dir;
  std::vector<int16_t> dark, flat;
  HotPixelSnapshot hot;

  SeriesFiles() {
    InitImageHeader(&h);
    h.width = kW;
    h.height = kH;
    dir = std::filesystem::temp_directory_path() / ("tyv_series_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::mt19937 gen(1);
    std::normal_distribution<double> noise(0, 300);
    std::vector<int16_t> px(size_t(kW) * kH);
    for (int f = 0; f < kFrames; ++f) {
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const double d = std::hypot(x - kW / 2 - 3 * f, y - kH / 2 + 2 * f);
          const double v = d < 300 ? 16000 + 3000 * std::sin(x * 0.1) * std::cos(y * 0.07) : 1200;
          px[size_t(y) * kW + x] = int16_t(std::clamp(v + noise(gen), 0.0, 32767.0)) & ~127;
        }
      for (const char* ext : kExtensions) SaveNativePicture(Name(ext, f).c_str(), ext, px.data(), &h);
    }
    dark.assign(px.size(), 0);
    flat.assign(px.size(), 0);
    for (size_t i = 0; i < px.size(); ++i) {
      dark[i] = int16_t(200 + i % 97);
      flat[i] = int16_t(20000 - int(i % 1280));
    }
    for (int k = 0; k < 400; ++k) dark[size_t(gen() % px.size())] = 9000;
    HotPixelList* list = nullptr;
    FindHotPixels(dark.data(), &h, 5000, 5000, 5000, &list);
    hot.on = true;
    hot.width = kW;
    hot.height = kH;
    const uint16_t* e = &HotPixelEntries(list)[0][0];
    hot.entries.assign(e, e + 4 * list->count);
    FreeMem(&list);
  }
  ~SeriesFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::string Name(const char* ext, int f) const {
    char name[32];
    std::snprintf(name, sizeof name, "frame%03d%s", f, ext);
    return (dir / name).string();
  }
};

const SeriesFiles& Files() {
  static const SeriesFiles files;
  return files;
}

// args: format (0 BMP, 1 PNG, 2 FITS), calibration on
void BM_ReadAndPretreat(benchmark::State& state) {
  const SeriesFiles& files = Files();
  const char* ext = kExtensions[state.range(0)];
  NativePictureLoader loader;
  QuietHost host;
  SeriesServices services;
  services.pictures = &loader;
  services.host = &host;
  FrameSeries series;
  if (!OpenSeries(&series, files.Name(ext, 0).c_str(), kSeriesNumbered, 0, services)) {
    state.SkipWithError("series not readable");
    return;
  }
  StackSettings s;
  CalibrationFrames cal;
  if (state.range(1)) {
    s.hotPixels = files.hot;
    s.IsDarkcurrent = s.IsFlatfield = 1;
    cal = {files.dark.data(), files.flat.data()};
  }
  FrameBuffer frame, scratch;
  char name[kSeriesPathSize];
  int32_t i = 0;
  for (auto _ : state) {
    if (!ReadSeriesFrame(&series, series.firstNumber + i, kSeriesNumbered, &frame, name, 0)) {
      state.SkipWithError("frame not readable");
      break;
    }
    PretreatFrame(frame.samples(), &series.header, s, cal);
    ApplyNoiseFilterAndRgbAlignment(frame.samples(), &series.header, s, &scratch, nullptr);
    ApplyPreAmplification(frame.samples(), &series.header, s);
    benchmark::DoNotOptimize(frame.samples());
    i = (i + 1) % series.frameCount;
  }
  CloseSeries(&series);
  state.SetLabel(std::string(ext + 1) + (state.range(1) ? " calibrated" : " defaults"));
}
BENCHMARK(BM_ReadAndPretreat)
    ->ArgNames({"format", "calibration"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
