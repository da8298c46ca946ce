#include "stack_dialog_fixture.h"

#include <cstdlib>
#include <cstring>

#include "shell/buffer_slots.h"

void StackDialogTest::SetUp() {
  AppTest::SetUp();
  ProgramState* ps = &gProgramState;
  savedWorkerLimit_ = ps->WorkerLimit;
  ps->Addpicsource = 2, ps->FitNthPic = 1, ps->Interlace = 0, ps->NotClose = 0;
  ps->ExcludeBorder = ps->FitImageEqualizing = ps->IsNoisefilter = ps->RGBCorrection = 0;
  ps->IsFlatfield = ps->IsDarkcurrent = ps->HotPixelList.RemoveHotPixel = 0;
  ps->FitMethod = 0, ps->Subpixelfactor = 0, ps->SubpixPart = ps->SubpixOrigsize = 0, ps->Superres = 0;
  ps->CheckMethod = 0, ps->Qualitycheck = 0, ps->Checkmix = 0.5, ps->CheckSelection = 0.5, ps->Checkarea = 0.5;
  ps->Imagetype = 0, ps->Preprocess = 0, ps->Protokoll = 0, ps->Safetycopy = 1;
  ps->OpenedFromSetup = ps->DefiningBatchJob = 0;
  ps->AbortRequested = ps->PauseRequested = 0;
  ps->WorkerLimit = 1;
  ps->SeriesPath[0] = '\0';
  DeleteFileA((std::string(ps->ProgramDirectory) + "\\tyvorn.ini").c_str());
}

void StackDialogTest::TearDown() {
  gProgramState.WorkerLimit = savedWorkerLimit_;
  gProgramState.AbortRequested = gProgramState.PauseRequested = 0;
  AppTest::TearDown();
}

std::string StackDialogTest::WriteSeries(int frames, const char* extension, int width, int height,
                                         const char* prefix) {
  synth::SeriesSpec spec;
  spec.width = width;
  spec.height = height;
  spec.radius = height / 4.0;
  spec.frames = frames;
  spec.maxShift = 6;
  spec.lowContrastFrame = -1;
  spec.eightBit = std::strcmp(extension, ".bmp") == 0;
  series_ = synth::MakeSeries(spec);
  const std::vector<std::string> names = synth::WriteNumbered(series_, dir_ / prefix, extension, 0);
  return names.empty() ? std::string() : names[0];
}

std::vector<int16_t> StackDialogTest::MeanOf(const std::vector<int>& frames) const {
  const size_t n = series_.frames[0].samples.size();
  std::vector<int16_t> mean(n);
  for (size_t i = 0; i < n; ++i) {
    int32_t sum = 0;
    for (int f : frames) sum += series_.frames[size_t(f)].samples[i];
    mean[i] = int16_t(sum / int32_t(frames.size()));
  }
  return mean;
}

std::vector<int16_t> StackDialogTest::BufferSamples(int buffer) {
  ImageHeader h;
  if (!GetSlotHeader(&h, buffer, &gProgramState) || !IsSlotLoaded(buffer, &gProgramState)) return {};
  const int16_t* p = GetSlotPixels(buffer, &gProgramState);
  return std::vector<int16_t>(p, p + size_t(h.width) * h.height * (h.colourType == kColourRgb ? 3 : 1));
}

std::string StackDialogTest::IniValue(const char* key) {
  char value[256] = "";
  GetPrivateProfileStringA("FitImage", key, "", value, sizeof value,
                           (std::string(gProgramState.ProgramDirectory) + "\\tyvorn.ini").c_str());
  return value;
}

int StackDialogTest::MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  if (a.size() != b.size() || a.empty()) return -1;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}
