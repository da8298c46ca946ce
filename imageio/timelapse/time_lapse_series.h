// Picture series for a time-lapse player: a numbered series of pictures
// becomes "pic_0000.jpg", "pic_0001.jpg", ... in a target directory,
// optionally reduced, with in-between pictures blended from neighbouring
// sources and with a fade from and to black. The player is never started.
//
// Every source goes through the same chain: the pre-treatment of stacking
// (calibration, noise filter and RGB alignment, pre-amplification), the
// reduction, the red channel enlarged by 1 and the contrast table when one
// exists. Platform-free: pictures come through a PictureLoader, messages,
// the status line and saving through a StackHost.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"
#include "stacking/series/frame_source.h"
#include "stacking/series/series_naming.h"
#include "stacking/stack_host.h"
#include "stacking/stack_settings.h"

constexpr int32_t kMinIntpict = 0;      // in-between pictures
constexpr int32_t kMaxIntpict = 9;
constexpr int32_t kMinResizefak = 1;    // reduction factor; 1 keeps the size
constexpr int32_t kMaxResizefak = 6;

// --- arithmetic: integer divisions truncating toward zero, as written

// Fade step k of s: (a / s) x k, the division first, so step 0 is black.
inline int32_t FadeSample(int32_t a, int32_t k, int32_t s) { return (a / s) * k; }
// In-between picture k (1..m) from a to b: t / 2 + max(a, b) / 2 with
// t = a (m - k) / m + b k / m.
inline int32_t BlendSample(int32_t a, int32_t b, int32_t k, int32_t m) {
  const int32_t t = (a * (m - k)) / m + (b * k) / m;
  return t / 2 + (a > b ? a : b) / 2;
}
// Steps of a fade: 2 (Intpict + 1).
inline int32_t FadeSteps(int32_t intpict) { return 2 * (intpict + 1); }

void FadePicture(int16_t* out, const int16_t* a, size_t n, int32_t k, int32_t s);
void BlendPicture(int16_t* out, const int16_t* a, const int16_t* b, size_t n, int32_t k, int32_t m);

// Pictures written for `sources` sources.
int64_t TimeLapsePictureCount(int32_t sources, int32_t intpict, bool fadeIn, bool fadeOut);

// --- names

enum class SourceNameError {
  kNone,
  kNoDigits,        // no number before the extension
  kTooManyDigits,   // a number of more than kMaxNumberWidth digits
};

struct TimeLapseNames {
  char sourcePrefix[kSeriesPathSize];
  char extension[kSeriesPathSize];
  char outputPrefix[kSeriesPathSize];   // target directory + "pic_"
  int32_t width;                        // digits of the source's number, also of the output names
  int32_t first;                        // the source's number
};

// Splits the first source's name and forms the output prefix.
SourceNameError SplitTimeLapseNames(const char* source, const char* targetDir, TimeLapseNames* names);
// Source `index` of the series (counted from the first) and output picture
// `number` ("pic_" with the source's digit count, more when needed, ".jpg");
// an empty name when it would not fit.
void TimeLapseSourceName(char* name, const TimeLapseNames& names, int32_t index);
void TimeLapseOutputName(char* name, const TimeLapseNames& names, int32_t number);

// The output header: the source's with width and height divided by
// resizefak (integer division) when it is above 1. 0 when nothing is left.
int TimeLapseOutputHeader(const ImageHeader& source, int32_t resizefak, ImageHeader* out);

// --- the writer

struct TimeLapseRequest {
  const char* source = nullptr;          // the first picture of the series
  const char* targetDir = nullptr;       // with its trailing separator
  int32_t intpict = 3;
  int32_t resizefak = 2;
  bool fadeIn = false;
  bool fadeOut = false;
  StackSettings settings;                // the pre-treatment's switches and values
  const uint16_t* contrastLut = nullptr; // 32768 entries; null counts as the identity
};

// The series as steps, so that a caller can keep its windows alive between
// them: Open, then Step(0) .. Step(items - 1), then Close (also after a
// failure; the destructor closes too). Item 0 is the first source with the
// fade-in, items 1 .. sources - 1 the further sources, the last item the
// fade-out and "Fertig". Every failure is shown through the host once and
// frees every buffer.
class TimeLapseWriter {
 public:
  TimeLapseWriter(const TimeLapseRequest& request, PictureLoader* pictures, StackHost* host);
  ~TimeLapseWriter() { Close(); }
  TimeLapseWriter(const TimeLapseWriter&) = delete;
  TimeLapseWriter& operator=(const TimeLapseWriter&) = delete;

  // Checks the request and the names and counts the sources. 1/0.
  int Open(int32_t* items);
  // 1 goes on; 0 failed (shown, buffers freed).
  int Step(int32_t item);
  void Close();

  int32_t sources() const { return sources_; }
  int32_t written() const { return written_; }
  const ImageHeader& outputHeader() const { return out_; }

 private:
  int Fail(const char* format, const char* name = nullptr);
  // Loads source `index` and passes it through the chain into *into.
  int ReadSource(int32_t index, FrameBuffer* into);
  int LoadCalibration();
  int Write(const int16_t* samples);
  int WriteFade(int32_t from, int32_t to, int32_t step);

  TimeLapseRequest r_;
  StackSettings s_;
  PictureLoader* pictures_;
  StackHost* host_;
  TimeLapseNames names_{};
  int32_t sources_ = 0;
  int32_t written_ = 0;
  ImageHeader first_{};   // of the first source as loaded
  ImageHeader out_{};
  FrameBuffer loaded_, a_, b_, work_, scratch_;
  int16_t* dark_ = nullptr;
  int16_t* flat_ = nullptr;
};

// Open, every step, Close; the host is polled after every picture. 1 when
// the whole series was written.
int WriteTimeLapse(const TimeLapseRequest& request, PictureLoader* pictures, StackHost* host);
