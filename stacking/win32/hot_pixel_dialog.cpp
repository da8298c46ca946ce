#include "stacking/win32/hot_pixel_dialog.h"

#include <cstdio>

#include "imageio/picture_files.h"
#include "imageio/picture_formats.h"
#include "imagelib/hot_pixels.h"
#include "shell/choosers/file_choosers.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"
#include "shell/previews.h"
#include "shell/scroll_bars.h"
#include "stacking/frame/hot_pixel_file.h"
#include "stacking/frame/hot_pixel_learning.h"
#include "stacking/win32/hot_pixel_commands.h"
#include "stacking/win32/hot_pixel_ids.h"

namespace {

constexpr int32_t kTop = 32767;
constexpr int32_t kThresholdPage = 100;
constexpr int32_t kCrossArm = 5;   // pixels each way from the centre

// A threshold's bar, number and label; red (or grey) first.
struct ThresholdControls {
  int bar, text, label;
};
constexpr ThresholdControls kThresholds[3] = {{IDC_HOT_RED_BAR, IDC_HOT_RED_TEXT, IDC_HOT_RED_LABEL},
                                              {IDC_HOT_GREEN_BAR, IDC_HOT_GREEN_TEXT, IDC_HOT_GREEN_LABEL},
                                              {IDC_HOT_BLUE_BAR, IDC_HOT_BLUE_TEXT, IDC_HOT_BLUE_LABEL}};

// What the dialog holds while it is open (one at a time).
struct Learning {
  int16_t* picture = nullptr;
  ImageHeader header{};
  HotPixelList* list = nullptr;
  bool saved = false;
  int32_t thresholds[3] = {0, 0, 0};
  int32_t zoom = 1;
  int32_t scrollX = 0, rangeX = 0, scrollY = 0, rangeY = 0, viewW = 0, viewH = 0;
};
Learning gLearning;

void FreeLearning() {
  FreeMem(&gLearning.picture);
  FreeMem(&gLearning.list);
  gLearning = Learning{};
}

bool Colour() { return gLearning.header.colourType == kColourRgb; }

void ShowThresholds(HWND dialog) {
  for (int c = 0; c < 3; ++c) {
    const HWND bar = GetDlgItem(dialog, kThresholds[c].bar);
    SetScrollRange(bar, SB_CTL, 0, kTop, FALSE);
    SetScrollPos(bar, SB_CTL, gLearning.thresholds[c], TRUE);
    SetDlgItemInt(dialog, kThresholds[c].text, UINT(gLearning.thresholds[c]), FALSE);
  }
}

// Grey pictures have one threshold, called so.
void ShowChannels(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_HOT_RED_LABEL, Colour() ? "Rote Schwelle" : "Schwellwert");
  for (int c = 1; c < 3; ++c)
    for (int id : {kThresholds[c].bar, kThresholds[c].text, kThresholds[c].label})
      ShowWindow(GetDlgItem(dialog, id), Colour() ? SW_SHOW : SW_HIDE);
}

void Repaint(HWND dialog) { InvalidateRect(GetDlgItem(dialog, IDC_HOT_PREVIEW), nullptr, FALSE); }

void Learn(HWND dialog) {
  FreeMem(&gLearning.list);
  gLearning.saved = false;
  if (gLearning.picture) {
    const int32_t* t = gLearning.thresholds;
    FindHotPixels(gLearning.picture, &gLearning.header, t[0], Colour() ? t[1] : 0, Colour() ? t[2] : 0,
                  &gLearning.list);
  }
  Repaint(dialog);
}

void SetBars(HWND dialog) {
  const SIZE size = {gLearning.header.width, gLearning.header.height};
  SetPreviewScrollBars(&gLearning.scrollX, &gLearning.rangeX, &gLearning.scrollY, &gLearning.rangeY,
                       &gLearning.viewW, &gLearning.viewH, dialog, IDC_HOT_PREVIEW, IDC_HOT_HSCROLL, IDC_HOT_VSCROLL,
                       IDC_HOT_ZOOM_OUT, IDC_HOT_ZOOM_IN, gLearning.picture ? &size : nullptr, gLearning.zoom);
}

void Automatic(HWND dialog) {
  if (!gLearning.picture) return;
  AutomaticHotPixelThresholds(gLearning.picture, &gLearning.header, gLearning.thresholds);
  ShowThresholds(dialog);
  Learn(dialog);
}

void LoadDarkPicture(HWND dialog) {
  ProgramState* ps = &gProgramState;
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  if (ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureOpenFilter,
                            "Hotpixelaufnahme aus Datei laden ...", dialog) != 1)
    return;
  int16_t* samples = nullptr;
  ImageHeader header;
  ImageMetadata metadata;
  InitImageHeader(&header);
  InitImageMetadata(&metadata);
  if (!LoadImageFile(f.Path, f.Extension, 1, &samples, &header, &metadata)) {
    ShowMessageBox(dialog, "Laden des Hotpixelbildes nicht möglich !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  FreeMem(&gLearning.picture);
  gLearning.picture = samples;
  gLearning.header = header;
  RECT preview;
  GetClientRect(GetDlgItem(dialog, IDC_HOT_PREVIEW), &preview);
  gLearning.zoom = PreviewReduction(header.width, preview.right);
  SetBars(dialog);
  ShowChannels(dialog);
  Automatic(dialog);
}

// The visible section of the picture, then a cross on every hot pixel in
// the colour of its channel (the preview frame is drawn by its owner).
void PaintLearning(HWND control, HDC dc) {
  const Learning& g = gLearning;
  HBITMAP bitmap = g.picture ? CreateZoomBitmap(dc, g.picture, &g.header, &gProgramState, g.zoom, g.scrollX,
                                                g.scrollY, g.viewW, g.viewH, g.rangeX, g.rangeY)
                             : nullptr;
  PaintPreview(control, dc, bitmap, 0, 0, 1);
  if (bitmap && g.list) {
    BITMAP info = {};
    GetObject(bitmap, sizeof info, &info);
    RECT client;
    GetClientRect(control, &client);
    // A section smaller than the preview stands in its middle.
    const int32_t ox = info.bmWidth < client.right ? (client.right - info.bmWidth) / 2 : 0;
    const int32_t oy = info.bmHeight < client.bottom ? (client.bottom - info.bmHeight) / 2 : 0;
    static const COLORREF kColours[4] = {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    HPEN pens[4];
    for (int c = 0; c < 4; ++c) pens[c] = CreatePen(PS_SOLID, 1, kColours[c]);
    const HGDIOBJ old = SelectObject(dc, pens[0]);
    const HotPixelEntry* e = HotPixelEntries(g.list);
    for (int32_t i = 0; i < g.list->count; ++i) {
      const int32_t x = e[i][1] / g.zoom - g.scrollX + ox, y = e[i][2] / g.zoom - g.scrollY + oy;
      SelectObject(dc, pens[e[i][0] & 3]);
      MoveToEx(dc, x - kCrossArm, y, nullptr);
      LineTo(dc, x + kCrossArm + 1, y);
      MoveToEx(dc, x, y - kCrossArm, nullptr);
      LineTo(dc, x, y + kCrossArm + 1);
    }
    SelectObject(dc, old);
    for (HPEN pen : pens) DeleteObject(pen);
  }
  if (bitmap) DeleteObject(bitmap);
}

// Asks for a name and writes the list; CurrentPath stays. 1 written, 0
// cancelled, -1 the file could not be written.
int SaveList(HWND dialog) {
  if (!gLearning.list) return 0;
  ProgramState* ps = &gProgramState;
  char current[kPathSize];
  std::snprintf(current, sizeof current, "%s", ps->CurrentPath);
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  const int chosen = ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, current, kHotPixelFilter,
                                        "Hotpixelliste speichern ...", dialog);
  std::snprintf(ps->CurrentPath, sizeof ps->CurrentPath, "%s", current);
  if (chosen != 1) return 0;
  if (!WriteHotPixelFile(f.Path, gLearning.list)) {
    ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "Hotpixelliste %s\nist nicht zu speichern !", f.Path);
    return -1;
  }
  gLearning.saved = true;
  return 1;
}

void OnThresholdBar(HWND dialog, HWND bar, WPARAM request) {
  for (int c = 0; c < 3; ++c) {
    if (GetDlgItem(dialog, kThresholds[c].bar) != bar) continue;
    UpdateScrollPos(&gLearning.thresholds[c], kThresholdPage, kTop, 0, 0, request);
    ShowThresholds(dialog);
    Learn(dialog);
    return;
  }
}

void OnPreviewBar(HWND dialog, bool horizontal, WPARAM request) {
  int32_t* position = horizontal ? &gLearning.scrollX : &gLearning.scrollY;
  const int32_t range = horizontal ? gLearning.rangeX : gLearning.rangeY;
  UpdateScrollPos(position, 8, range, 0, 0, request);
  SetScrollPos(GetDlgItem(dialog, horizontal ? IDC_HOT_HSCROLL : IDC_HOT_VSCROLL), SB_CTL, *position, TRUE);
  Repaint(dialog);
}

void OnZoom(HWND dialog, int step) {
  const int32_t zoom = gLearning.zoom + step;
  gLearning.zoom = zoom < 1 ? 1 : zoom > 32 ? 32 : zoom;
  SetBars(dialog);
  Repaint(dialog);
}

void End(HWND dialog, INT_PTR result) {
  if (result)
    CommitProgramState(&gProgramState);
  else
    RestoreProgramState(&gProgramState);
  FreeLearning();
  EndDialog(dialog, result);
}

BOOL OnInit(HWND dialog) {
  ProgramState* ps = &gProgramState;
  BackupProgramState(ps);
  ps->TargetBuffer = ps->ActiveBuffer;
  FreeLearning();
  ShowThresholds(dialog);
  SetBars(dialog);
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK HotPixelMaskDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_HSCROLL: {
      const HWND bar = reinterpret_cast<HWND>(lParam);
      if (bar == GetDlgItem(dialog, IDC_HOT_HSCROLL))
        OnPreviewBar(dialog, true, wParam);
      else
        OnThresholdBar(dialog, bar, wParam);
      return TRUE;
    }
    case WM_VSCROLL:
      OnPreviewBar(dialog, false, wParam);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_HOT_PICTURE: LoadDarkPicture(dialog); return TRUE;
        case IDC_HOT_AUTOMATIC: Automatic(dialog); return TRUE;
        case IDC_HOT_ZOOM_IN: OnZoom(dialog, -1); return TRUE;
        case IDC_HOT_ZOOM_OUT: OnZoom(dialog, 1); return TRUE;
        case IDC_HOT_SAVE: SaveList(dialog); return TRUE;
        case IDC_HOT_ACCEPT:
          // A list not yet saved is offered for saving; a cancelled chooser
          // still closes, a file that cannot be written does not.
          if (gLearning.list && !gLearning.saved && SaveList(dialog) < 0) return TRUE;
          End(dialog, 1);
          return TRUE;
        case IDC_HOT_CANCEL:
        case IDCANCEL:
          End(dialog, 0);
          return TRUE;
      }
      return FALSE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != IDC_HOT_PREVIEW) return FALSE;
      PaintLearning(item->hwndItem, item->hDC);
      return TRUE;
    }
  }
  return FALSE;
}
