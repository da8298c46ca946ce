#include "imageio/timelapse/time_lapse_series.h"

#include <cstdio>
#include <cstring>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/primitives.h"
#include "stacking/frame/pretreatment.h"

namespace {

constexpr char kOutputStem[] = "pic_";
constexpr char kOutputExtension[] = ".jpg";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void FadePicture(int16_t* out, const int16_t* a, size_t n, int32_t k, int32_t s) {
  for (size_t i = 0; i < n; ++i) out[i] = int16_t(FadeSample(a[i], k, s));
}

void BlendPicture(int16_t* out, const int16_t* a, const int16_t* b, size_t n, int32_t k, int32_t m) {
  for (size_t i = 0; i < n; ++i) out[i] = int16_t(BlendSample(a[i], b[i], k, m));
}

int64_t TimeLapsePictureCount(int32_t sources, int32_t intpict, bool fadeIn, bool fadeOut) {
  if (sources < 1) return 0;
  const int64_t fades = (fadeIn ? 1 : 0) + (fadeOut ? 1 : 0);
  return fades * FadeSteps(intpict) + 1 + int64_t(sources - 1) * (intpict + 1);
}

SourceNameError SplitTimeLapseNames(const char* source, const char* targetDir, TimeLapseNames* names) {
  *names = TimeLapseNames{};
  SplitNumberedName(names->sourcePrefix, names->extension, &names->width, &names->first, source, kSeriesNumbered);
  if (names->width == 0) return SourceNameError::kNoDigits;
  // The name helper keeps the head of a longer number in the prefix; such a
  // series cannot be named digit for digit.
  const size_t prefixLength = std::strlen(names->sourcePrefix);
  if (prefixLength > 0 && IsDigit(names->sourcePrefix[prefixLength - 1])) return SourceNameError::kTooManyDigits;
  std::snprintf(names->outputPrefix, sizeof names->outputPrefix, "%s%s", targetDir ? targetDir : "", kOutputStem);
  return SourceNameError::kNone;
}

void TimeLapseSourceName(char* name, const TimeLapseNames& names, int32_t index) {
  name[0] = '\0';
  MakeNumberedName(name, names.sourcePrefix, names.extension, names.width, names.first + index);
}

void TimeLapseOutputName(char* name, const TimeLapseNames& names, int32_t number) {
  name[0] = '\0';
  MakeNumberedName(name, names.outputPrefix, kOutputExtension, names.width, number);
}

int TimeLapseOutputHeader(const ImageHeader& source, int32_t resizefak, ImageHeader* out) {
  *out = source;
  if (resizefak > 1) {
    out->width = source.width / resizefak;
    out->height = source.height / resizefak;
  }
  return out->width > 0 && out->height > 0 ? 1 : 0;
}

// --- the writer

TimeLapseWriter::TimeLapseWriter(const TimeLapseRequest& request, PictureLoader* pictures, StackHost* host)
    : r_(request), s_(request.settings), pictures_(pictures), host_(host) {}

int TimeLapseWriter::Fail(const char* format, const char* name) {
  char text[kSeriesPathSize + 160];
  std::snprintf(text, sizeof text, format, name ? name : "");
  if (host_) host_->Message(HostMessage::kError, text);
  Close();
  return 0;
}

int TimeLapseWriter::Open(int32_t* items) {
  *items = 0;
  Close();
  written_ = sources_ = 0;
  if (!r_.source || !r_.source[0]) return Fail("Es wurde kein erstes Quellbild gewählt !");
  if (!r_.targetDir || !r_.targetDir[0]) return Fail("Es wurde kein Zielverzeichnis gewählt !");
  if (r_.intpict < kMinIntpict || r_.intpict > kMaxIntpict || r_.resizefak < kMinResizefak ||
      r_.resizefak > kMaxResizefak)
    return Fail("Zwischenbilder oder Skalierungsfaktor außerhalb der Grenzen !");
  switch (SplitTimeLapseNames(r_.source, r_.targetDir, &names_)) {
    case SourceNameError::kNoDigits:
      return Fail("Bild %s\nträgt keine Nummer vor der Endung !", r_.source);
    case SourceNameError::kTooManyDigits:
      return Fail("Die Nummer von Bild %s\nhat mehr als 8 Stellen !", r_.source);
    case SourceNameError::kNone:
      break;
  }
  char last[kSeriesPathSize];
  TimeLapseOutputName(last, names_, 0);
  if (!last[0]) return Fail("Zielverzeichnis %s\nist ein zu langer Name !", r_.targetDir);
  sources_ = CountNumberedFiles(r_.source);
  if (sources_ < 1) return Fail("Bild %s\nnicht ladbar !", r_.source);
  *items = sources_ + 1;
  return 1;
}

int TimeLapseWriter::LoadCalibration() {
  struct Frame {
    int32_t* on;
    const char* path;
    int16_t** samples;
    const char* missing;
    const char* mismatch;
  };
  const Frame frames[] = {
      {&s_.IsDarkcurrent, s_.Darkcurrent, &dark_, "Es wurde kein Dunkelstromfile angegeben.",
       "Dunkelstrom paßt nicht zu Bildern !"},
      {&s_.IsFlatfield, s_.Flatfield, &flat_, "Es wurde kein Flatfieldfile angegeben.",
       "Flatfieldfile paßt nicht zu Bildern !"},
  };
  // As in a stacking run: a frame that cannot serve is noted and switched off.
  for (const Frame& f : frames) {
    if (!*f.on || s_.Preprocess != 1) continue;
    bool mismatch = false;
    *f.samples = LoadCalibrationFrame(pictures_, f.path, first_, &mismatch);
    if (*f.samples) continue;
    if (host_) host_->Message(mismatch ? HostMessage::kError : HostMessage::kNote, mismatch ? f.mismatch : f.missing);
    *f.on = 0;
  }
  return 1;
}

int TimeLapseWriter::ReadSource(int32_t index, FrameBuffer* into) {
  char name[kSeriesPathSize];
  TimeLapseSourceName(name, names_, index);
  ImageHeader h;
  InitImageHeader(&h);
  if (!name[0] || !pictures_ || !pictures_->Load(name, &loaded_, &h)) return Fail("Bild %s\nnicht ladbar !", name);
  if (index == 0) {
    first_ = h;
    if (!TimeLapseOutputHeader(h, r_.resizefak, &out_))
      return Fail("Bild %s\nist zu klein für den Skalierungsfaktor !", name);
    if (!a_.Reserve(&out_) || !b_.Reserve(&out_) || !work_.Reserve(&out_))
      return Fail("Nicht genug Speicher !");
    LoadCalibration();
  } else if (h.width != first_.width || h.height != first_.height ||
             (h.colourType == kColourRgb) != (first_.colourType == kColourRgb)) {
    // Buffer B is sized for the first picture.
    return Fail("Bild %s\npaßt nicht zu den anderen Bildern !", name);
  }

  // The same chain for every source.
  const CalibrationFrames calibration = {dark_, flat_};
  PretreatFrame(loaded_.samples(), &first_, s_, calibration);
  int32_t filterError = 0;
  if (!ApplyNoiseFilterAndRgbAlignment(loaded_.samples(), &first_, s_, &scratch_, &filterError) && filterError &&
      host_) {
    char text[64];
    std::snprintf(text, sizeof text, "Rauschfilterfehler Nr. %ld !", long(filterError));
    host_->Message(HostMessage::kError, text);
  }
  ApplyPreAmplification(loaded_.samples(), &first_, s_);

  const size_t n = PictureSamples(&out_);
  if (r_.resizefak < 2)
    std::memcpy(into->samples(), loaded_.samples(), n * sizeof(int16_t));
  else
    BinImage(into->samples(), loaded_.samples(), &first_, r_.resizefak);
  // A failed enlargement (a picture narrower than 2) leaves the red channel as it is.
  if (out_.colourType == kColourRgb) AlignColourChannels(into->samples(), into->samples(), &out_, 0, 0, 0, 0, 0, 1);
  if (r_.contrastLut) {
    const ImageRect all = {0, 0, out_.width, out_.height};
    ApplyLut(&all, &out_, into->samples(), into->samples(), r_.contrastLut);
  }
  return 1;
}

int TimeLapseWriter::Write(const int16_t* samples) {
  char name[kSeriesPathSize];
  TimeLapseOutputName(name, names_, written_);
  if (!name[0]) return Fail("Zielverzeichnis %s\nist ein zu langer Name !", r_.targetDir);
  // The save dispatcher names its own failures.
  if (!host_ || !host_->SavePicture(name, kOutputExtension, 1, samples, &out_)) {
    Close();
    return 0;
  }
  ++written_;
  host_->ShowStep(name);
  // Keeps the windows alive; the series has no abort.
  host_->Poll();
  return 1;
}

int TimeLapseWriter::WriteFade(int32_t from, int32_t to, int32_t step) {
  const int32_t s = FadeSteps(r_.intpict);
  const size_t n = PictureSamples(&out_);
  for (int32_t k = from; k != to + step; k += step) {
    FadePicture(work_.samples(), a_.samples(), n, k, s);
    if (!Write(work_.samples())) return 0;
  }
  return 1;
}

int TimeLapseWriter::Step(int32_t item) {
  const int32_t s = FadeSteps(r_.intpict);
  if (item == 0) {
    if (!ReadSource(0, &a_)) return 0;
    if (r_.fadeIn && !WriteFade(0, s - 1, 1)) return 0;
    return Write(a_.samples());
  }
  if (item < sources_) {
    if (!ReadSource(item, &b_)) return 0;
    if (r_.intpict == 0) {
      if (!Write(b_.samples())) return 0;
    } else {
      const int32_t m = r_.intpict + 1;
      const size_t n = PictureSamples(&out_);
      for (int32_t k = 1; k <= m; ++k) {
        BlendPicture(work_.samples(), a_.samples(), b_.samples(), n, k, m);
        if (!Write(work_.samples())) return 0;
      }
    }
    a_.Swap(&b_);
    return 1;
  }
  if (r_.fadeOut && !WriteFade(s - 1, 0, -1)) return 0;
  if (host_) host_->ShowStep("Fertig");
  Close();
  return 1;
}

void TimeLapseWriter::Close() {
  loaded_.Release();
  a_.Release();
  b_.Release();
  work_.Release();
  scratch_.Release();
  FreeMem(&dark_);
  FreeMem(&flat_);
}

int WriteTimeLapse(const TimeLapseRequest& request, PictureLoader* pictures, StackHost* host) {
  TimeLapseWriter writer(request, pictures, host);
  int32_t items = 0;
  if (!writer.Open(&items)) return 0;
  for (int32_t i = 0; i < items; ++i)
    if (!writer.Step(i)) return 0;
  return 1;
}
