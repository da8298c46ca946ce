#include "stacking/run/stacking_run.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "imagelib/primitives.h"
#include "imagelib/summation.h"
#include "imagelib/work_memory.h"
#include "stacking/frame/pretreatment.h"
#include "stacking/run/ranking.h"
#include "stacking/run/record_file.h"

namespace {

// Step texts; those with a frame number take k + 1 first.
struct StepFormat {
  const char* text;
  bool numbered;
};
constexpr StepFormat kCentringRanked = {"Zentrierung und Qualitätscheck von Bild %ld ( %1.0lf %% ) ...", true};
constexpr StepFormat kCentring = {"Zentrierung von Bild %ld ( %1.0lf %% ) ...", true};
constexpr StepFormat kFirstReference = {"Bilde 1. Vergleichsbild %1.0lf %% ...", false};
constexpr StepFormat kCompareFirst = {"Vergleiche Bild %ld ( %1.0lf %% ) mit 1. Summenbild ...", true};
constexpr StepFormat kCompareSecond = {"Vergleiche Bild %ld ( %1.0lf %% ) mit 2. Summenbild ...", true};
constexpr StepFormat kAddFinal = {"Addiere Bild %ld ( %1.0lf %% ) zum Endergebnis auf ...", true};
constexpr StepFormat kAddSecond = {"Addiere Bild %ld ( %1.0lf %% ) zum 2. Summenbild auf ...", true};
constexpr StepFormat kAddFirst = {"Addiere Bild %ld ( %1.0lf %% ) zum 1. Summenbild auf ...", true};
// The threaded run names its reference sums apart.
constexpr StepFormat kCompareProvisional = {"Vergleiche Bild %ld ( %1.0lf %% ) mit vorläufigem Summenbild ...", true};
constexpr StepFormat kAddSecondReference = {"Addiere Bild %ld ( %1.0lf %% ) zum 2. Vergleichsbild auf ...", true};
constexpr StepFormat kCompareSecondReference = {"Vergleiche Bild %ld ( %1.0lf %% ) mit 2. Vergleichsbild ...", true};

void FormatStep(const StepFormat& f, int32_t k, int32_t of, char* text, size_t capacity) {
  const double percent = of > 0 ? 100.0 * k / of : 0.0;
  if (f.numbered)
    std::snprintf(text, capacity, f.text, long(k + 1), percent);
  else
    std::snprintf(text, capacity, f.text, percent);
}

void CopyName(char* dst, const char* src) { std::snprintf(dst, kSeriesPathSize, "%s", src ? src : ""); }

class StackingRun;

// The passes over the frames; each knows its run.
class RunPass : public FramePass {
 public:
  RunPass(StackingRun* run, StepFormat format, int32_t count) : run_(run), format_(format), count_(count) {}
  void StepText(int32_t k, char* text, size_t capacity) override { FormatStep(format_, k, count_, text, capacity); }
  bool ReadsOnAnyThread() const override;

 protected:
  StackingRun* run_;
  StepFormat format_;
  int32_t count_;
};

class CentringPass : public RunPass {
 public:
  CentringPass(StackingRun* run, StepFormat format, int32_t frames, int32_t mode)
      : RunPass(run, format, frames), mode_(mode) {}
  ItemResult Read(int32_t k, WalkWorkspace* ws) override;
  ItemResult Work(int32_t k, WalkWorkspace* ws) override;

 private:
  int32_t mode_;
};

class AddingPass : public RunPass {
 public:
  AddingPass(StackingRun* run, StepFormat format, int32_t count, bool ranked)
      : RunPass(run, format, count), ranked_(ranked) {}
  ItemResult Read(int32_t k, WalkWorkspace* ws) override;
  ItemResult Work(int32_t k, WalkWorkspace* ws) override;

 private:
  bool ranked_;
};

class ComparisonPass : public RunPass {
 public:
  ComparisonPass(StackingRun* run, StepFormat format, int32_t count) : RunPass(run, format, count) {}
  ItemResult Read(int32_t k, WalkWorkspace* ws) override;
  ItemResult Work(int32_t k, WalkWorkspace* ws) override;
};

class StackingRun {
 public:
  explicit StackingRun(const StackRunInputs& in)
      : in_(in),
        s_(*in.settings),
        host_(in.services.host),
        executor_(in.executor ? in.executor : &serial_),
        threaded_(executor_->Threaded()) {}
  ~StackingRun() { Release(); }
  int Run(StackRunResult* out);

  // --- what the passes use
  FrameSeries series;
  FrameRunContext ctx;
  FrameRecord* records = nullptr;
  CalibrationFrames calibration;
  RunNotes notes;
  const StackSettings& settings() const { return s_; }
  StackHost* host() const { return host_; }
  const int16_t* reference() const { return reference_; }
  // A frame that could not be used, noted in the order of item k of the walk.
  void NoteFrame(int32_t k, const char* format, const char* name);
  // Ranked pictures are written one at a time.
  void SaveRankedPicture(const char* name, const int16_t* samples);
  bool readsConcurrently = false;
  void Fatal(const char* text);
  // Reads recorded frame k again and pre-treats it; the field to use in *field.
  ItemResult Reread(int32_t k, WalkWorkspace* ws);
  ItemResult FieldOf(int32_t k, WalkWorkspace* ws, int16_t** field);

 private:
  bool StartRecords();
  // The dark frame or flat field for the series, or null (switch then off).
  int16_t* LoadCalibration(const char* path, int32_t* on, const char* missing, const char* mismatch);
  // Keeps a calibration frame where the caller wants it, else in the run.
  const int16_t* Keep(int16_t** store, int16_t** own, int16_t* samples);
  bool AllocateSum();
  void ClearSum();
  // false after an abort or a failure (the outcome then in done_).
  bool Walk(FramePass* pass, int32_t count);
  bool CentringWalk(CentringPass* pass, int32_t frames);
  bool Adding(int32_t count, StepFormat format, bool ranked);
  bool Comparing(int32_t count, StepFormat format);
  bool Normalise(int16_t* dst, const ImageHeader* dstHeader, int32_t mode, const ImageRect* rect);
  bool NormaliseReference();
  bool QualityPasses();
  bool MakeResult(StackRunResult* out);
  void WriteRecords();
  void Release();
  int Finish(int result);

  const StackRunInputs& in_;
  StackSettings& s_;
  StackHost* host_;
  SerialExecutor serial_;
  FrameExecutor* executor_;
  bool threaded_;
  char recordPath_[kSeriesPathSize + 32] = "";
  int32_t frames_ = 0;     // F
  int32_t records_ = 0;    // R
  int32_t n1_ = 0, n2_ = 0;
  bool ranks_ = false;
  bool seriesOpen_ = false;
  RecordFileHead head_;
  ImageHeader resultHeader_{};
  int16_t* result_ = nullptr;
  int16_t* reference_ = nullptr;
  int32_t* sum_ = nullptr;
  uint32_t* count_ = nullptr;
  int16_t* dark_ = nullptr;
  int16_t* flat_ = nullptr;
  std::atomic<bool> failed_{false};
  std::mutex saving_;
  char fatal_[128] = "";
  int done_ = 0;           // the outcome once a walk stopped: 1 aborted, 0 failed
};

// --- centring pass: frame k owns record k (or 2k and 2k + 1 with fields)

void FillRecords(FrameRecord* records, int32_t k, bool interlace, const char* name) {
  const int32_t fields = interlace ? 2 : 1;
  for (int32_t f = 0; f < fields; ++f) {
    FrameRecord& r = records[k * fields + f];
    r.fieldKind = interlace ? kFirstField + f : kWholeFrame;
    r.sourceFrame = k;
    r.recordFrame = k * fields + f;
    CopyName(r.seriesName, name);
    r.matchValue = 0.0;
  }
}

ItemResult CentringPass::Read(int32_t k, WalkWorkspace* ws) {
  StackingRun& run = *run_;
  FrameReadError error = FrameReadError::kNone;
  if (ReadSeriesFrame(&run.series, run.series.firstNumber + k, run.series.sourceKind, &ws->frame, ws->currentName, 0,
                      &error))
    return ItemResult::kDone;
  if (error == FrameReadError::kMemory) {
    run.Fatal("Out of memory !");
    return ItemResult::kFailed;
  }
  const bool interlace = run.settings().Interlace == 1;
  if (run.records) FillRecords(run.records, k, interlace, ws->currentName);
  run.NoteFrame(interlace ? 2 * k : k,
                error == FrameReadError::kMismatch ? "Bild %s\npaßt nicht zu den anderen Bildern !"
                                                   : "Bild %s\nnicht ladbar !",
                ws->currentName);
  return ItemResult::kSkipped;
}

ItemResult CentringPass::Work(int32_t k, WalkWorkspace* ws) {
  StackingRun& run = *run_;
  const bool interlace = run.settings().Interlace == 1;
  const ImageHeader* h = &run.series.header;
  if (run.records) FillRecords(run.records, k, interlace, ws->currentName);
  PretreatFrame(ws->frame.samples(), h, run.settings(), run.calibration);
  int16_t* fields[2] = {ws->frame.samples(), nullptr};
  if (interlace) {
    if (!ws->field.Reserve(h) || !ws->secondField.Reserve(h)) {
      run.Fatal("Out of memory !");
      return ItemResult::kFailed;
    }
    if (SplitInterlacedFields(ws->field.samples(), ws->secondField.samples(), ws->frame.samples(), h) != IMG_OK) {
      run.Fatal("Interlaceextraction failed !");
      return ItemResult::kFailed;
    }
    fields[0] = ws->field.samples();
    fields[1] = ws->secondField.samples();
  }
  for (int32_t f = 0; f < (interlace ? 2 : 1); ++f) {
    const int32_t record = interlace ? 2 * k + f : k;
    if (!ProcessFrame(&run.ctx, &ws->work, fields[f], record, mode_, run.records)) {
      run.Fatal("Out of memory !");
      return ItemResult::kFailed;
    }
  }
  return ItemResult::kDone;
}

// --- passes over recorded frames

ItemResult StackingRun::Reread(int32_t k, WalkWorkspace* ws) {
  const FrameRecord& r = records[k];
  // A frame that was unreadable or not centred adds nothing and compares
  // with nothing.
  if (r.matchValue == 0.0) return ItemResult::kSkipped;
  CopyName(ws->currentName, r.seriesName);
  FrameReadError error = FrameReadError::kNone;
  if (!ReadSeriesFrame(&series, series.firstNumber + r.sourceFrame, kSeriesRecorded, &ws->frame, ws->currentName, 0,
                       &error)) {
    if (error == FrameReadError::kMemory) {
      Fatal("Out of memory !");
      return ItemResult::kFailed;
    }
    NoteFrame(k, "Bild %s\nnicht ladbar !", ws->currentName);
    return ItemResult::kSkipped;
  }
  return ItemResult::kDone;
}

ItemResult StackingRun::FieldOf(int32_t k, WalkWorkspace* ws, int16_t** field) {
  const ImageHeader* h = &series.header;
  PretreatFrame(ws->frame.samples(), h, s_, calibration);
  *field = ws->frame.samples();
  if (s_.Interlace == 1) {
    if (!ws->field.Reserve(h)) {
      Fatal("Out of memory !");
      return ItemResult::kFailed;
    }
    DeinterlaceImage(ws->field.samples(), ws->frame.samples(), h, records[k].fieldKind);
    *field = ws->field.samples();
  }
  return ItemResult::kDone;
}

ItemResult AddingPass::Read(int32_t k, WalkWorkspace* ws) { return run_->Reread(k, ws); }

ItemResult AddingPass::Work(int32_t k, WalkWorkspace* ws) {
  StackingRun& run = *run_;
  int16_t* field = nullptr;
  if (run.FieldOf(k, ws, &field) != ItemResult::kDone) return ItemResult::kFailed;
  if (!ProcessFrame(&run.ctx, &ws->work, field, k, kAddStored, run.records)) {
    run.Fatal("Out of memory !");
    return ItemResult::kFailed;
  }
  const StackSettings& s = run.settings();
  if (ranked_ && s.Protokoll == 1 && s.SafeSort == 1 && run.host()) {
    char name[kSeriesPathSize + 64];
    RankedPictureName(name, sizeof name, s.SortPicPath, k, run.records[k].recordFrame);
    run.SaveRankedPicture(name, field);
  }
  return ItemResult::kDone;
}

ItemResult ComparisonPass::Read(int32_t k, WalkWorkspace* ws) { return run_->Reread(k, ws); }

ItemResult ComparisonPass::Work(int32_t k, WalkWorkspace* ws) {
  StackingRun& run = *run_;
  const StackSettings& s = run.settings();
  const ImageHeader* h = &run.series.header;
  int16_t* field = nullptr;
  if (run.FieldOf(k, ws, &field) != ItemResult::kDone) return ItemResult::kFailed;
  FrameRecord& r = run.records[k];
  // The centres are in sum pixels, the field and the reference at frame size.
  const int32_t f = run.ctx.factor;
  const int32_t shift[2] = {(run.ctx.referencePoint[0] - r.centreX) / f, (run.ctx.referencePoint[1] - r.centreY) / f};
  ApplyNoiseFilterAndRgbAlignment(field, h, s, &ws->work.scratch, nullptr);
  ApplyPreAmplification(field, h, s);
  // Without a quality box (comparison only) the object mask decides.
  const bool boxed = r.qualityBox.w > 0 && r.qualityBox.h > 0;
  double correlation = 0.0;
  const ImageResult result =
      CompareWithReference(&correlation, field, run.reference(), h, 1, shift, boxed ? &r.qualityBox : nullptr);
  if (result == IMG_NO_MEMORY) {
    run.Fatal("Out of memory !");
    return ItemResult::kFailed;
  }
  r.distortion = result == IMG_OK ? correlation : 0.0;
  return ItemResult::kDone;
}

// --- the run

bool RunPass::ReadsOnAnyThread() const { return run_->readsConcurrently; }

void StackingRun::NoteFrame(int32_t k, const char* format, const char* name) {
  char text[kSeriesPathSize + 96];
  std::snprintf(text, sizeof text, format, name);
  notes.Add(text, NoteOrder(ctx.walk, k));
}

void StackingRun::SaveRankedPicture(const char* name, const int16_t* samples) {
  std::lock_guard<std::mutex> guard(saving_);
  host_->SavePicture(name, "PNG", 0, samples, &series.header);
}

void StackingRun::Fatal(const char* text) {
  bool expected = false;
  if (failed_.compare_exchange_strong(expected, true)) std::snprintf(fatal_, sizeof fatal_, "%s", text);
}

bool StackingRun::Walk(FramePass* pass, int32_t count) {
  ++ctx.walk;
  const WalkResult r = WalkFrames(executor_, pass, count, host_);
  if (r == WalkResult::kCompleted) return true;
  done_ = r == WalkResult::kAborted ? 1 : 0;
  if (r == WalkResult::kFailed && host_) host_->Message(HostMessage::kError, fatal_[0] ? fatal_ : "Out of memory !");
  return false;
}

// Frames are centred one by one until one sets the reference point, so
// that no frame is added before it exists; the rest may go in any order.
bool StackingRun::CentringWalk(CentringPass* pass, int32_t frames) {
  ++ctx.walk;
  int32_t k = 0;
  WalkResult r = WalkResult::kCompleted;
  while (k < frames && !ctx.referenceSet && r == WalkResult::kCompleted) {
    r = executor_->Run(pass, k, k + 1, host_);
    ++k;
  }
  if (r == WalkResult::kCompleted && k < frames) r = executor_->Run(pass, k, frames, host_);
  if (r == WalkResult::kCompleted) return true;
  done_ = r == WalkResult::kAborted ? 1 : 0;
  if (r == WalkResult::kFailed && host_) host_->Message(HostMessage::kError, fatal_[0] ? fatal_ : "Out of memory !");
  return false;
}

void StackingRun::ClearSum() {
  const size_t samples = PictureSamples(&ctx.workHeader);
  const size_t pixels = size_t(ctx.workHeader.width) * size_t(ctx.workHeader.height);
  std::memset(sum_, 0, samples * sizeof *sum_);
  std::memset(count_, 0, pixels * sizeof *count_);
  ctx.framesAdded = 0;
}

bool StackingRun::Adding(int32_t count, StepFormat format, bool ranked) {
  // Every adding pass starts from an empty sum: the result holds exactly
  // the frames the pass chose.
  ClearSum();
  AddingPass pass(this, format, count, ranked);
  return Walk(&pass, count);
}

bool StackingRun::Comparing(int32_t count, StepFormat format) {
  ComparisonPass pass(this, format, count);
  return Walk(&pass, count);
}

bool StackingRun::Normalise(int16_t* dst, const ImageHeader* dstHeader, int32_t mode, const ImageRect* rect) {
  if (DivideSumByCount(&ctx.workHeader, dstHeader, dst, sum_, count_, mode, rect) == IMG_OK) return true;
  if (host_) host_->Message(HostMessage::kError, "Summenbild nicht zu normieren !");
  done_ = 0;
  return false;
}

// The reference always has the frame's size.
bool StackingRun::NormaliseReference() {
  const int32_t mode = ctx.factor == 2 ? 2 : ctx.factor == 4 ? 3 : 0;
  return Normalise(reference_, &ctx.frameHeader, mode, nullptr);
}

bool StackingRun::StartRecords() {
  RecordFilePath(recordPath_, sizeof recordPath_, in_.programDirectory);
  if (!in_.fullRun) {
    if (s_.CheckMethod != kCheckAutomatic || !ReadRecordFile(recordPath_, &head_, &records)) return false;
    CopyName(in_.seriesName, head_.seriesName);
    records_ = head_.recordCount;
    s_.Interlace = head_.interlace;
    s_.Superres = head_.superres;
    s_.Subpixelfactor = head_.subpixelfactor;
    s_.SubpixPart = head_.subpixPart;
    s_.SubpixOrigsize = head_.subpixOrigsize;
    s_.ExcludeBorder = head_.excludeBorder;
    // The frames of the recorded run, whatever the settings say now.
    if (head_.fitNthPic > 0) s_.FitNthPic = head_.fitNthPic;
    if (head_.addpicsource >= 0 && head_.addpicsource <= kSeriesNumbered) s_.Addpicsource = head_.addpicsource;
    s_.CheckMethod = kCheckAutomatic;
    s_.Qualitycheck = 1;
  } else {
    std::remove(recordPath_);
    if (host_) host_->SetRestackAvailable(false);
  }
  return true;
}

int16_t* StackingRun::LoadCalibration(const char* path, int32_t* on, const char* missing, const char* mismatch) {
  if (!*on || s_.Preprocess != 1) return nullptr;
  bool wrongSize = false;
  int16_t* samples = LoadCalibrationFrame(in_.services.pictures, path, series.header, &wrongSize);
  if (!samples) {
    if (host_) host_->Message(wrongSize ? HostMessage::kError : HostMessage::kNote, wrongSize ? mismatch : missing);
    *on = 0;
  }
  return samples;
}

const int16_t* StackingRun::Keep(int16_t** store, int16_t** own, int16_t* samples) {
  if (!store) return *own = samples;
  if (*store && host_) host_->ReleaseBuffer(store);
  FreeMem(store);   // without a host
  return *store = samples;
}

bool StackingRun::AllocateSum() {
  const size_t samples = PictureSamples(&ctx.workHeader);
  const size_t pixels = size_t(ctx.workHeader.width) * size_t(ctx.workHeader.height);
  sum_ = static_cast<int32_t*>(AllocArray(samples, sizeof(int32_t)));
  count_ = static_cast<uint32_t*>(AllocArray(pixels, sizeof(uint32_t)));
  if (samples && sum_ && count_) {
    ctx.sum = sum_;
    ctx.count = count_;
    return true;
  }
  FreeMem(&sum_);
  FreeMem(&count_);
  if (host_) host_->Message(HostMessage::kNote, "Out of memory.");
  return false;
}

void StackingRun::WriteRecords() {
  std::snprintf(head_.seriesName, sizeof head_.seriesName, "%s", in_.seriesName);
  head_.recordCount = records_;
  head_.sumHeader = ctx.workHeader;
  head_.resultHeader = resultHeader_;
  head_.referenceX = ctx.referencePoint[0];
  head_.referenceY = ctx.referencePoint[1];
  head_.fitNthPic = s_.FitNthPic;
  head_.addpicsource = s_.Addpicsource;
  head_.interlace = s_.Interlace;
  head_.superres = s_.Superres;
  head_.subpixelfactor = s_.Subpixelfactor;
  head_.subpixPart = s_.SubpixPart;
  head_.subpixOrigsize = s_.SubpixOrigsize;
  head_.excludeBorder = s_.ExcludeBorder;
  // The re-stack command comes back only with a whole file.
  if (WriteRecordFile(recordPath_, head_, records) && host_) host_->SetRestackAvailable(true);
}

bool StackingRun::QualityPasses() {
  if (s_.CheckSharpness) {
    if (host_) host_->ShowStep("Sortiere nach Schärfe ...");
    ComputeSortValues(records, records_);
    if (s_.Protokoll == 1 && s_.CheckMethod == kCheckAutomatic) {
      if (host_) host_->ShowStep("Erzeuge Protokoll ...");
      if (s_.Logfile == 1) WriteProtocol(s_.Logfilename, records, records_);
    }
    SortBySharpness(records, records_);
  }
  if (!s_.CheckDistortion) {
    n1_ = CutAtRejected(records, n1_);
    return Adding(n1_, kAddFinal, true);
  }
  if (s_.CheckSharpness) {
    const int32_t cut = CutAtRejected(records, n1_);
    if (cut != n1_) {
      n1_ = cut;
      n2_ = std::min(n2_, n1_);
    }
    if (!Adding(n2_, kFirstReference, false) || !NormaliseReference() || !Comparing(n2_, kCompareFirst)) return false;
    if (host_) host_->ShowStep("Sortiere nach Verzerrung ...");
    SortByDistortion(records, n2_);
    if (!Adding(n1_, threaded_ ? kAddSecondReference : kAddSecond, false)) return false;
  } else {
    // Comparison only: the first reference is the sum of the centring pass
    // (a re-stack has none and adds every frame first).
    if (!in_.fullRun && !Adding(records_, kFirstReference, false)) return false;
    if (!NormaliseReference() || !Comparing(records_, threaded_ ? kCompareProvisional : kCompareFirst)) return false;
    if (host_) host_->ShowStep("Sortiere nach Verzerrung ...");
    SortByDistortion(records, records_);
    if (!Adding(n1_, threaded_ ? kAddSecondReference : kAddFirst, false)) return false;
  }
  // The second comparison cycle.
  if (s_.CheckSharpness) n1_ = CutAtRejected(records, n1_);
  if (!NormaliseReference() || !Comparing(n2_, threaded_ ? kCompareSecondReference : kCompareSecond)) return false;
  if (host_) host_->ShowStep(threaded_ ? "Sortiere zweites Mal nach Verzerrung ..." : "Sortiere nach Verzerrung ...");
  SortByDistortion(records, records_);
  return Adding(n1_, kAddFinal, true);
}

bool StackingRun::MakeResult(StackRunResult* out) {
  if (host_) host_->ShowStep(threaded_ ? "Erzeuge fertiges Summenbild ..." : "Erzeuge Summenbild ...");
  if (ctx.framesAdded == 0) {
    if (host_) host_->Message(HostMessage::kError, "Kein Bild konnte überlagert werden !");
    done_ = 0;
    return false;
  }
  const int32_t f = ctx.factor;
  int32_t mode = 0;
  ImageRect cut;
  const ImageRect* rect = nullptr;
  if (f > 1 && s_.SubpixPart) {
    const int32_t fw = ctx.frameHeader.width, fh = ctx.frameHeader.height;
    const int32_t sw = ctx.workHeader.width, sh = ctx.workHeader.height;
    int32_t x = std::max(ctx.referencePoint[0] - fw / 2, 0), y = std::max(ctx.referencePoint[1] - fh / 2, 0);
    if (x + fw > sw) x = sw - fw - 1;
    if (y + fh > sh) y = sh - fh - 1;
    cut = {x, y, fw, fh};
    rect = &cut;
    mode = 1;
  } else if (f > 1 && s_.SubpixOrigsize) {
    mode = f == 2 ? 2 : 3;
  }
  if (!Normalise(result_, &resultHeader_, mode, rect)) return false;
  if (s_.Safetycopy == 1 && host_) host_->SavePicture("resultcopy.fts", "fts", 0, result_, &resultHeader_);
  if (in_.targetFile) {
    const size_t n = std::strlen(in_.targetFile);
    const char* extension = in_.targetFile + (n > 4 ? n - 4 : 0);
    if (host_) host_->SavePicture(in_.targetFile, extension, 1, result_, &resultHeader_);
    FreeMem(&result_);
    return true;
  }
  out->samples = result_;
  out->header = resultHeader_;
  InitImageMetadata(&out->metadata);
  std::snprintf(out->metadata.path, sizeof out->metadata.path, "Resultatbild");
  std::snprintf(out->metadata.fileName, sizeof out->metadata.fileName, "Summenbild");
  result_ = nullptr;
  return true;
}

int StackingRun::Run(StackRunResult* out) {
  SetElapsedTimeHost(host_);
  if (!StartRecords()) return Finish(0);
  ClampStackSettings(&s_);
  // The quality mode by the mix of sharpness and comparison.
  ranks_ = RanksFrames(s_);
  if (s_.CheckMethod == kCheckAutomatic) {
    s_.CheckSharpness = s_.Checkmix >= 0.01 ? 1 : 0;
    s_.CheckDistortion = s_.Checkmix <= 0.99 ? 1 : 0;
  } else {
    s_.CheckSharpness = s_.CheckDistortion = 0;
  }
  // One of the two ways to bring an enlarged result back to the frame's size.
  if (s_.SubpixPart && s_.SubpixOrigsize) s_.SubpixOrigsize = 0;

  SeriesServices services = in_.services;
  services.fitNthPic = s_.FitNthPic;
  seriesOpen_ = true;
  if (!OpenSeries(&series, in_.seriesName, s_.Addpicsource, 1, services)) return Finish(0);
  frames_ = series.frameCount;
  readsConcurrently = SeriesReadsConcurrently(&series);
  calibration.dark = Keep(in_.darkFrame, &dark_,
                          LoadCalibration(s_.Darkcurrent, &s_.IsDarkcurrent, "Es wurde kein Dunkelstromfile angegeben.",
                                          "Dunkelstrom paßt nicht zu Bildern !"));
  calibration.flat = Keep(in_.flatField, &flat_,
                          LoadCalibration(s_.Flatfield, &s_.IsFlatfield, "Es wurde kein Flatfieldfile angegeben.",
                                          "Flatfieldfile paßt nicht zu Bildern !"));

  if (in_.fullRun) records_ = s_.Interlace == 1 ? 2 * frames_ : frames_;
  if (ranks_) {
    n1_ = int32_t(std::min<double>(records_, std::ceil(records_ * s_.CheckSelection)));
    n2_ = int32_t(std::min<double>(records_, std::ceil(records_ * std::pow(s_.CheckSelection, s_.Checkmix))));
    if (in_.fullRun) {
      records = static_cast<FrameRecord*>(AllocArray(size_t(records_) + kSpareRecords, sizeof(FrameRecord)));
      if (!records) {
        s_.CheckMethod = 0;
        s_.CheckSharpness = s_.CheckDistortion = 0;
        ranks_ = false;
      }
    }
  }

  SetupFrameRun(&ctx, &series.header, &s_);
  ctx.host = host_;
  ctx.notes = &notes;
  ctx.pattern = in_.pattern;
  if (!in_.fullRun) {
    ctx.referencePoint[0] = head_.referenceX;
    ctx.referencePoint[1] = head_.referenceY;
    ctx.referenceSet = true;
  }
  const bool enlarged = ctx.factor > 1 && !s_.SubpixPart && !s_.SubpixOrigsize;
  resultHeader_ = enlarged ? ctx.workHeader : ctx.frameHeader;
  if (!AllocateSum()) return Finish(0);

  if (in_.fullRun) {
    // Frames are added while they are centred only where that sum is used:
    // without ranking it is the result, in comparison-only mode the first
    // reference.
    const int32_t mode = ranks_ && s_.CheckSharpness ? kCentreAndMeasure : kCentreMeasureAdd;
    CentringPass pass(this, ranks_ ? kCentringRanked : kCentring, frames_, mode);
    if (!CentringWalk(&pass, frames_)) return Finish(done_);
    if (ranks_) WriteRecords();
  }

  result_ = static_cast<int16_t*>(AllocArray(PictureSamples(&resultHeader_), sizeof(int16_t)));
  if (!result_) {
    if (host_) host_->Message(HostMessage::kError, "Out of memory !");
    return Finish(0);
  }
  reference_ = ranks_ && s_.CheckDistortion ? result_ : nullptr;
  if (ranks_ && !QualityPasses()) return Finish(done_);
  if (!MakeResult(out)) return Finish(done_);
  if (records) out->records.assign(records, records + records_);
  return Finish(1);
}

void StackingRun::Release() {
  FreeMem(&sum_);
  FreeMem(&count_);
  FreeMem(&result_);
  FreeMem(&records);
  FreeMem(&dark_);
  FreeMem(&flat_);
  if (seriesOpen_) CloseSeries(&series);
  seriesOpen_ = false;
}

int StackingRun::Finish(int result) {
  if (host_) host_->ShowElapsed();
  Release();
  for (int16_t** store : {in_.darkFrame, in_.flatField}) {
    if (!store || !*store) continue;
    if (host_) host_->ReleaseBuffer(store);
    FreeMem(store);
  }
  notes.Show(host_);
  SetElapsedTimeHost(nullptr);
  // The operators' kept work memory is of no use between runs.
  ReleaseWorkMemory();
  return result;
}

}  // namespace

int RunStacking(const StackRunInputs& in, StackRunResult* out) {
  if (!in.settings || !in.seriesName || !out) return 0;
  *out = StackRunResult{};
  StackingRun run(in);
  return run.Run(out);
}
