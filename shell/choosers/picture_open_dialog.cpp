// The picture-open chooser: an explorer-style open dialog with a template
// of our own beside the platform's controls, whose hook previews the
// selected picture, or a frame of a selected video chosen with a scroll bar.
#include <cstdio>
#include <cstring>

#include "chooser_ids.h"
#include "file_choosers.h"
#include "file_dialog_call.h"
#include "imageio/avi_frames.h"
#include "imageio/picture_files.h"
#include "shell/desktop.h"
#include "shell/display_bitmap.h"
#include "shell/program_state.h"
#include "shell/scroll_bars.h"

namespace {

// The picture being previewed, held only while it is drawn.
int16_t* gPreviewSamples = nullptr;
ImageHeader gPreviewHeader;
ImageMetadata gPreviewMetadata;

constexpr int kFramePage = 10;

const char* PictureTemplate(int32_t screenWidth) {
  if (screenWidth < 800) return "pictureopendlg";
  if (screenWidth < 1024) return "pictureopendlg800";
  if (screenWidth < 1280) return "pictureopendlg1024";
  return "pictureopendlg1280";
}

// Dialog units. The layouts expect the preview where the platform's controls
// end, at x = kLayoutPreviewX; what lies right of that follows the preview
// wherever the platform put it.
struct ItemPlace {
  short x, y, w, h;
};
struct PreviewLayout {
  short dialogW, dialogH;
  short previewW, previewH;
  ItemPlace label, bar, number;
};
constexpr short kLayoutPreviewX = 284;
constexpr PreviewLayout kThumbnailLayout = {413, 162, 125, 85, {288, 112, 28, 8}, {321, 110, 84, 10}, {321, 120, 84, 10}};
constexpr PreviewLayout kFullLayouts[] = {
    {520, 208, 231, 170, {4, 180, 28, 8}, {33, 179, 84, 10}, {117, 179, 84, 10}},   // below 1024
    {665, 312, 380, 281, {4, 291, 28, 8}, {33, 290, 84, 10}, {117, 290, 84, 10}},   // below 1280
    {770, 400, 480, 354, {4, 365, 28, 8}, {33, 364, 84, 10}, {117, 364, 84, 10}},
};
constexpr int kFrameControls[] = {IDC_PICTURE_FRAME_BAR, IDC_PICTURE_FRAME_NUMBER, IDC_PICTURE_FRAME_LABEL};

const PreviewLayout& FullLayout(int32_t screenWidth) {
  return kFullLayouts[screenWidth < 1024 ? 0 : screenWidth < 1280 ? 1 : 2];
}

int UnitsX(int units) { return units * gProgramState.DialogBaseUnitX / 4; }
int UnitsY(int units) { return units * gProgramState.DialogBaseUnitY / 8; }

RECT ChildRect(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Shown once its dialog is: the dialog may still be hidden.
bool Shown(HWND window) { return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Grows `box` by the visible children of `parent`, leaving out `skip` and the
// placeholder, which the platform sizes after its dialog.
void AddVisibleChildren(RECT* box, HWND parent, HWND skip, HWND coordinates) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c == skip || !Shown(c) || GetDlgCtrlID(c) == IDC_STANDARD_CONTROLS) continue;
    const RECT r = ChildRect(coordinates, c);
    UnionRect(box, box, &r);
  }
}

// Sizes the explorer dialog to width x height, but never smaller than what
// the platform's controls and ours need, whatever size the platform gave its
// own; our template dialog covers the explorer's client area.
void FitExplorer(HWND dialog, int width, int height) {
  const HWND explorer = GetParent(dialog);
  RECT window, client;
  GetWindowRect(explorer, &window);
  GetClientRect(explorer, &client);
  const int frameW = (window.right - window.left) - client.right;
  const int frameH = (window.bottom - window.top) - client.bottom;
  RECT needed{0, 0, 0, 0};
  AddVisibleChildren(&needed, explorer, dialog, explorer);
  AddVisibleChildren(&needed, dialog, nullptr, dialog);
  const int margin = UnitsX(4);
  if (width < needed.right + margin + frameW) width = needed.right + margin + frameW;
  if (height < needed.bottom + margin + frameH) height = needed.bottom + margin + frameH;
  SetWindowPos(explorer, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(explorer, &client);
  SetWindowPos(dialog, nullptr, 0, 0, client.right, client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The explorer dialog grown to show every visible control.
void FitToControls(HWND dialog) {
  RECT window;
  GetWindowRect(GetParent(dialog), &window);
  FitExplorer(dialog, window.right - window.left, window.bottom - window.top);
}

void ApplyLayout(HWND dialog, const PreviewLayout& layout) {
  const HWND preview = GetDlgItem(dialog, IDC_PICTURE_PREVIEW);
  const RECT at = ChildRect(dialog, preview);
  const int shift = at.left - UnitsX(kLayoutPreviewX);
  const int previewW = UnitsX(layout.previewW);
  MoveWindow(preview, at.left, at.top, previewW, UnitsY(layout.previewH), TRUE);
  // "1:1 Größe" stays at the right end of the top row, above the preview's edge.
  const HWND original = GetDlgItem(dialog, IDC_PICTURE_ORIGINAL);
  const RECT box = ChildRect(dialog, original);
  SetWindowPos(original, nullptr, at.left + previewW - (box.right - box.left), box.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const ItemPlace* places[] = {&layout.bar, &layout.number, &layout.label};
  for (int i = 0; i < 3; ++i) {
    const ItemPlace& p = *places[i];
    MoveWindow(GetDlgItem(dialog, kFrameControls[i]), UnitsX(p.x) + (p.x >= kLayoutPreviewX ? shift : 0),
               UnitsY(p.y), UnitsX(p.w), UnitsY(p.h), TRUE);
  }
  FitExplorer(dialog, UnitsX(layout.dialogW) + shift, UnitsY(layout.dialogH));
}

void Repaint(HWND explorer) {
  RedrawWindow(explorer, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ShowFrameControls(HWND dialog, bool show) {
  if (show == Shown(GetDlgItem(dialog, IDC_PICTURE_FRAME_BAR))) return;
  for (int id : kFrameControls) ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
  if (!show) return;
  FitToControls(dialog);
  // What the new size uncovered is painted now, not over the preview later.
  RedrawWindow(GetParent(dialog), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void ShowFrameNumber(HWND dialog) {
  char text[64];
  std::snprintf(text, sizeof text, "Nr. %ld aus %ld", long(gProgramState.AviFrameIndex),
                long(gProgramState.AviFrameCount));
  SetDlgItemTextA(dialog, IDC_PICTURE_FRAME_NUMBER, text);
}

void FillBlack(HWND area) {
  RECT client;
  GetClientRect(area, &client);
  const HDC dc = GetDC(area);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(area, dc);
}

bool EndsWithAvi(const char* path) {
  const size_t n = std::strlen(path);
  return n >= 4 && (std::strcmp(path + n - 4, ".avi") == 0 || std::strcmp(path + n - 4, ".AVI") == 0);
}

// The extension the loader gets: what follows the path's last ".".
const char* PathExtension(const char* path) {
  const char* dot = std::strrchr(path, '.');
  const char* slash = std::strrchr(path, '\\');
  return dot && (!slash || dot > slash) ? dot : "";
}

void PaintBands(HDC dc, const PicturePreviewFit& fit) {
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  for (int i = 0; i < fit.bandCount; ++i) {
    const PlotRect& b = fit.bands[i];
    Rectangle(dc, b.left, b.top, b.right, b.bottom);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

// Draws the picture of the preview store into the preview area.
void DrawStoredPicture(HWND area) {
  RECT client;
  GetClientRect(area, &client);
  const int32_t w = gPreviewHeader.width, h = gPreviewHeader.height;
  const PicturePreviewFit fit = FitPicturePreview(client.right, client.bottom, w, h, gProgramState.IsOriginal != 0);
  if (!fit.draw) return;
  const HDC dc = GetDC(area);
  if (fit.unscaled) {
    if (const HBITMAP bitmap = CreateDisplayBitmap(dc, gPreviewSamples, &gPreviewHeader, &gProgramState)) {
      BlitBitmap(dc, bitmap, fit.x, fit.y, 0, 0, w, h);
      PaintBands(dc, fit);
      DeleteObject(bitmap);
    }
  } else {
    const int32_t n = fit.reduction;
    if (const HBITMAP bitmap = CreateZoomBitmap(dc, gPreviewSamples, &gPreviewHeader, &gProgramState, n, 0, 0, w / n,
                                                h / n, 0, 0)) {
      PaintBands(dc, fit);
      StretchBitmap(dc, bitmap, fit.x, fit.y, fit.width, fit.height, 0, 0, w / n, h / n);
      DeleteObject(bitmap);
    }
  }
  ReleaseDC(area, dc);
}

UINT_PTR OnInitDone(HWND dialog) {
  ProgramState* ps = &gProgramState;
  if (ps->IsThumbnail)
    ApplyLayout(dialog, kThumbnailLayout);
  else
    FitToControls(dialog);
  CentreWindow(gFrameWindow, GetParent(dialog));
  ps->AviFrameIndex = 0;
  if (ps->ScreenWidth < 800)
    ShowWindow(GetDlgItem(dialog, IDC_PICTURE_THUMBNAIL), SW_HIDE);
  else
    CheckDlgButton(dialog, IDC_PICTURE_THUMBNAIL, ps->IsThumbnail ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_PICTURE_ORIGINAL, ps->IsOriginal ? BST_CHECKED : BST_UNCHECKED);
  return 1;
}

UINT_PTR OnSelectionChange(HWND dialog) {
  ProgramState* ps = &gProgramState;
  const HWND explorer = GetParent(dialog);
  const HWND area = GetDlgItem(dialog, IDC_PICTURE_PREVIEW);
  char spec[kChoiceTextSize] = "", path[kChoiceTextSize] = "";
  if (SendMessageA(explorer, CDM_GETSPEC, sizeof spec, reinterpret_cast<LPARAM>(spec)) <= 0) spec[0] = '\0';
  if (SendMessageA(explorer, CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path)) <= 0) path[0] = '\0';
  spec[sizeof spec - 1] = path[sizeof path - 1] = '\0';
  if (EndsWithAvi(path)) {
    ShowFrameControls(dialog, true);
    if (!ProbeAviFile(path, &ps->AviFrameCount)) {
      FillBlack(area);
      return 1;
    }
    // A shorter video than the one before: its last frame at most.
    ps->AviFrameIndex = ClampFrameIndex(ps->AviFrameIndex, ps->AviFrameCount);
    const HWND bar = GetDlgItem(dialog, IDC_PICTURE_FRAME_BAR);
    SetScrollRange(bar, SB_CTL, 0, ps->AviFrameCount > 0 ? ps->AviFrameCount - 1 : 0, FALSE);
    SetScrollPos(bar, SB_CTL, ps->AviFrameIndex, TRUE);
    ShowFrameNumber(dialog);
  } else {
    ShowFrameControls(dialog, false);
    if (!IsImageFileName(spec)) return 1;
  }
  FreeMem(&gPreviewSamples);
  if (!LoadImageFile(path, PathExtension(path), 0, &gPreviewSamples, &gPreviewHeader, &gPreviewMetadata)) {
    FillBlack(area);
    return 1;
  }
  DrawStoredPicture(area);
  FreeMem(&gPreviewSamples);
  return 1;
}

UINT_PTR OnCommand(HWND dialog, int id) {
  ProgramState* ps = &gProgramState;
  const HWND explorer = GetParent(dialog);
  if (id == IDC_PICTURE_THUMBNAIL) {
    if (ps->ScreenWidth < 800) return 1;
    ps->IsThumbnail = !ps->IsThumbnail;
    CheckDlgButton(dialog, id, ps->IsThumbnail ? BST_CHECKED : BST_UNCHECKED);
    ApplyLayout(dialog, ps->IsThumbnail ? kThumbnailLayout : FullLayout(ps->ScreenWidth));
    CentreWindow(gFrameWindow, explorer);
    Repaint(explorer);
  } else if (id == IDC_PICTURE_ORIGINAL) {
    ps->IsOriginal = !ps->IsOriginal;
    CheckDlgButton(dialog, id, ps->IsOriginal ? BST_CHECKED : BST_UNCHECKED);
    Repaint(explorer);
  }
  OnSelectionChange(dialog);
  return 1;
}

UINT_PTR OnScroll(HWND dialog, WPARAM request, HWND bar) {
  if (!bar || bar != GetDlgItem(dialog, IDC_PICTURE_FRAME_BAR)) return 1;
  ProgramState* ps = &gProgramState;
  int32_t index = ps->AviFrameIndex;
  const int code = LOWORD(request);
  if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
    // The full 32-bit thumb position: the message holds only 16 bits.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    index = GetScrollInfo(bar, SB_CTL, &info) ? info.nTrackPos : int32_t(HIWORD(request));
  } else {
    UpdateScrollPos(&index, kFramePage, ps->AviFrameCount - 1, 0, 0, request);
  }
  ps->AviFrameIndex = ClampFrameIndex(index, ps->AviFrameCount);
  SetScrollPos(bar, SB_CTL, ps->AviFrameIndex, TRUE);
  ShowFrameNumber(dialog);
  OnSelectionChange(dialog);
  return 1;
}

}  // namespace

UINT_PTR DrawPicturePreview(HWND dialog, UINT code) {
  if (code == UINT(CDN_INITDONE)) return OnInitDone(dialog);
  if (code == UINT(CDN_SELCHANGE)) return OnSelectionChange(dialog);
  return 0;
}

UINT_PTR CALLBACK PictureOpenHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY:
      return DrawPicturePreview(dialog, reinterpret_cast<const NMHDR*>(lParam)->code);
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      return OnScroll(dialog, wParam, reinterpret_cast<HWND>(lParam));
    default:
      return 0;
  }
}

int ShowPictureOpenDialog(char* path, char* name, char* directory, char* extension, char* drive,
                          const char* initialDirectory, const char* filter, const char* title, HWND owner) {
  OPENFILENAMEA r = MakeChooserRequest(owner, filter, path, kChooserPathLimit, initialDirectory, title,
                                       OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE |
                                           OFN_ENABLEHOOK | OFN_HIDEREADONLY);
  r.lpTemplateName = PictureTemplate(gProgramState.ScreenWidth);
  r.lpfnHook = PictureOpenHook;
  if (!RunFileDialog(ChooserKind::PictureOpen, &r)) return 0;
  ChosenDirectory(directory, kChoiceTextSize, path, NameOffset(r));
  ChosenExtension(extension, kChoiceExtensionSize, path, ExtensionOffset(r));
  if (!extension[0]) AppendFilterExtension(path, extension, r, false);
  *drive = ChosenDrive(path);
  ChosenName(name, kChoiceTextSize, path, NameOffset(r));
  FoldToLower(name);
  RememberDirectory(directory);
  return 1;
}
