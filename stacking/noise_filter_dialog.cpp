#include "noise_filter_dialog.h"

#include "imagelib/noise_filters.h"
#include "noise_filter_ids.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"

namespace {

constexpr BarSpec kBars[] = {
    {IDC_NOISE_EFFECT, IDC_NOISE_EFFECT_TEXT, 0, 100, 10, BarMap::kLinear, 1.0, BarText::kDouble, "%3.0lf %%",
     KIT_FIELD(ProgramState, Effect)},
    {IDC_NOISE_SIGMA, IDC_NOISE_SIGMA_TEXT, -50, 50, 10, BarMap::kLinear, 1.0, BarText::kSigmaFactor, "%5.3lf",
     KIT_FIELD(ProgramState, Sigmaradius)},
};
constexpr RadioSpec kRadios[] = {{IDC_NOISE_TYPE_FIRST, 10, 0, KIT_FIELD(ProgramState, Filtertype)}};
constexpr CheckSpec kChecks[] = {{IDC_NOISE_PSEUDOMEDIAN, KIT_FIELD(ProgramState, Pseudomedian), false}};

constexpr DialogFrameSpec kSpec = {
    kHotKeyNoise, nullptr, kSectionNoisefilter, 0, IDC_NOISE_OK,
    kFrameSetupAware | kFrameNeedsPicture | kFrameUndoTarget, nullptr, nullptr,
};

DialogFrame gFrame;

// The whole picture of the target buffer, in place.
ApplyOutcome FilterTarget(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  ImageHeader header;
  GetSlotHeader(&header, ps->TargetBuffer, ps);
  ImageRect all;
  MakeRect(&all, 0, 0, header.width, header.height);
  int16_t* samples = GetSlotPixels(ps->TargetBuffer, ps);
  const ImageResult result = ApplyNoiseFilter(&all, &header, samples, samples, NoiseSigmaFactor(ps->Sigmaradius),
                                              ps->Filtertype, ps->Pseudomedian, nullptr);
  if (result == IMG_OK) return ApplyOutcome::kDone;
  ShowImageResult(frame->dialog, result);
  return ApplyOutcome::kEndFailed;
}

}  // namespace

const ControlTable kNoiseFilterControls = {kBars, kRadios, kChecks, {}};

INT_PTR CALLBACK NoiseFilterSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      // Settings from the file are brought into range before the backup, so
      // that cancel does not bring an impossible value back.
      ClampTableFields(kNoiseFilterControls, &gProgramState);
      OpenDialogFrame(&gFrame, &kSpec, dialog);
      ShowControlTable(dialog, kNoiseFilterControls, &gProgramState);
      return TRUE;
    case WM_HSCROLL:
      HandleTableScroll(dialog, kNoiseFilterControls, &gProgramState, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HandleTableCommand(dialog, kNoiseFilterControls, &gProgramState, id, HIWORD(wParam))) return TRUE;
      if (id == IDC_NOISE_OK) {
        CommitDialogFrame(&gFrame, FilterTarget, nullptr);
      } else if (id == IDC_NOISE_CANCEL || id == IDCANCEL) {
        CancelDialogFrame(&gFrame);
      } else {
        return FALSE;
      }
      return TRUE;
    }
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
