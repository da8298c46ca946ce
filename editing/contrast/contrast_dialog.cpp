#include "editing/contrast/contrast_dialog.h"

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_ids.h"
#include "imagelib/statistics.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"
#include "shell/preview_geometry.h"
#include "shell/previews.h"
#include "shell/settings.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyContrast,       "Kontrasteinstellung von %s",
    kSectionContrast,      IDC_CONTRAST_TARGET_A,
    IDC_CONTRAST_EDIT,     kFrameNeedsPicture | kFrameEndsOnRefusal | kFrameUndoTarget,
    nullptr,               nullptr,
};

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

DialogFrame gFrame;
ContrastTabs gTabs;
PreviewPane gPane;
int32_t gReduction = 1;             // set anew at each opening
ImageHeader gSourceHeader;
ImageMetadata gSourceMetadata;
ImageHeader gPreviewHeader;
int16_t* gPreview = nullptr;        // the visible section, reduced
uint32_t* gResultHistograms[4] = {};

ProgramState* State() { return &gProgramState; }
bool Colour() { return gSourceHeader.colourType == kColourRgb; }
// The block the page shows, and whose curve "&Bearbeiten" applies.
int Channel() {
  const int c = State()->Contrastchannel;
  return Colour() && c >= 1 && c <= 3 ? c : 0;
}

void PaintResultHistogram(void*, HDC dc, const RECT* client) {
  const uint32_t* histogram = gResultHistograms[Channel()];
  if (histogram && PaintHistogram(dc, client, 0, kContrastLevels, histogram, Channel())) return;
  HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
  FillRect(dc, client, navy);
  DeleteObject(navy);
}

// The curve or the three channel curves over samples of the header: the
// preview section and the whole picture alike.
ImageResult MapThroughCurves(const ImageHeader* header, const int16_t* source, int16_t* result) {
  const ProgramState* ps = State();
  ImageRect all;
  MakeRect(&all, 0, 0, header->width, header->height);
  if (Channel() == 0) return ApplyLut(&all, header, source, result, ps->ContrastLuts[0]);
  return ApplyLutsRgb(&all, header, source, result, ps->ContrastLuts[1], ps->ContrastLuts[2], ps->ContrastLuts[3]);
}

void RefreshPreview() {
  ProgramState* ps = State();
  if (!gFrame.open || !gPreview) return;
  const POINT at = PreviewSectionOrigin(&gPane);
  const int16_t* source = GetSlotPixels(ps->SourceBuffer, ps);
  if (CutPreviewSection(gPreview, &gPreviewHeader, source, &gSourceHeader, at.x, at.y, gPane.viewW, gPane.viewH,
                        gReduction) != IMG_OK) {
    SetPreviewBitmap(&gPane, nullptr);
    return;
  }
  if (ps->IsPreview) MapThroughCurves(&gPreviewHeader, gPreview, gPreview);
  HBITMAP bitmap = nullptr;
  if (gPreviewHeader.width > 0 && gPreviewHeader.height > 0) {
    HDC dc = GetDC(gFrame.dialog);
    bitmap = CreateDisplayBitmap(dc, gPreview, &gPreviewHeader, ps);
    ReleaseDC(gFrame.dialog, dc);
  }
  SetPreviewBitmap(&gPane, bitmap);
  const int c = Channel();
  if (ps->ContrastHistograms[c] && ps->ContrastLuts[c] && gResultHistograms[c])
    MapHistogram(ps->ContrastHistograms[c], ps->ContrastLuts[c], kContrastLevels, gResultHistograms[c]);
  RepaintPlot(gFrame.dialog, IDC_CONTRAST_RESULT);
}

// The tables and histograms the picture needs: the whole-picture ones, and
// for colour those of the three channels.
bool AllocWorkAreas() {
  ProgramState* ps = State();
  const int count = Colour() ? 4 : 1;
  bool ok = true;
  for (int c = 0; c < count; ++c) {
    DialogFrameOwnBlock(&gFrame, &ps->ContrastLuts[c]);
    DialogFrameOwnBlock(&gFrame, &ps->ContrastHistograms[c]);
    DialogFrameOwnBlock(&gFrame, &gResultHistograms[c]);
    if (!ps->ContrastLuts[c]) ps->ContrastLuts[c] = static_cast<uint16_t*>(AllocArray(kContrastLevels, 2));
    ps->ContrastHistograms[c] = static_cast<uint32_t*>(AllocArray(kContrastLevels, 4));
    gResultHistograms[c] = static_cast<uint32_t*>(AllocArray(kContrastLevels, 4));
    ok = ok && ps->ContrastLuts[c] && ps->ContrastHistograms[c] && gResultHistograms[c];
  }
  return ok;
}

void Refuse(HWND dialog, const char* text) {
  ShowMessageBox(dialog, text, kTitleError, MB_OK | MB_ICONSTOP);
  SetFocus(GetDlgItem(dialog, IDC_CONTRAST_CANCEL));
  CancelDialogFrame(&gFrame);
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  gSourceHeader = ImageHeader{};
  if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk) return TRUE;
  // Settings from the file within what the pages show; a cancel brings them back.
  ClampContrastBlocks(ps);
  ps->ProgressWindow = dialog;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnTabs(&gFrame, &gTabs);
  DialogFrameOwnBlock(&gFrame, &gPreview);
  GetSlotHeader(&gSourceHeader, ps->SourceBuffer, ps);
  GetSlotMetadata(&gSourceMetadata, ps->SourceBuffer, ps);
  const int16_t* source = GetSlotPixels(ps->SourceBuffer, ps);
  RECT client;
  GetClientRect(GetDlgItem(dialog, IDC_CONTRAST_PREVIEW), &client);
  gReduction = client.right > 0 ? gSourceHeader.width / client.right : 1;
  gReduction = gReduction < 1 ? 1 : gReduction > kMaxReduction ? kMaxReduction : gReduction;
  const SIZE size = {gSourceHeader.width, gSourceHeader.height};
  SetPreviewPicture(&gPane, &size);
  gPreviewHeader = gSourceHeader;
  gPreviewHeader.width = gPane.viewW;
  gPreviewHeader.height = gPane.viewH;
  if (!AllocPixels(&gPreview, &gPreviewHeader)) {
    Refuse(dialog, "Nicht genug Speicher !");
    return FALSE;
  }
  ImageRect centre;
  MakeRect(&centre, gSourceHeader.width / 8, gSourceHeader.height / 8, 6 * gSourceHeader.width / 8,
           6 * gSourceHeader.height / 8);
  int32_t used, red, green, blue, zero, negative, highest;
  if (ComputeRegionStatistics(&centre, &gSourceHeader, source, &used, &red, &green, &blue, &zero, &negative,
                              &highest) != IMG_OK) {
    Refuse(dialog, "Bild enthält nur negative oder zuwenig Werte !");
    return FALSE;
  }
  if (!AllocWorkAreas()) {
    ShowMessageBox(dialog, "Zu wenig Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    EndDialogFrame(&gFrame, 0);
    return FALSE;
  }
  ComputeRegionHistogram(&centre, &gSourceHeader, source, ps->ContrastHistograms[0]);
  InitPlotPane(dialog, IDC_CONTRAST_RESULT, PaintResultHistogram, nullptr);
  if (Colour()) {
    ComputeRegionHistogramsRgb(&centre, &gSourceHeader, source, ps->ContrastHistograms[1], ps->ContrastHistograms[2],
                               ps->ContrastHistograms[3]);
    CreateContrastChannelTabs(dialog, &gTabs);
  } else {
    CreateContrastBrightnessTab(dialog, &gTabs);
  }
  ShowControlTable(dialog, kTable, ps);
  EnablePreviewControls(&gPane, ps->IsPreview != 0);
  RefreshPreview();
  return TRUE;
}

ApplyOutcome MapWholePicture(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  int16_t* result = nullptr;
  if (!AllocPixels(&result, &gSourceHeader)) return ApplyOutcome::kStay;
  if (MapThroughCurves(&gSourceHeader, GetSlotPixels(ps->SourceBuffer, ps), result) != IMG_OK) {
    FreeMem(&result);
    return ApplyOutcome::kStay;
  }
  InstallImage(ps->TargetBuffer, ps, result, &gSourceHeader, &gSourceMetadata);
  // [Contrast] Backgroundlevel and BackgroundLevel are one entry of the file:
  // the black point of the whole picture goes in.
  ps->ContrastBackgroundLevel = ps->ContrastChannels[0].Backgroundlevel;
  return ApplyOutcome::kDone;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (id == IDCANCEL) {
    CancelDialogFrame(&gFrame);
    return TRUE;
  }
  if (notification != BN_CLICKED) return FALSE;
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) {
    EnablePreviewControls(&gPane, State()->IsPreview != 0);
    RefreshPreview();
    return TRUE;
  }
  if (HandlePreviewButton(&gPane, id)) {
    RefreshPreview();
    return TRUE;
  }
  switch (id) {
    case IDC_CONTRAST_EDIT:
      CommitDialogFrame(&gFrame, MapWholePicture, nullptr);
      return TRUE;
    case IDC_CONTRAST_CANCEL:
      CancelDialogFrame(&gFrame);
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
      if (HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam)) RefreshPreview();
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
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
