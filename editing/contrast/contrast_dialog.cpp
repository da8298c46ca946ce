#include "editing/contrast/contrast_dialog.h"

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_ids.h"
#include "editing/contrast/contrast_picture.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"

namespace {

constexpr TabPageSpec kChannelPages[] = {
    {"RGB zusammen", "kontrastsheet", ContrastSheetDlgProc},
    {"Rotkanal", "kontrastsheet", ContrastSheetDlgProc},
    {"Grünkanal", "kontrastsheet", ContrastSheetDlgProc},
    {"Blaukanal", "kontrastsheet", ContrastSheetDlgProc},
};
constexpr TabPageSpec kBrightnessPage[] = {{"Helligkeit", "kontrastsheet", ContrastSheetDlgProc}};

constexpr PreviewPaneSpec kPane = {IDC_CONTRAST_PREVIEW, IDC_CONTRAST_HSCROLL, IDC_CONTRAST_VSCROLL,
                                   IDC_CONTRAST_MINUS,   IDC_CONTRAST_PLUS,    0};
constexpr CheckSpec kChecks[] = {{IDC_CONTRAST_NO_PREVIEW, KIT_FIELD(ProgramState, IsPreview), true}};
constexpr ControlTable kTable = {{}, {}, kChecks, {}};

ContrastPicture gPicture;
ContrastTabs gTabs;

ProgramState* State() { return &gProgramState; }
// The block the page shows, and whose curve "&Bearbeiten" applies.
int Channel() {
  const int c = State()->Contrastchannel;
  return IsColourPicture(&gPicture) && c >= 1 && c <= 3 ? c : 0;
}

void PaintResultHistogram(void*, HDC dc, const RECT* client) {
  PaintHistogramPlot(dc, client, kContrastLevels, gPicture.results[Channel()], Channel());
}

// The common curve, or the three channel curves.
ImageResult MapThroughCurves(const ImageHeader* header, const int16_t* source, int16_t* result) {
  const ProgramState* ps = State();
  ImageRect all;
  MakeRect(&all, 0, 0, header->width, header->height);
  if (Channel() == 0) return ApplyLut(&all, header, source, result, ps->ContrastLuts[0]);
  return ApplyLutsRgb(&all, header, source, result, ps->ContrastLuts[1], ps->ContrastLuts[2], ps->ContrastLuts[3]);
}

// The preview of the visible section and the result histogram of the page.
void RefreshPreview() {
  const ProgramState* ps = State();
  if (!gPicture.frame.open) return;
  ShowContrastPreview(&gPicture, ps->IsPreview ? MapThroughCurves : nullptr);
  const int c = Channel();
  if (ps->ContrastHistograms[c] && ps->ContrastLuts[c] && gPicture.results[c])
    MapHistogram(ps->ContrastHistograms[c], ps->ContrastLuts[c], kContrastLevels, gPicture.results[c]);
  RepaintPlot(gPicture.frame.dialog, IDC_CONTRAST_RESULT);
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  // A grey picture needs the common table and histogram only.
  gPicture.header = ImageHeader{};
  GetSlotHeader(&gPicture.header, ps->ActiveBuffer, ps);
  const int areas = gPicture.header.colourType == kColourRgb ? 4 : 1;
  if (!OpenContrastPicture(&gPicture, dialog, &kPane, areas, areas)) return TRUE;
  DialogFrameOwnTabs(&gPicture.frame, &gTabs);
  // Settings from the file within what the pages show; a cancel brings them back.
  ClampContrastBlocks(ps);
  InitPlotPane(dialog, IDC_CONTRAST_RESULT, PaintResultHistogram, nullptr);
  if (IsColourPicture(&gPicture))
    CreateContrastChannelTabs(dialog, &gTabs);
  else
    CreateContrastBrightnessTab(dialog, &gTabs);
  ShowControlTable(dialog, kTable, ps);
  EnablePreviewControls(&gPicture.pane, ps->IsPreview != 0);
  RefreshPreview();
  return TRUE;
}

ApplyOutcome MapWholePicture(DialogFrame*, void*) { return InstallMappedPicture(&gPicture, MapThroughCurves); }

BOOL Command(HWND dialog, int id, int notification) {
  if (id == IDCANCEL) {
    CancelDialogFrame(&gPicture.frame);
    return TRUE;
  }
  if (notification != BN_CLICKED) return FALSE;
  if (HandleTargetRadio(&gPicture.frame, id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) {
    EnablePreviewControls(&gPicture.pane, State()->IsPreview != 0);
    RefreshPreview();
    return TRUE;
  }
  if (HandlePreviewButton(&gPicture.pane, id)) {
    RefreshPreview();
    return TRUE;
  }
  switch (id) {
    case IDC_CONTRAST_EDIT:
      CommitDialogFrame(&gPicture.frame, MapWholePicture, nullptr);
      return TRUE;
    case IDC_CONTRAST_CANCEL:
      CancelDialogFrame(&gPicture.frame);
      return TRUE;
  }
  return FALSE;
}

void CreateTabs(HWND dialog, ContrastTabs* tabs, const TabPageSpec* pages, int count) {
  ProgramState* ps = State();
  // The page reads its block when it is made.
  if (ps->Contrastchannel < 0 || ps->Contrastchannel >= count) ps->Contrastchannel = 0;
  CreateTabHost(tabs, dialog, IDC_CONTRAST_TABS, pages, count, ps->Contrastchannel);
}

}  // namespace

void CreateContrastChannelTabs(HWND dialog, ContrastTabs* tabs) { CreateTabs(dialog, tabs, kChannelPages, 4); }

void CreateContrastBrightnessTab(HWND dialog, ContrastTabs* tabs) { CreateTabs(dialog, tabs, kBrightnessPage, 1); }

HWND ShowContrastSheet(HWND, ContrastTabs* tabs) {
  const int selected = SelectedTab(tabs);
  State()->Contrastchannel = selected >= 1 && selected <= 3 ? selected : 0;
  return ShowTabPage(tabs, selected);
}

INT_PTR CALLBACK ContrastDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog);
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandlePreviewScroll(&gPicture.pane, reinterpret_cast<HWND>(lParam), wParam)) RefreshPreview();
      return TRUE;
    case WM_NOTIFY:
      if (IsTabChange(&gTabs, lParam)) {
        ShowContrastSheet(dialog, &gTabs);
        RefreshPreview();
      }
      return TRUE;
    case kMsgPreviewRequest:
      RefreshPreview();
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gPicture.frame);
      return FALSE;
  }
  return FALSE;
}
