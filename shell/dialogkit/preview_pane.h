// The picture preview of a dialog: a frame control that shows a bitmap of
// the visible section of a picture reduced by 1..32, with its two scroll
// bars and the "-" and "+" buttons. The pane paints the control itself (the
// frame may be any static control), black while it has no bitmap, owns its
// bitmap (a new one deletes the old), turns a point of the dialog into
// picture pixels through the control's real position, and lets the dialog
// draw a marker overlay through a callback. WM_PRINTCLIENT draws the same
// into a device context of the caller's (a test reads it back there).
//
// The bitmap always shows the section that starts at PreviewSectionOrigin()
// (reduced pixels); the dialog makes it after every change, e.g.
//
//   static int32_t sReduction = 1;       // kept from one opening to the next
//   constexpr PreviewPaneSpec kPane = {IDC_PREVIEW, IDC_HSCROLL, IDC_VSCROLL, IDC_MINUS, IDC_PLUS, IDC_STATUS};
//   PreviewPane gPane;
//
//   WM_INITDIALOG:  InitPreviewPane(&gPane, &kPane, dialog, &sReduction);
//                   SetPreviewPicture(&gPane, &size);
//                   Refresh();            // SetPreviewBitmap(&gPane, CreateZoomBitmap(dc, samples, &h, ps,
//                                         //   *gPane.reduction, x0, y0, gPane.viewW, gPane.viewH, ...))
//   WM_COMMAND:     if (HandlePreviewButton(&gPane, id)) Refresh();
//   WM_HSCROLL/WM_VSCROLL: if (HandlePreviewScroll(&gPane, (HWND)lParam, wParam)) Refresh();
//   way out:        FreePreviewPane(&gPane) (or DialogFrameOwnGdi(&frame, &gPane.bitmap))
//
// A failed preview is reported with ShowPreviewStatus (into the status
// control), never with a message box: painting must not open one.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"

constexpr int32_t kMaxReduction = 32;
constexpr int32_t kPreviewScrollPage = 8;

struct PreviewPaneSpec {
  int preview;          // the frame control
  int hScroll, vScroll; // its scroll bars (0: none)
  int minus, plus;      // "-" more reduction, "+" less (0: none)
  int status;           // text control for failures (0: none)
};

// Where the bitmap lies, for an overlay: the section of the picture it shows
// starts at picture pixel (sectionX, sectionY) and every bitmap pixel covers
// reduction x reduction picture pixels; bitmap pixel (0, 0) is at (left, top)
// of the control's client area (negative when the bitmap is larger).
struct PreviewMapping {
  RECT client;
  int32_t left, top;
  int32_t width, height;       // of the bitmap
  int32_t sectionX, sectionY;
  int32_t reduction;
};

using PreviewOverlay = void (*)(void* context, HDC dc, const PreviewMapping* map);

struct PreviewPane {
  const PreviewPaneSpec* spec;
  HWND dialog;
  int32_t* reduction;          // the dialog's own, 1..32
  bool hasPicture;
  SIZE picture;
  int32_t posX, rangeX, posY, rangeY, viewW, viewH;
  HBITMAP bitmap;
  PreviewOverlay overlay;
  void* overlayContext;
};

// Takes over the control's painting; no picture yet. reduction is limited to 1..32.
void InitPreviewPane(PreviewPane* pane, const PreviewPaneSpec* spec, HWND dialog, int32_t* reduction);
// Size of the picture (null: none): scroll bars and buttons as
// SetPreviewScrollBars sets them for the current reduction.
void SetPreviewPicture(PreviewPane* pane, const SIZE* picture);
// "-" or "+": 1 when id is one of them (reduction changed within 1..32 and the bars set anew).
int HandlePreviewButton(PreviewPane* pane, int id);
// A scroll message of the pane's bars: page 8, within the range; 1 when it was one.
int HandlePreviewScroll(PreviewPane* pane, HWND bar, WPARAM request);
// First shown column and row of the reduced picture.
POINT PreviewSectionOrigin(const PreviewPane* pane);
// Takes the bitmap (may be null) and repaints; the previous one is deleted.
void SetPreviewBitmap(PreviewPane* pane, HBITMAP bitmap);
// The visible section of a whole picture (samples of the header's size, as
// SetPreviewPicture was told) at the pane's reduction as its bitmap: 1, or 0
// with the pane black when there are no samples or no bitmap could be made.
int ShowPreviewSamples(PreviewPane* pane, const int16_t* samples, const ImageHeader* header);
// Paints the pane again (after its overlay changed).
void RedrawPreview(PreviewPane* pane);
// Draws through the callback after each paint (null: none).
void SetPreviewOverlay(PreviewPane* pane, PreviewOverlay overlay, void* context);
// Enables the bars and buttons as SetPreviewPicture would (on) or disables
// them all (off, "Vorschau abschalten").
void EnablePreviewControls(PreviewPane* pane, bool on);
// Text into the status control ("" clears it).
void ShowPreviewStatus(PreviewPane* pane, const char* text);
// A point in the dialog's client coordinates as picture pixels: 1 when it
// lies on the bitmap.
int PreviewPointToPicture(const PreviewPane* pane, POINT inDialog, POINT* picture);
// The placement of the current bitmap (false without one).
bool GetPreviewMapping(const PreviewPane* pane, PreviewMapping* map);
// Deletes the bitmap and gives the control its own painting back.
void FreePreviewPane(PreviewPane* pane);
// The pane of a dialog while it lives (tests, overlays).
PreviewPane* PreviewPaneOf(HWND dialog);
