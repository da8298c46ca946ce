// The stacking run as a native program, for measuring its speed: stacks a
// numbered picture series with the stacking settings of a "tyvorn.ini" and
// writes the result as FITS or PNG; or writes a synthetic series to stack.
//
//   tyvorn_stack [--ini=tyvorn.ini] [--pattern=x,y,w,h] [--threads=N] [--steps] FIRST_PICTURE RESULT.fts|RESULT.png
//   tyvorn_stack --make-series=DIR [--frames=1000] [--size=1280x960] [--format=bmp]
//
// Settings not in the file (or without a file) take the program's defaults;
// the series is always read as a numbered series. --threads=N runs the
// threaded run with N workers (0, the default: the single run). The time of
// the run and its frames per second go to standard output.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>
#include <string>

#include "imagelib/primitives.h"
#include "stacking/run/frame_pool.h"
#include "stacking/run/stacking_run.h"
#include "stacking/series/native_pictures.h"
#include "tests/stacking/synthetic_series.h"

namespace {

// --- "tyvorn.ini": the keys a run reads, in the sections they live in

enum class Kind { kLong, kBool, kDouble, kText };

struct Key {
  const char* section;
  const char* name;
  Kind kind;
  size_t offset;
};

#define KEY(section, name, kind, field) Key{section, name, kind, offsetof(StackSettings, field)}
const Key kKeys[] = {
    KEY("Basicdata", "Flatfield", Kind::kText, Flatfield),
    KEY("Basicdata", "IsFlatfield", Kind::kBool, IsFlatfield),
    KEY("Basicdata", "Darkcurrent", Kind::kText, Darkcurrent),
    KEY("Basicdata", "IsDarkcurrent", Kind::kBool, IsDarkcurrent),
    KEY("Basicdata", "IsNoisefilter", Kind::kBool, IsNoisefilter),
    KEY("Noisefilter", "Filtertype", Kind::kLong, Filtertype),
    KEY("Noisefilter", "Pseudomedian", Kind::kBool, Pseudomedian),
    KEY("Noisefilter", "Sigmaradius", Kind::kDouble, Sigmaradius),
    KEY("RGBCorr", "BlueXshift", Kind::kLong, RGBCorrBlueXshift),
    KEY("RGBCorr", "BlueYshift", Kind::kLong, RGBCorrBlueYshift),
    KEY("RGBCorr", "BlueSize", Kind::kLong, BlueSize),
    KEY("RGBCorr", "RedXshift", Kind::kLong, RGBCorrRedXshift),
    KEY("RGBCorr", "RedYshift", Kind::kLong, RGBCorrRedYshift),
    KEY("RGBCorr", "RedSize", Kind::kLong, RedSize),
    KEY("FitImage", "FitMethod", Kind::kLong, FitMethod),
    KEY("FitImage", "CheckMethod", Kind::kLong, CheckMethod),
    KEY("FitImage", "Searchradius", Kind::kLong, Searchradius),
    KEY("FitImage", "FitColor", Kind::kLong, FitColor),
    KEY("FitImage", "MinCorrelation", Kind::kDouble, MinCorrelation),
    KEY("FitImage", "ExcludeBorder", Kind::kBool, ExcludeBorder),
    KEY("FitImage", "Equalizing", Kind::kBool, FitImageEqualizing),
    KEY("FitImage", "RGBCorrection", Kind::kBool, RGBCorrection),
    KEY("FitImage", "DynamikCorrection", Kind::kBool, DynamikCorrection),
    KEY("FitImage", "CheckSharpness", Kind::kBool, CheckSharpness),
    KEY("FitImage", "CheckDistortion", Kind::kBool, CheckDistortion),
    KEY("FitImage", "CheckSelection", Kind::kDouble, CheckSelection),
    KEY("FitImage", "Safetycopy", Kind::kBool, Safetycopy),
    KEY("FitImage", "SafeSort", Kind::kBool, SafeSort),
    KEY("FitImage", "Logfile", Kind::kBool, Logfile),
    KEY("FitImage", "Logfilename", Kind::kText, Logfilename),
    KEY("FitImage", "SortPicPath", Kind::kText, SortPicPath),
    KEY("FitImage", "Checkarea", Kind::kDouble, Checkarea),
    KEY("FitImage", "Checkmix", Kind::kDouble, Checkmix),
    KEY("FitImage", "Subpixelfactor", Kind::kLong, Subpixelfactor),
    KEY("FitImage", "SubpixPart", Kind::kBool, SubpixPart),
    KEY("FitImage", "SubpixOrigsize", Kind::kBool, SubpixOrigsize),
    KEY("FitImage", "Imagetype", Kind::kLong, Imagetype),
    KEY("FitImage", "FitNthPic", Kind::kLong, FitNthPic),
    KEY("FitImage", "Turbo", Kind::kBool, Turbo),
    KEY("FitImage", "Gaintype", Kind::kLong, Gaintype),
    KEY("FitImage", "Gaingamma", Kind::kDouble, Gaingamma),
    KEY("FitImage", "Gainauto", Kind::kBool, Gainauto),
    KEY("FitImage", "Superres", Kind::kBool, Superres),
    KEY("FitImage", "Preprocess", Kind::kBool, Preprocess),
    KEY("FitImage", "Qualitycheck", Kind::kBool, Qualitycheck),
    KEY("FitImage", "Protokoll", Kind::kBool, Protokoll),
};
#undef KEY

bool SameNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// As the private-profile reader does: keys in any case, "TRUE" only as true,
// numbers that do not parse as 0.
bool ReadIni(const char* path, StackSettings* s) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line, section;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
    for (const Key& k : kKeys) {
      if (!SameNoCase(section, k.section) || !SameNoCase(name, k.name)) continue;
      char* field = reinterpret_cast<char*>(s) + k.offset;
      switch (k.kind) {
        case Kind::kLong: *reinterpret_cast<int32_t*>(field) = int32_t(std::strtol(value.c_str(), nullptr, 10)); break;
        case Kind::kBool: *reinterpret_cast<int32_t*>(field) = value == "TRUE"; break;
        case Kind::kDouble: *reinterpret_cast<double*>(field) = std::strtod(value.c_str(), nullptr); break;
        case Kind::kText: std::snprintf(field, kSettingsPathSize, "%s", value.c_str()); break;
      }
    }
  }
  return true;
}

// --- the run

// With --steps, how long each step of the run took.
class ConsoleHost : public StackHost {
 public:
  explicit ConsoleHost(bool steps) : steps_(steps), mark_(std::chrono::steady_clock::now()) {}
  ~ConsoleHost() override { ShowStep(""); }
  void ShowStep(const char* text) override {
    if (!steps_) return;
    // Frame numbers and percentages do not start a new step.
    std::string step = text;
    const size_t digit = step.find_first_of("0123456789");
    if (digit != std::string::npos && step.find("Bild") != std::string::npos) step = step.substr(0, digit);
    if (digit != std::string::npos && step.find("Vergleichsbild") != std::string::npos) step = step.substr(0, 22);
    if (step == step_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!step_.empty())
      std::printf("  %6.2f s  %s\n", std::chrono::duration<double>(now - mark_).count(), step_.c_str());
    step_ = step;
    mark_ = now;
  }
  void Message(HostMessage kind, const char* text) override {
    std::fprintf(stderr, "%s: %s\n", kind == HostMessage::kError ? "Fehlermeldung" : "Programmhinweis", text);
  }
  int SavePicture(const char* name, const char* extension, int, const int16_t* samples,
                  const ImageHeader* h) override {
    return SaveNativePicture(name, extension, samples, h);
  }

 private:
  bool steps_;
  std::string step_;
  std::chrono::steady_clock::time_point mark_;
};

int Stack(const char* ini, const char* pattern, const char* first, const char* resultName, bool steps, int threads) {
  StackSettings s;
  if (ini && !ReadIni(ini, &s)) {
    std::fprintf(stderr, "%s cannot be read\n", ini);
    return 2;
  }
  s.Addpicsource = kSeriesNumbered;
  NativePictureLoader loader;
  ConsoleHost host(steps);
  std::vector<int16_t> patternSamples;
  if (pattern) {
    ImageRect& r = s.PatternRect;
    FrameBuffer frame;
    ImageHeader h;
    if (std::sscanf(pattern, "%d,%d,%d,%d", &r.x, &r.y, &r.w, &r.h) != 4 || !loader.Load(first, &frame, &h) ||
        !RectInImage(&r, &h)) {
      std::fprintf(stderr, "no pattern %s in %s\n", pattern, first);
      return 2;
    }
    patternSamples.resize(size_t(r.w) * r.h * SamplesPerPixel(&h));
    CopyImageRect(patternSamples.data(), frame.samples(), &h, &r);
  }
  char seriesName[kSeriesPathSize];
  std::snprintf(seriesName, sizeof seriesName, "%s", first);
  const std::string program = std::filesystem::current_path().string();
  StackRunInputs in;
  in.settings = &s;
  in.seriesName = seriesName;
  in.targetFile = resultName;
  in.programDirectory = program.c_str();
  in.services.pictures = &loader;
  in.services.host = &host;
  in.pattern = patternSamples.empty() ? nullptr : patternSamples.data();
  StdWorkerThreads workers;
  PoolExecutor pool(threads, &workers);
  if (threads > 0) in.executor = &pool;
  StackRunResult result;
  const auto start = std::chrono::steady_clock::now();
  const int ok = RunStacking(in, &result);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  FreeMem(&result.samples);
  // The frames of the series, counted as the run counted them.
  const int32_t frames = CountNumberedFiles(first);
  std::printf("%s: %d frames in %.2f s, %.1f frames/s (%s)\n", ok ? "stacked" : "failed", int(frames), seconds,
              seconds > 0 ? frames / seconds : 0.0, threads > 0 ? (std::to_string(threads) + " workers").c_str() : "single");
  return ok ? 0 : 1;
}

int MakeSeries(const char* dir, int32_t frames, int32_t width, int32_t height, const char* format) {
  synth::SeriesSpec spec;
  spec.width = width;
  spec.height = height;
  spec.radius = std::min(width, height) * 0.3;
  spec.eightBit = true;
  ImageHeader h;
  InitImageHeader(&h);
  h.width = width;
  h.height = height;
  h.sourceBits = 8;
  std::filesystem::create_directories(dir);
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> shift(-15, 15);
  // One frame at a time, so the series need not fit in memory; every eighth
  // frame sharp, the others a little blurred.
  for (int32_t i = 0; i < frames; ++i) {
    const int32_t dx = i ? shift(gen) : 0, dy = i ? shift(gen) : 0;
    const synth::Frame f = synth::RenderFrame(spec, dx, dy, 0.4 * (i % 8), uint32_t(1000 + i));
    char name[64];
    std::snprintf(name, sizeof name, "frame%04d%s", int(i), format);
    const std::string path = (std::filesystem::path(dir) / name).string();
    if (!SaveNativePicture(path.c_str(), format, f.samples.data(), &h)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  std::printf("%d frames of %dx%d written to %s\n", int(frames), int(width), int(height), dir);
  return 0;
}

const char* Option(int argc, char** argv, const char* name) {
  const size_t n = std::strlen(name);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], name, n) == 0) return argv[i] + n;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* dir = Option(argc, argv, "--make-series=")) {
    const char* frames = Option(argc, argv, "--frames=");
    const char* size = Option(argc, argv, "--size=");
    const char* format = Option(argc, argv, "--format=");
    int w = 1280, h = 960;
    if (size) std::sscanf(size, "%dx%d", &w, &h);
    const std::string extension = std::string(".") + (format ? format : "bmp");
    return MakeSeries(dir, frames ? std::atoi(frames) : 1000, w, h, extension.c_str());
  }
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--", 2) != 0) files.push_back(argv[i]);
  if (files.size() != 2) {
    std::fprintf(stderr,
                 "usage: tyvorn_stack [--ini=tyvorn.ini] [--pattern=x,y,w,h] [--threads=N] [--steps] FIRST_PICTURE "
                 "RESULT.fts|.png\n"
                 "       tyvorn_stack --make-series=DIR [--frames=1000] [--size=1280x960] [--format=bmp]\n");
    return 2;
  }
  const char* threads = Option(argc, argv, "--threads=");
  return Stack(Option(argc, argv, "--ini="), Option(argc, argv, "--pattern="), files[0], files[1],
               Option(argc, argv, "--steps") != nullptr, threads ? std::atoi(threads) : 0);
}
