#include "editing/calibration/calibration_steps.h"

#include <cstdio>
#include <cstring>

#include "imageio/picture_files.h"
#include "imageio/picture_formats.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/message_box.h"

int ReadLightPicture(const ProgramState* ps, LightPicture* light) {
  light->samples = nullptr;
  if (!IsSlotLoaded(ps->TargetBuffer, ps) || !GetSlotHeader(&light->header, ps->TargetBuffer, ps)) return 0;
  light->samples = GetSlotPixels(ps->TargetBuffer, ps);
  return light->samples != nullptr;
}

bool OpenCalibrationView(CalibrationView* view, const DialogFrameSpec* spec, const PreviewPaneSpec* pane,
                         int32_t* reduction, HWND dialog, int cancelId, int16_t** const* blocks) {
  ProgramState* ps = &gProgramState;
  const FrameSource source = OpenDialogFrame(&view->frame, spec, dialog);
  ps->ProgressWindow = dialog;
  InitPreviewPane(&view->pane, pane, dialog, reduction);
  DialogFrameOwnPane(&view->frame, &view->pane);
  for (; *blocks; ++blocks) DialogFrameOwnBlock(&view->frame, *blocks);
  view->shown = nullptr;
  view->havePicture = source == FrameSource::kOk && ReadLightPicture(ps, &view->light);
  if (!view->havePicture) {
    view->light = LightPicture{};
    SetFocus(GetDlgItem(dialog, cancelId));
    return false;
  }
  ShowBlock(view, nullptr);
  return true;
}

const int16_t* ShownBlock(const CalibrationView* view) { return view->shown ? *view->shown : nullptr; }

void ShowBlock(CalibrationView* view, int16_t* const* block) {
  view->shown = block;
  const SIZE size = {view->light.header.width, view->light.header.height};
  SetPreviewPicture(&view->pane, &size);
  RefreshView(view);
}

void RefreshView(CalibrationView* view) {
  const int16_t* block = ShownBlock(view);
  ShowPreviewSamples(&view->pane, view->shown ? block : view->light.samples, &view->light.header);
}

int16_t* NewBlock(CalibrationView* view) {
  int16_t* block = nullptr;
  if (!AllocPixels(&block, &view->light.header))
    ShowMessageBox(view->frame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
  return block;
}

void ReplaceBlock(int16_t** field, int16_t* block) {
  if (*field == block) return;
  FreeMem(field);
  *field = block;
}

void ShowCalibrationProgress(ProgressCounter* counter, int32_t total, int32_t first, double passes, int status) {
  const double percent = CountProgress(counter, total, first, passes);
  if (percent >= 0) ShowProgressPercent(gProgramState.ProgressWindow, status, "%1.0lf %% bearbeitet", percent);
}

int ChoosePictureFile(HWND owner, const char* title) {
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  return ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, gProgramState.CurrentPath,
                               kPictureOpenFilter, title, owner) == 1;
}

int ChooseSaveFile(HWND owner, const char* title, const char* proposal) {
  FileChoice& f = gFileChoice;
  std::snprintf(f.Path, sizeof f.Path, "%s", proposal);
  return ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, gProgramState.CurrentPath,
                            kPictureSaveFilter, title, owner) == 1;
}

int16_t* LoadChosenPicture(int showErrors, ImageHeader* header) {
  int16_t* loaded = nullptr;
  ImageMetadata metadata;
  InitImageHeader(header);
  InitImageMetadata(&metadata);
  if (LoadImageFile(gFileChoice.Path, gFileChoice.Extension, showErrors, &loaded, header, &metadata)) return loaded;
  FreeMem(&loaded);
  return nullptr;
}

bool HandleViewCommand(CalibrationView* view, int id, int notification, int cancelId, BOOL* handled) {
  *handled = TRUE;
  if (id == IDCANCEL || id == cancelId) {
    CancelDialogFrame(&view->frame);
    return true;
  }
  if (notification != BN_CLICKED || DialogRunActive(&view->frame)) {
    *handled = FALSE;
    return true;
  }
  if (HandlePreviewButton(&view->pane, id)) {
    RefreshView(view);
    return true;
  }
  return false;
}

ApplyOutcome WriteShownBlock(DialogFrame* frame, void* context) {
  const auto* view = static_cast<const CalibrationView*>(context);
  LightPicture light;
  const int16_t* block = ShownBlock(view);
  if (block && ReadLightPicture(frame->ps, &light))
    std::memcpy(GetSlotPixels(frame->ps->TargetBuffer, frame->ps), block, SampleBytes(&light.header));
  return ApplyOutcome::kDone;
}
