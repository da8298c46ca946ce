#include "imageio/timelapse/time_lapse_dialog.h"

#include "imageio/picture_formats.h"
#include "imageio/timelapse/time_lapse_ids.h"
#include "imageio/timelapse/time_lapse_series.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/frame_walk.h"
#include "shell/workers.h"
#include "stacking/setup/setup_pages.h"
#include "stacking/win32/win_frame_sources.h"
#include "stacking/win32/win_stack_host.h"

char TimeLapseSourcePath[kPathSize];
char TimeLapseTargetDir[kPathSize];

namespace {

#define FIELD(member) KIT_FIELD(ProgramState, member)
constexpr BarSpec kBars[] = {
    {IDC_TL_INTPICT, IDC_TL_INTPICT_TEXT, kMinIntpict, kMaxIntpict, 1, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
     FIELD(Intpict)},
    {IDC_TL_RESIZE, IDC_TL_RESIZE_TEXT, kMinResizefak, kMaxResizefak, 1, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
     FIELD(Resizefak)},
};
constexpr CheckSpec kChecks[] = {
    {IDC_TL_PREPROCESS, FIELD(Preprocess), false},
    {IDC_TL_FADE_IN, FIELD(IsAufblende), false},
    {IDC_TL_FADE_OUT, FIELD(IsAbblende), false},
};
#undef FIELD
constexpr ControlTable kTable = {kBars, {}, kChecks, {}};

constexpr DialogFrameSpec kSpec = {kNoHotKeyEntry, nullptr, 0, 0, IDC_TL_OK, 0, nullptr, nullptr};
DialogFrame gFrame;

constexpr char kTargetFilter[] = "JPEG Format\0*.jpg\0Alle Dateien\0*.*\0";

// Messages and the status line in the dialog; between pictures the windows
// are kept alive, and there is no pause or abort to wait for.
class TimeLapseHost : public WinStackHost {
 public:
  TimeLapseHost(ProgramState* ps, HWND dialog) : WinStackHost(ps, dialog) {}
  bool Poll() override {
    PumpPendingMessages();
    return false;
  }
};
static_assert(IDC_TL_STATUS == kProgressStepId, "the host writes its steps into the status line");

int OpenWriter(void* job, int32_t* items) { return static_cast<TimeLapseWriter*>(job)->Open(items); }
int WriterStep(void* job, int32_t item) { return static_cast<TimeLapseWriter*>(job)->Step(item); }
void CloseWriter(void* job) { static_cast<TimeLapseWriter*>(job)->Close(); }

void Sync(HWND dialog, const ProgramState* ps) {
  EnableWindow(GetDlgItem(dialog, IDC_TL_SETUP), ps->Preprocess != 0);
  EnableWindow(GetDlgItem(dialog, IDC_TL_OK), TimeLapseSourcePath[0] && TimeLapseTargetDir[0]);
}

void Open(HWND dialog) {
  ProgramState* ps = &gProgramState;
  ClampTableFields(kTable, ps);
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  ShowControlTable(dialog, kTable, ps);
  SetDlgItemTextA(dialog, IDC_TL_SOURCE_NAME, TimeLapseSourcePath);
  SetDlgItemTextA(dialog, IDC_TL_TARGET_NAME, TimeLapseTargetDir);
  Sync(dialog, ps);
}

void ChooseSource(HWND dialog, ProgramState* ps) {
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  if (ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureSaveFilter,
                            "Erstes Bild der Rohbildreihe auswählen", dialog) != 1)
    return;
  lstrcpynA(TimeLapseSourcePath, f.Path, kPathSize);
  SetDlgItemTextA(dialog, IDC_TL_SOURCE_NAME, TimeLapseSourcePath);
}

void ChooseTarget(HWND dialog, ProgramState* ps) {
  FileChoice& f = gFileChoice;
  if (ShowDirectoryDialog(f.Directory, &f.Drive, ps->CurrentPath, kTargetFilter,
                          "Zielverzeichnis für Chronoreel festlegen", 0, dialog) != 1)
    return;
  lstrcpynA(TimeLapseTargetDir, f.Directory, kPathSize);
  SetDlgItemTextA(dialog, IDC_TL_TARGET_NAME, TimeLapseTargetDir);
}

ApplyOutcome WriteSeries(DialogFrame* frame, void*) {
  const ProgramState* ps = frame->ps;
  // A failure has been shown; the dialog stays for another choice.
  return WritePictureSeries(TimeLapseSourcePath, TimeLapseTargetDir, ps->Intpict, ps->Resizefak, ps->IsAufblende,
                            ps->IsAbblende, frame->dialog)
             ? ApplyOutcome::kDone
             : ApplyOutcome::kStay;
}

void Command(HWND dialog, int id, int notification) {
  ProgramState* ps = gFrame.ps;
  if (id == IDC_TL_CANCEL || id == IDCANCEL) {
    CancelDialogFrame(&gFrame);
    return;
  }
  // Nothing may change a series being written.
  if (!gFrame.open || DialogRunActive(&gFrame)) return;
  if (HandleTableCommand(dialog, kTable, ps, id, notification)) {
    Sync(dialog, ps);
    return;
  }
  switch (id) {
    case IDC_TL_SOURCE:
      ChooseSource(dialog, ps);
      break;
    case IDC_TL_TARGET:
      ChooseTarget(dialog, ps);
      break;
    case IDC_TL_SETUP:
      if (ps->Preprocess) ShowSetupPage(dialog, SetupPage::kPretreatment, ps);
      break;
    case IDC_TL_OK:
      CommitDialogFrame(&gFrame, WriteSeries, nullptr);
      return;
    default:
      return;
  }
  Sync(dialog, ps);
}

}  // namespace

int WritePictureSeries(const char* source, const char* targetDir, int32_t intpict, int32_t resizefak, BOOL fadeIn,
                       BOOL fadeOut, HWND dialog) {
  ProgramState* ps = &gProgramState;
  TimeLapseRequest request;
  request.source = source;
  request.targetDir = targetDir;
  request.intpict = intpict;
  request.resizefak = resizefak;
  request.fadeIn = fadeIn != 0;
  request.fadeOut = fadeOut != 0;
  request.settings = StackSettingsOf(ps);
  // The contrast dialogs free their table when they close: without one the
  // frames stay as they are.
  request.contrastLut = ps->ContrastLuts[0];
  WinPictureLoader pictures(ps);
  TimeLapseHost host(ps, dialog);
  TimeLapseWriter writer(request, &pictures, &host);
  const FrameWalk walk = {&writer, OpenWriter, WriterStep, CloseWriter};
  return RunFrameWalk(walk, nullptr) == WalkEnd::Done ? 1 : 0;
}

INT_PTR CALLBACK TimeLapseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_HSCROLL:
      if (gFrame.open && !DialogRunActive(&gFrame))
        HandleTableScroll(dialog, kTable, gFrame.ps, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND:
      Command(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
