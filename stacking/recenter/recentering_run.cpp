#include "stacking/recenter/recentering_run.h"

#include <cstdio>
#include <cstring>

#include "imagelib/primitives.h"
#include "imagelib/summation.h"
#include "imagelib/work_memory.h"
#include "stacking/frame/frame_centring.h"
#include "stacking/frame/pretreatment.h"
#include "stacking/recenter/recenter_naming.h"
#include "stacking/run/frame_walk.h"
#include "stacking/run_notes.h"

namespace {

constexpr char kOverwriteText[] =
    "Die rezentrierten Bilder würden die Rohbilder überschreiben !\n"
    "Bitte ein anderes Verzeichnis oder Format wählen.";

class RecenterRun : public FramePass {
 public:
  explicit RecenterRun(const RecenterRunInputs& in) : in_(in), s_(*in.settings), host_(in.services.host) {}
  ~RecenterRun() override { Release(); }
  int Run();

  void StepText(int32_t k, char* text, size_t capacity) override {
    const int32_t i = group_ > 1 ? k - k % group_ : k;
    std::snprintf(text, capacity, "Rezentrierung von Bild %ld ( %1.0lf %% ) ...", long(i + 1),
                  frames_ > 0 ? 100.0 * i / frames_ : 0.0);
  }
  ItemResult Read(int32_t k, WalkWorkspace* ws) override;
  ItemResult Work(int32_t k, WalkWorkspace* ws) override;

 private:
  int16_t* LoadCalibration(const char* path, int32_t* on, const char* missing, const char* mismatch);
  void Keep(int16_t** store, int16_t* samples, const int16_t** use);
  bool Fail(const char* text);
  // The fields of the frame in ws after its pre-treatment; false on failure.
  bool Fields(WalkWorkspace* ws, int16_t* fields[2]);
  // Centre of one field; false when it is not to be used.
  bool Centre(WalkWorkspace* ws, int16_t* field, int32_t k, int32_t centre[2]);
  bool Save(const char* source, int32_t number, int32_t outputs, int32_t field, const int16_t* samples);
  bool SaveGroup(int32_t g, const char* lastName);
  void Release();

  const RecenterRunInputs& in_;
  StackSettings s_;
  StackHost* host_;
  FrameSeries series_;
  bool seriesOpen_ = false;
  FrameRunContext ctx_;
  CalibrationFrames calibration_;
  RunNotes notes_;
  int32_t frames_ = 0;
  int32_t group_ = 1;
  bool video_ = false;
  bool failed_ = false;
  int16_t* shifted_ = nullptr;      // one output picture
  int32_t* sum_ = nullptr;          // groups: sum and count
  uint32_t* count_ = nullptr;
  int32_t added_ = 0;               // fields added into the group's sum
  int16_t* dark_ = nullptr;         // calibration kept without a store of the caller
  int16_t* flat_ = nullptr;
};

bool RecenterRun::Fail(const char* text) {
  if (host_ && text) host_->Message(HostMessage::kError, text);
  failed_ = true;
  return false;
}

int16_t* RecenterRun::LoadCalibration(const char* path, int32_t* on, const char* missing, const char* mismatch) {
  if (!*on) return nullptr;
  FrameBuffer frame;
  ImageHeader h;
  InitImageHeader(&h);
  if (!in_.services.pictures || !in_.services.pictures->Load(path, &frame, &h)) {
    if (host_) host_->Message(HostMessage::kNote, missing);
    *on = 0;
    return nullptr;
  }
  const ImageHeader& f = series_.header;
  if (h.width != f.width || h.height != f.height || (h.colourType == kColourRgb) != (f.colourType == kColourRgb)) {
    if (host_) host_->Message(HostMessage::kError, mismatch);
    *on = 0;
    return nullptr;
  }
  int16_t* samples = frame.samples();
  frame.Adopt(nullptr, 0);
  return samples;
}

void RecenterRun::Keep(int16_t** store, int16_t* samples, const int16_t** use) {
  *use = samples;
  if (!store) {
    (use == &calibration_.dark ? dark_ : flat_) = samples;
    return;
  }
  if (*store && host_) host_->ReleaseBuffer(store);
  FreeMem(store);
  *store = samples;
}

ItemResult RecenterRun::Read(int32_t k, WalkWorkspace* ws) {
  FrameReadError error = FrameReadError::kNone;
  // The reader names a frame of the first output itself, which ends the
  // run; later ones go into one note.
  if (ReadSeriesFrame(&series_, series_.firstNumber + k, series_.sourceKind, &ws->frame, ws->currentName,
                      k < group_, &error))
    return ItemResult::kDone;
  if (error == FrameReadError::kMemory) {
    Fail("Out of memory !");
    return ItemResult::kFailed;
  }
  if (k < group_) {
    failed_ = true;
    return ItemResult::kFailed;
  }
  char text[kSeriesPathSize + 64];
  std::snprintf(text, sizeof text, "Bild %s\nnicht ladbar !", ws->currentName);
  notes_.Add(text, k);
  // The group still ends where it should.
  if (group_ > 1 && (k % group_ == group_ - 1 || k == frames_ - 1) && !SaveGroup(k / group_, ws->currentName))
    return ItemResult::kFailed;
  return ItemResult::kSkipped;
}

bool RecenterRun::Fields(WalkWorkspace* ws, int16_t* fields[2]) {
  const ImageHeader* h = &series_.header;
  fields[0] = ws->frame.samples();
  fields[1] = nullptr;
  if (s_.Interlace != 1) return true;
  if (!ws->field.Reserve(h) || !ws->secondField.Reserve(h)) return Fail("Out of memory !");
  if (SplitInterlacedFields(ws->field.samples(), ws->secondField.samples(), ws->frame.samples(), h) != IMG_OK)
    return Fail("Interlaceextraction failed !");
  fields[0] = ws->field.samples();
  fields[1] = ws->secondField.samples();
  return true;
}

bool RecenterRun::Centre(WalkWorkspace* ws, int16_t* field, int32_t k, int32_t centre[2]) {
  const ImageHeader* h = &series_.header;
  ApplyNoiseFilterAndRgbAlignment(field, h, s_, &ws->work.scratch, nullptr);
  ApplyPreAmplification(field, h, s_);
  int32_t found[4] = {0, 0, 0, 0};
  double match = 0.0;
  const char* failure = nullptr;
  if (!CentreFrame(ctx_, &ws->work, field, found, &match, &failure) && failure) notes_.Add(failure, k);
  // A field that could not be centred is left out; the first one that was
  // fixes the reference point (the pattern methods have theirs already).
  if (match == 0.0) return false;
  if (!ctx_.referenceSet) {
    ctx_.referencePoint[0] = found[0];
    ctx_.referencePoint[1] = found[1];
    ctx_.referenceSet = true;
  }
  centre[0] = found[0];
  centre[1] = found[1];
  return true;
}

bool RecenterRun::Save(const char* source, int32_t number, int32_t outputs, int32_t field, const int16_t* samples) {
  char name[kSeriesPathSize];
  if (!MakeRecenterName(name, sizeof name, in_.outputDirectory, source, video_, number, outputs, field,
                        in_.extension))
    return Fail("Dateiname zu lang !");
  if (!host_ || !host_->SavePicture(name, in_.extension, 1, samples, &series_.header)) {
    failed_ = true;   // the writer has said why
    return false;
  }
  return true;
}

bool RecenterRun::SaveGroup(int32_t g, const char* lastName) {
  const ImageHeader* h = &series_.header;
  bool ok = true;
  // A group none of whose frames could be used leaves a gap.
  if (added_ > 0) {
    if (DivideSumByCount(h, h, shifted_, sum_, count_, 0, nullptr) != IMG_OK)
      return Fail("Summenbild nicht zu normieren !");
    ok = Save(video_ ? in_.seriesName : lastName, g, frames_ / group_, -1, shifted_);
  }
  std::memset(sum_, 0, PictureSamples(h) * sizeof *sum_);
  std::memset(count_, 0, size_t(h->width) * size_t(h->height) * sizeof *count_);
  added_ = 0;
  return ok;
}

ItemResult RecenterRun::Work(int32_t k, WalkWorkspace* ws) {
  const ImageHeader* h = &series_.header;
  if (group_ == 1 && s_.DynamikCorrection) AddPedestal(ws->frame.samples(), h, k, frames_);
  PretreatFrame(ws->frame.samples(), h, s_, calibration_);
  int16_t* fields[2];
  if (!Fields(ws, fields)) return ItemResult::kFailed;
  const int32_t count = s_.Interlace == 1 ? 2 : 1;
  for (int32_t j = 0; j < count; ++j) {
    int32_t centre[2];
    if (!Centre(ws, fields[j], k, centre)) continue;
    if (group_ == 1) {
      // dst(x) = src(x + s): the centre moves onto the reference point.
      const int32_t shift[2] = {centre[0] - ctx_.referencePoint[0], centre[1] - ctx_.referencePoint[1]};
      if (ShiftImage(shifted_, fields[j], h, shift) != IMG_OK) {
        Fail("Out of memory !");
        return ItemResult::kFailed;
      }
      const char* source = video_ ? in_.seriesName : ws->currentName;
      const int32_t number = count == 2 ? 2 * k + j : k;
      const int32_t field = !video_ && count == 2 ? j : -1;
      if (!Save(source, number, count * frames_, field, shifted_)) return ItemResult::kFailed;
      continue;
    }
    const int32_t shift[2] = {ctx_.referencePoint[0] - centre[0], ctx_.referencePoint[1] - centre[1]};
    const ImageRect window =
        s_.ExcludeBorder == 1 ? ImageRect{20, 20, h->width - 40, h->height - 40} : ImageRect{0, 0, h->width, h->height};
    if (window.w > 0 && window.h > 0 &&
        AddShiftedFrame(&window, shift, h, fields[j], h, sum_, count_, k % group_, 0, s_.Imagetype) == IMG_OK)
      ++added_;
  }
  if (group_ > 1 && (k % group_ == group_ - 1 || k == frames_ - 1) && !SaveGroup(k / group_, ws->currentName))
    return ItemResult::kFailed;
  return ItemResult::kDone;
}

void RecenterRun::Release() {
  FreeMem(&shifted_);
  FreeMem(&sum_);
  FreeMem(&count_);
  FreeMem(&dark_);
  FreeMem(&flat_);
  if (seriesOpen_) CloseSeries(&series_);
  seriesOpen_ = false;
}

int RecenterRun::Run() {
  // Whole pixels on the frame's own grid: no enlargement, no quality.
  s_.CheckSharpness = s_.CheckDistortion = 0;
  s_.Subpixelfactor = 0;
  s_.Superres = 0;
  ClampStackSettings(&s_);
  group_ = RecenterGroupSize(in_.addNPics);
  SeriesServices services = in_.services;
  services.fitNthPic = s_.FitNthPic;
  seriesOpen_ = true;
  if (!OpenSeries(&series_, in_.seriesName, s_.Addpicsource, 1, services)) return 0;
  frames_ = series_.frameCount;
  video_ = IsVideoName(in_.seriesName);

  // Raw frames stay as they are: no picture may land on one of them.
  char first[kSeriesPathSize];
  const int32_t field = !video_ && s_.Interlace == 1 && group_ == 1 ? 0 : -1;
  if (MakeRecenterName(first, sizeof first, in_.outputDirectory, video_ ? in_.seriesName : series_.currentName,
                       video_, 0, frames_, field,
                       in_.extension) &&
      OverwritesSeriesInput(first, in_.seriesName, s_.Addpicsource)) {
    Fail(kOverwriteText);
    return 0;
  }

  Keep(in_.darkFrame,
       LoadCalibration(s_.Darkcurrent, &s_.IsDarkcurrent, "Es wurde kein Dunkelstromfile angegeben.",
                       "Dunkelstrom paßt nicht zu Bildern !"),
       &calibration_.dark);
  Keep(in_.flatField,
       LoadCalibration(s_.Flatfield, &s_.IsFlatfield, "Es wurde kein Flatfieldfile angegeben.",
                       "Flatfieldfile paßt nicht zu Bildern !"),
       &calibration_.flat);
  in_.settings->IsDarkcurrent = s_.IsDarkcurrent;
  in_.settings->IsFlatfield = s_.IsFlatfield;

  SetupFrameRun(&ctx_, &series_.header, &s_);
  ctx_.host = host_;
  ctx_.notes = &notes_;
  ctx_.pattern = in_.pattern;
  const ImageHeader* h = &series_.header;
  shifted_ = static_cast<int16_t*>(AllocArray(PictureSamples(h), sizeof(int16_t)));
  if (group_ > 1) {
    sum_ = static_cast<int32_t*>(AllocArray(PictureSamples(h), sizeof(int32_t)));
    count_ = static_cast<uint32_t*>(AllocArray(size_t(h->width) * size_t(h->height), sizeof(uint32_t)));
  }
  if (!shifted_ || (group_ > 1 && (!sum_ || !count_))) {
    Fail("Out of memory !");
    return 0;
  }

  SerialExecutor executor;
  const WalkResult r = WalkFrames(&executor, this, frames_, host_);
  if (r == WalkResult::kCompleted && host_) host_->ShowStep("Fertig ...");
  notes_.Show(host_);
  return r == WalkResult::kAborted ? 1 : r == WalkResult::kCompleted && !failed_ ? 1 : 0;
}

}  // namespace

int RunRecenteringSeries(const RecenterRunInputs& in) {
  if (!in.settings || !in.seriesName) return 0;
  int result = 0;
  StackHost* host = in.services.host;
  {
    RecenterRun run(in);
    SetElapsedTimeHost(host);
    result = run.Run();
    if (host) host->ShowElapsed();
  }
  for (int16_t** store : {in.darkFrame, in.flatField}) {
    if (!store || !*store) continue;
    if (host) host->ReleaseBuffer(store);
    FreeMem(store);
  }
  SetElapsedTimeHost(nullptr);
  ReleaseWorkMemory();
  return result;
}
