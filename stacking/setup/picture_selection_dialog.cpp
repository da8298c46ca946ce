#include "stacking/setup/picture_selection_dialog.h"

#include <cstdio>
#include <memory>

#include "imageio/picture_formats.h"
#include "imagelib/primitives.h"
#include "imagelib/summation.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_frame.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/message_box.h"
#include "stacking/frame/frame_centring.h"
#include "stacking/frame/pretreatment.h"
#include "stacking/run_notes.h"
#include "stacking/series/series_reader.h"
#include "stacking/setup/setup_ids.h"
#include "stacking/win32/win_frame_sources.h"
#include "stacking/win32/win_stack_host.h"

namespace {

constexpr char kVideoFilter[] = "AVI-Videos\0*.avi\0";

// The run's host without its progress texts: controls 104 and 105 of this
// dialog are buttons and labels of its own.
class SelectionHost : public WinStackHost {
 public:
  using WinStackHost::WinStackHost;
  void ShowStep(const char*) override {}
  void ShowElapsed() override {}
};

// Everything the dialog holds while it is open; one selection at a time.
struct Selection {
  Selection(ProgramState* ps, HWND dialog) : host(ps, dialog), win(ps, &host) {}
  ~Selection() {
    if (seriesOpen) CloseSeries(&series);
    FreeMem(&sum);
    FreeMem(&count);
    FreeMem(&shown);
  }

  SelectionHost host;
  WinSeriesServices win;
  StackSettings settings;
  FrameSeries series;
  bool seriesOpen = false;
  char currentName[kPathSize] = "";
  FrameBuffer raw;                // the frame as read
  FrameBuffer field;              // with Interlace the field kept, else unused
  int16_t* working = nullptr;     // raw or field; null when no frame may be added
  FrameRunContext ctx;
  FrameWorkspace ws;
  RunNotes notes;
  int32_t* sum = nullptr;         // of the work header's size, from the first frame on
  uint32_t* count = nullptr;
  int16_t* shown = nullptr;       // what the preview shows: the treated frame or the mean
  ImageHeader shownHeader{};
  int32_t frameCounter = 0;       // frames (fields) read
  int32_t added = 0;
  int32_t label = 0;              // "Rohbild %ld"
  bool result = false;            // the preview shows the mean
};

constexpr DialogFrameSpec kSpec = {kHotKeySelect, nullptr, 0, 0, 0, kFrameKeepsBuffers | kFrameUndoTarget,
                                   nullptr, nullptr};
constexpr PreviewPaneSpec kPane = {IDC_SEL_PREVIEW, IDC_SEL_HSCROLL, IDC_SEL_VSCROLL, IDC_SEL_MINUS, IDC_SEL_PLUS, 0};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;
Selection* gSel = nullptr;

void Enable(int id, bool on) { EnableWindow(GetDlgItem(gFrame.dialog, id), on); }

void DropSelection(void*) {
  delete gSel;
  gSel = nullptr;
}

// "Addiertes Bild" over the mean, "Rohbild n" over a raw frame.
void DrawLabel(void*, HDC dc, const PreviewMapping*) {
  if (!gSel) return;
  char text[64];
  if (gSel->result)
    std::snprintf(text, sizeof text, "Addiertes Bild");
  else
    std::snprintf(text, sizeof text, "Rohbild %ld", long(gSel->label));
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 10, 10, text, lstrlenA(text));
}

void ShowPicture(bool newPicture) {
  if (newPicture) {
    const SIZE size = {gSel->shownHeader.width, gSel->shownHeader.height};
    SetPreviewPicture(&gPane, &size);
  }
  ShowPreviewSamples(&gPane, gSel->shown, &gSel->shownHeader);
}

// The preview's own copy of a picture (the treated frame or the mean).
int16_t* PreviewBuffer(const ImageHeader* h) {
  if (gSel->shown && PictureSamples(&gSel->shownHeader) == PictureSamples(h)) return gSel->shown;
  FreeMem(&gSel->shown);
  if (!AllocPixels(&gSel->shown, h)) return nullptr;
  return gSel->shown;
}

const char* TitleOf(int fitMethod) {
  switch (fitMethod) {
    case 0: return "Überlagerung von Bildern einer Serie mit starren Koordinaten";
    case 1: return "Überlagerung von Bildern einer Serie mit Helligkeitsschwerpunkt";
    case 2: return "Überlagerung von Bildern einer Serie mit Zentrierung von Planetenscheiben";
    case 3:
    case 4: return "Überlagerung von Bildern einer Serie mit Paßmustersuche";
    default: return nullptr;
  }
}

// Gives up the selection: the reader or the dialog has said why.
void EndSelection() {
  ProgramState* ps = gFrame.ps;
  CancelDialogFrame(&gFrame);
  ReleaseStateBuffer(ps, &ps->PatternSamples);
}

void OpenDialog(HWND dialog, ProgramState* ps) {
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  ps->SourceBuffer = 0;
  ps->TargetBuffer = ps->ActiveBuffer;
  gSel = new Selection(ps, dialog);
  DialogFrameAtExit(&gFrame, DropSelection, nullptr);
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  SetPreviewOverlay(&gPane, DrawLabel, nullptr);
  if (const char* title = TitleOf(ps->FitMethod)) SetWindowTextA(dialog, title);
  RegisterHotKeyDialog(kHotKeySelect, dialog);
  const char* target = GetSlotName(ps->TargetBuffer);
  SetDlgItemTextA(dialog, IDC_SEL_TARGET, target ? target : "");
  SetDlgItemTextA(dialog, IDC_SEL_NUMBER, "leer");
  Enable(IDC_SEL_ADD, false);
  Enable(IDC_SEL_GOOD, false);
  gSel->settings = StackSettingsOf(ps);
  if (ps->CheckMethod == 1) {
    FileChoice& f = gFileChoice;
    std::snprintf(f.Path, sizeof f.Path, "%s", ps->SeriesPath);
    const bool video = ps->Addpicsource == 0;
    if (ShowOpenFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath,
                           video ? kVideoFilter : kPictureSaveFilter,
                           video ? "AVI-File auswählen ..." : "Erstes Bild der durchnummerierten Serie suchen ...",
                           dialog) != 1) {
      EndSelection();
      return;
    }
    std::snprintf(ps->SeriesPath, sizeof ps->SeriesPath, "%s", f.Path);
  }
  gSel->seriesOpen = true;
  if (!OpenSeries(&gSel->series, ps->SeriesPath, ps->Addpicsource, 1, gSel->win.services)) EndSelection();
}

// The sum and count of the run, at the first frame.
bool StartSum(const ImageHeader* frame) {
  Selection& s = *gSel;
  SetupFrameRun(&s.ctx, frame, &s.settings);
  s.ctx.host = &s.host;
  s.ctx.notes = &s.notes;
  s.ctx.pattern = gFrame.ps->PatternSamples;
  const size_t samples = PictureSamples(&s.ctx.workHeader);
  const size_t pixels = size_t(s.ctx.workHeader.width) * size_t(s.ctx.workHeader.height);
  s.sum = static_cast<int32_t*>(AllocMem(samples * sizeof(int32_t)));
  s.count = static_cast<uint32_t*>(AllocMem(pixels * sizeof(uint32_t)));
  s.ctx.sum = s.sum;
  s.ctx.count = s.count;
  if (s.sum && s.count) return true;
  FreeMem(&s.sum);
  FreeMem(&s.count);
  ShowMessageBox(gFrame.dialog, "Out of memory.", kTitleNote, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

// "&Nächstes !": the next frame (with Interlace the next field) into the preview.
void NextFrame() {
  Selection& s = *gSel;
  ProgramState* ps = gFrame.ps;
  // The frame shown so far can no longer be added.
  Enable(IDC_SEL_ADD, false);
  s.working = nullptr;
  const bool interlace = ps->Interlace != 0;
  const int32_t index = interlace ? s.frameCounter / 2 : s.frameCounter;
  // Numbered series count from their first number, the others from 0.
  const int32_t number = ps->Addpicsource == 2 ? s.series.firstNumber + index : index;
  FrameReadError error = FrameReadError::kNone;
  if (!ReadSeriesFrame(&s.series, number, ps->Addpicsource, &s.raw, s.currentName, 0, &error)) {
    if (error == FrameReadError::kMismatch) {
      // A frame of another size or kind is passed over, not read again.
      ShowMessageBox(gFrame.dialog, "Neues Bild paßt nicht zu den anderen !", kTitleError, MB_OK | MB_ICONSTOP);
      s.frameCounter = interlace ? (index + 1) * 2 : index + 1;
    } else if (ps->CheckMethod == 1) {
      ShowMessageBox(gFrame.dialog, "Bildserie beendet", kTitleNote, MB_OK | MB_ICONEXCLAMATION);
    } else {
      ShowMessageBoxF(gFrame.dialog, kTitleError, MB_OK | MB_ICONSTOP, "Bild %s nicht ladbar !", ps->SeriesPath);
    }
    return;
  }
  const ImageHeader header = s.series.header;
  if (!s.sum && !StartSum(&header)) return;
  int16_t* working = s.raw.samples();
  if (interlace) {
    if (!s.field.Reserve(&header)) {
      ShowMessageBox(gFrame.dialog, "Out of memory.", kTitleNote, MB_OK | MB_ICONEXCLAMATION);
      EndSelection();
      return;
    }
    // Odd rows first: an even count keeps the odd rows.
    DeinterlaceImage(s.field.samples(), working, &header, s.frameCounter % 2 == 0 ? 2 : 1);
    working = s.field.samples();
  }
  // The preview shows the frame as the run will add it.
  if (int16_t* copy = PreviewBuffer(&header)) {
    std::copy(working, working + PictureSamples(&header), copy);
    int32_t filterError = 0;
    ApplyNoiseFilterAndRgbAlignment(copy, &header, s.settings, &s.ws.scratch, &filterError);
    ApplyPreAmplification(copy, &header, s.settings);
  }
  s.shownHeader = header;
  s.label = s.frameCounter;
  s.result = false;
  if (s.shown)
    ShowPicture(true);
  else
    SetPreviewBitmap(&gPane, nullptr);
  s.working = working;
  Enable(IDC_SEL_ADD, true);
  ++s.frameCounter;
}

// "Add&ieren": the shown frame centred into the sum; the preview shows the mean.
void AddFrame() {
  Selection& s = *gSel;
  if (!s.working) return;
  Enable(IDC_SEL_ADD, false);
  int16_t* working = s.working;
  s.working = nullptr;
  const int32_t before = s.ctx.framesAdded;
  ProcessFrame(&s.ctx, &s.ws, working, s.added, kCentreMeasureAdd, nullptr);
  s.notes.Show(&s.host);
  if (s.ctx.framesAdded == before) return;
  char text[32];
  std::snprintf(text, sizeof text, "Bild %ld", long(s.frameCounter));
  SetDlgItemTextA(gFrame.dialog, IDC_SEL_NUMBER, text);
  Enable(IDC_SEL_GOOD, true);
  ++s.added;
  const ImageHeader& h = s.ctx.workHeader;
  const bool resized = PictureSamples(&h) != PictureSamples(&s.shownHeader) || h.width != s.shownHeader.width;
  if (int16_t* mean = PreviewBuffer(&h)) {
    DivideSumByCount(&h, &h, mean, s.sum, s.count, 0, nullptr);
    s.shownHeader = h;
    s.result = true;
    ShowPicture(resized);
  }
}

// "&Gut": the mean into a new picture of the target buffer.
ApplyOutcome InstallMean(DialogFrame* frame, void*) {
  Selection& s = *gSel;
  ProgramState* ps = frame->ps;
  const ImageHeader h = s.ctx.workHeader;
  int16_t* block = nullptr;
  if (!s.sum || !AllocPixels(&block, &h)) {
    ShowMessageBox(frame->dialog, "Out of memory.", kTitleNote, MB_OK | MB_ICONEXCLAMATION);
    return ApplyOutcome::kStay;
  }
  DivideSumByCount(&h, &h, block, s.sum, s.count, 0, nullptr);
  ImageMetadata metadata;
  InitImageMetadata(&metadata);
  std::snprintf(metadata.path, sizeof metadata.path, "Resultatbild");
  if (!InstallImage(ps->TargetBuffer, ps, block, &h, &metadata)) {
    FreeMem(&block);
    return ApplyOutcome::kStay;
  }
  ReleaseStateBuffer(ps, &ps->PatternSamples);
  return ApplyOutcome::kDone;
}

bool Command(int id) {
  switch (id) {
    case IDC_SEL_NEXT: NextFrame(); return true;
    case IDC_SEL_ADD: AddFrame(); return true;
    case IDC_SEL_GOOD:
      if (IsWindowEnabled(GetDlgItem(gFrame.dialog, IDC_SEL_GOOD))) CommitDialogFrame(&gFrame, InstallMean, nullptr);
      return true;
    case IDC_SEL_CANCEL:
    case IDCANCEL: EndSelection(); return true;
  }
  if (HandlePreviewButton(&gPane, id)) {
    if (gSel->shown) ShowPicture(false);
    return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK PictureSelectionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OpenDialog(dialog, lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState);
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (gFrame.open && HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam) && gSel->shown)
        ShowPicture(false);
      return TRUE;
    case WM_COMMAND:
      if (!gFrame.open || DialogRunActive(&gFrame)) return FALSE;
      return Command(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
