#include "synthetic_series.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>

#include "stacking/series/native_pictures.h"

namespace synth {
namespace {

constexpr double kSky = 900.0;
constexpr double kDisc = 20000.0;
constexpr double kLimb = 0.6;   // limb darkening coefficient

// Brightness of the scene at (x, y) for a disc centred at (cx, cy).
double Scene(double x, double y, double cx, double cy, double radius, double contrast) {
  const double u = x - cx, v = y - cy;
  const double rr = (u * u + v * v) / (radius * radius);
  if (rr >= 1.0) return kSky;
  const double mu = std::sqrt(1.0 - rr);
  const double texture = 1.0 + 0.18 * std::sin(u * 0.37 + 0.6 * std::sin(v * 0.11)) * std::cos(v * 0.29) +
                         0.12 * std::sin((u + 2 * v) * 0.21) + 0.08 * std::cos(u * 0.9 - v * 0.7);
  return kSky + contrast * kDisc * (1.0 - kLimb * (1.0 - mu)) * texture;
}

std::vector<double> GaussianKernel(double sigma) {
  if (sigma <= 0.0) return {1.0};
  const int r = int(std::ceil(3.0 * sigma));
  std::vector<double> k(size_t(2 * r + 1));
  for (int i = -r; i <= r; ++i) k[size_t(i + r)] = std::exp(-0.5 * i * i / (sigma * sigma));
  const double sum = std::accumulate(k.begin(), k.end(), 0.0);
  for (double& v : k) v /= sum;
  return k;
}

// Separable blur with the edges held.
void Blur(std::vector<double>& plane, int w, int h, double sigma) {
  const std::vector<double> k = GaussianKernel(sigma);
  const int r = int(k.size() / 2);
  if (r == 0) return;
  std::vector<double> tmp(plane.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double s = 0;
      for (int i = -r; i <= r; ++i) s += k[size_t(i + r)] * plane[size_t(y) * w + std::clamp(x + i, 0, w - 1)];
      tmp[size_t(y) * w + x] = s;
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double s = 0;
      for (int i = -r; i <= r; ++i) s += k[size_t(i + r)] * tmp[size_t(std::clamp(y + i, 0, h - 1)) * w + x];
      plane[size_t(y) * w + x] = s;
    }
}

int16_t ToSample(double v, bool eightBit) {
  const double c = std::clamp(v, 0.0, 32767.0);
  if (eightBit) return int16_t(int(c / 128.0 + 0.5 > 255 ? 255 : c / 128.0 + 0.5) * 128);
  return int16_t(std::lround(c));
}

// Colour channels B, G, R as parts of the grey scene.
constexpr double kChannel[3] = {0.8, 1.0, 0.9};

}  // namespace

std::vector<int32_t> Series::BySharpness() const {
  std::vector<int32_t> order;
  for (int32_t i = 0; i < int32_t(frames.size()); ++i)
    if (i != spec.lowContrastFrame) order.push_back(i);
  std::stable_sort(order.begin(), order.end(),
                   [this](int32_t a, int32_t b) { return frames[size_t(a)].blur < frames[size_t(b)].blur; });
  return order;
}

namespace {

// The scene for a disc at (cx, cy) into samples.
void Render(const SeriesSpec& spec, double cx, double cy, double contrast, double blur, std::mt19937* noiseGen,
            std::vector<int16_t>* out) {
  const int spp = spec.colour ? 3 : 1;
  std::normal_distribution<double> noise(0.0, spec.noise);
  std::vector<double> plane(size_t(spec.width) * spec.height);
  for (int y = 0; y < spec.height; ++y)
    for (int x = 0; x < spec.width; ++x) plane[size_t(y) * spec.width + x] = Scene(x, y, cx, cy, spec.radius, contrast);
  Blur(plane, spec.width, spec.height, blur);
  out->assign(plane.size() * spp, 0);
  for (size_t i = 0; i < plane.size(); ++i)
    for (int c = 0; c < spp; ++c) {
      const double v = plane[i] * (spp == 3 ? kChannel[c] : 1.0) + (noiseGen ? noise(*noiseGen) : 0.0);
      (*out)[i * spp + c] = ToSample(v, spec.eightBit);
    }
}

ImageHeader HeaderOf(const SeriesSpec& spec) {
  ImageHeader h;
  InitImageHeader(&h);
  h.width = spec.width;
  h.height = spec.height;
  h.colourType = spec.colour ? kColourRgb : 0;
  h.sourceColour = spec.colour ? 1 : 0;
  h.sourceBits = int16_t(spec.colour ? 24 : 8);
  return h;
}

}  // namespace

Frame RenderFrame(const SeriesSpec& spec, int32_t dx, int32_t dy, double blur, uint32_t noiseSeed, double contrast) {
  Frame f;
  f.dx = dx;
  f.dy = dy;
  f.blur = blur;
  std::mt19937 gen(noiseSeed);
  Render(spec, spec.width / 2.0 + dx, spec.height / 2.0 + dy, contrast, blur, &gen, &f.samples);
  return f;
}

Series MakeSeries(const SeriesSpec& spec) {
  Series s;
  s.spec = spec;
  s.header = HeaderOf(spec);
  std::mt19937 gen(spec.seed);
  std::uniform_int_distribution<int> shift(-spec.maxShift, spec.maxShift);
  // Blurs from sharp to soft, handed out in a seeded order: three nearly
  // sharp frames, then clearly softer ones (the sharpness measure smooths
  // first, so small blurs are hard to tell apart).
  std::vector<double> blurs(size_t(spec.frames));
  for (int32_t i = 0; i < spec.frames; ++i)
    blurs[size_t(i)] = spec.blurScale * (i < 3 ? 0.3 * i : 1.0 + 0.8 * (i - 3));
  std::shuffle(blurs.begin(), blurs.end(), gen);
  Render(spec, spec.width / 2.0, spec.height / 2.0, 1.0, 0.0, nullptr, &s.truth);
  for (int32_t i = 0; i < spec.frames; ++i) {
    Frame f;
    if (i > 0) {
      f.dx = shift(gen);
      f.dy = shift(gen);
    }
    f.blur = blurs[size_t(i)];
    const double contrast = i == spec.lowContrastFrame ? 0.04 : 1.0;
    Render(spec, spec.width / 2.0 + f.dx, spec.height / 2.0 + f.dy, contrast, f.blur, &gen, &f.samples);
    s.frames.push_back(std::move(f));
  }
  return s;
}

std::vector<std::string> WriteNumbered(const Series& s, const std::string& prefix, const char* extension,
                                       int32_t firstNumber, int32_t truncated) {
  std::vector<std::string> names;
  for (size_t i = 0; i < s.frames.size(); ++i) {
    char name[1024];
    std::snprintf(name, sizeof name, "%s%03d%s", prefix.c_str(), int(firstNumber + int32_t(i)), extension);
    if (!SaveNativePicture(name, extension, s.frames[i].samples.data(), &s.header)) return {};
    names.push_back(name);
  }
  if (truncated >= 0 && size_t(truncated) < names.size()) {
    FILE* f = std::fopen(names[size_t(truncated)].c_str(), "rb");
    std::vector<char> bytes;
    if (f) {
      std::fseek(f, 0, SEEK_END);
      bytes.resize(size_t(std::ftell(f)) / 2);
      std::fseek(f, 0, SEEK_SET);
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
      std::fclose(f);
    }
    f = std::fopen(names[size_t(truncated)].c_str(), "wb");
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  return names;
}

double FittedRms(const std::vector<int16_t>& a, const int16_t* b, const ImageHeader& h, const ImageRect& r) {
  const int spp = SamplesPerPixel(&h);
  double n = 0, sb = 0, sa = 0, sbb = 0, sab = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      for (int c = 0; c < spp; ++c) {
        const size_t i = (size_t(y) * h.width + x) * spp + c;
        const double va = a[i], vb = b[i];
        n += 1;
        sa += va;
        sb += vb;
        sbb += vb * vb;
        sab += va * vb;
      }
  const double det = n * sbb - sb * sb;
  const double gain = det != 0 ? (n * sab - sa * sb) / det : 0.0;
  const double offset = (sa - gain * sb) / n;
  double err = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      for (int c = 0; c < spp; ++c) {
        const size_t i = (size_t(y) * h.width + x) * spp + c;
        const double d = a[i] - (gain * b[i] + offset);
        err += d * d;
      }
  return std::sqrt(err / n);
}

bool FindShift(const int16_t* shifted, const int16_t* source, const ImageHeader& h, int32_t range, int32_t s[2]) {
  const int32_t c = h.colourType == kColourRgb ? 3 : 1;
  for (int32_t dy = -range; dy <= range; ++dy) {
    for (int32_t dx = -range; dx <= range; ++dx) {
      bool same = true;
      for (int32_t y = 0; same && y < h.height; ++y) {
        const int32_t sy = y + dy;
        if (sy < 0 || sy >= h.height) continue;
        for (int32_t x = 0; same && x < h.width; ++x) {
          const int32_t sx = x + dx;
          if (sx < 0 || sx >= h.width) continue;
          for (int32_t k = 0; k < c; ++k)
            if (shifted[(size_t(y) * h.width + x) * c + k] != source[(size_t(sy) * h.width + sx) * c + k]) same = false;
        }
      }
      if (same) {
        s[0] = dx;
        s[1] = dy;
        return true;
      }
    }
  }
  return false;
}

}  // namespace synth
