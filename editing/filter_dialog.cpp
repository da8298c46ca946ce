#include "filter_dialog.h"

#include "editing/filter_ids.h"
#include "editing/filter_pages.h"
#include "editing/mask_filter.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"
#include "shell/preview_geometry.h"
#include "shell/settings.h"

int32_t PreviewZoom = 1;

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyFilter,   "Manuelles Maskieren und Filtern von %s",
    kSectionMasking, IDC_FILTER_TARGET_A,
    IDC_FILTER_EDIT, kFrameNeedsPicture | kFrameUndoTarget,
    nullptr,         nullptr,
};

constexpr TabPageSpec kPages[] = {
    {"Weichzeichner", "filtersheet1", BlurSheetDlgProc},
    {"Nur Schärfen", "filtersheet2", SharpenSheetDlgProc},
    {"Mexican-Hat-Filter", "filtersheet3", MexicanHatSheetDlgProc},
    {"Effektfilter", "filtersheet4", EffectSheetDlgProc},
    {"Rauschfilter", "filtersheet5", NoiseSheetDlgProc},
};
// The filter kind each tab stands for.
constexpr int32_t kTabKinds[] = {kMaskBlur, kMaskSharpen, kMaskMexicanHat, kMaskEffect, kMaskNoise};
constexpr int kTabCount = int(sizeof kTabKinds / sizeof kTabKinds[0]);

constexpr PreviewPaneSpec kPane = {IDC_FILTER_PREVIEW, IDC_FILTER_HSCROLL, IDC_FILTER_VSCROLL,
                                   IDC_FILTER_MINUS,   IDC_FILTER_PLUS,    IDC_FILTER_STATUS};
constexpr CheckSpec kChecks[] = {{IDC_FILTER_NO_PREVIEW, KIT_FIELD(ProgramState, IsPreview), true}};
constexpr ControlTable kTable = {{}, {}, kChecks, {}};

DialogFrame gFrame;
TabHost gTabs;
PreviewPane gPane;
ImageHeader gSourceHeader;
ImageHeader gPreviewHeader;
int16_t* gPreviewBlock = nullptr;   // the visible section, reduced

ProgramState* State() { return &gProgramState; }

int TabOfKind(int32_t kind) {
  for (int i = 0; i < kTabCount; ++i)
    if (kTabKinds[i] == kind) return i;
  return 0;
}

void ShowTab(int index) {
  State()->Masktype = kTabKinds[index];
  ShowTabPage(&gTabs, index);
}

bool SourceLoaded() { return IsSlotLoaded(State()->SourceBuffer, State()) != 0; }

HBITMAP MakeBitmap(const int16_t* samples, const ImageHeader* header) {
  if (header->width < 1 || header->height < 1) return nullptr;
  HDC dc = GetDC(gFrame.dialog);
  HBITMAP bitmap = CreateDisplayBitmap(dc, samples, header, State());
  ReleaseDC(gFrame.dialog, dc);
  return bitmap;
}

// The visible section, filtered unless the preview is switched off. A
// failure is written into the status line; the section then shows unfiltered.
void RefreshPreview() {
  ProgramState* ps = State();
  if (!gFrame.open || DialogRunActive(&gFrame) || !gPreviewBlock || !SourceLoaded()) return;
  const POINT at = PreviewSectionOrigin(&gPane);
  const ImageResult cut = CutPreviewSection(gPreviewBlock, &gPreviewHeader, GetSlotPixels(ps->SourceBuffer, ps),
                                            &gSourceHeader, at.x, at.y, gPane.viewW, gPane.viewH, PreviewZoom);
  if (cut != IMG_OK) {
    ShowPreviewStatus(&gPane, ImageResultText(cut));
    SetPreviewBitmap(&gPane, nullptr);
    return;
  }
  ShowPreviewStatus(&gPane, "");
  HBITMAP bitmap = nullptr;
  if (ps->IsPreview) {
    ImageHeader header = gPreviewHeader;
    int16_t* filtered = nullptr;
    if (ApplyMaskFilter(gPreviewBlock, &filtered, &header, ps, PreviewZoom, 0)) bitmap = MakeBitmap(filtered, &header);
    FreeMem(&filtered);
  }
  if (!bitmap) bitmap = MakeBitmap(gPreviewBlock, &gPreviewHeader);
  SetPreviewBitmap(&gPane, bitmap);
}

void ShowPreviewSwitch(HWND dialog) {
  ShowControlTable(dialog, kTable, State());
  EnablePreviewControls(&gPane, State()->IsPreview != 0);
}

bool Open(HWND dialog) {
  ProgramState* ps = State();
  // The file's [Masking] as it stands, brought into the controls' ranges.
  LoadSettings(ps, kSectionMasking, kSettingsFileName);
  ClampFilterSettings(ps);
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  ps->ProgressWindow = dialog;
  InitPreviewPane(&gPane, &kPane, dialog, &PreviewZoom);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnBlock(&gFrame, &gPreviewBlock);
  DialogFrameOwnTabs(&gFrame, &gTabs);
  if (source == FrameSource::kOk) {
    GetSlotHeader(&gSourceHeader, ps->SourceBuffer, ps);
    const SIZE size = {gSourceHeader.width, gSourceHeader.height};
    SetPreviewPicture(&gPane, &size);
    gPreviewHeader = gSourceHeader;
    gPreviewHeader.width = gPane.viewW;
    gPreviewHeader.height = gPane.viewH;
    if (!AllocPixels(&gPreviewBlock, &gPreviewHeader)) {
      ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
      CancelDialogFrame(&gFrame);
      return false;
    }
  } else {
    SetFocus(GetDlgItem(dialog, IDC_FILTER_CANCEL));
  }
  const int tab = TabOfKind(ps->Masktype);
  ps->Masktype = kTabKinds[tab];
  CreateTabHost(&gTabs, dialog, IDC_FILTER_TABS, kPages, kTabCount, tab);
  ShowPreviewSwitch(dialog);
  RefreshPreview();
  return source != FrameSource::kOk;   // the focus was set
}

ApplyOutcome FilterWholePicture(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  ImageHeader header;
  GetSlotHeader(&header, ps->SourceBuffer, ps);
  int16_t* result = nullptr;
  return ApplyMaskFilter(GetSlotPixels(ps->SourceBuffer, ps), &result, &header, ps, 1, 1) ? ApplyOutcome::kDone
                                                                                           : ApplyOutcome::kStay;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) {
    ShowPreviewSwitch(dialog);
    RefreshPreview();
    return TRUE;
  }
  if (HandlePreviewButton(&gPane, id)) {
    RefreshPreview();
    return TRUE;
  }
  switch (id) {
    case IDC_FILTER_EDIT:
      CommitDialogFrame(&gFrame, FilterWholePicture, nullptr);
      return TRUE;
    case IDC_FILTER_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK FilterSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog) ? FALSE : TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam)) RefreshPreview();
      return TRUE;
    case WM_NOTIFY:
      if (IsTabChange(&gTabs, lParam)) {
        ShowTab(SelectedTab(&gTabs));
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
