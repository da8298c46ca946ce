// What the set-up dialogs share to show a picture: a preview bitmap painted
// into a frame control (centred between black margins, or scrolled), its
// scroll bars and zoom buttons, histogram and contrast-curve plots, bitmap
// copies and small edit/slider helpers. The geometry is in preview_geometry.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "preview_geometry.h"
#include "program_state.h"

// Paints the bitmap into the control's client area: centred between black
// margins where it is smaller, from (scrollX, scrollY) where it is larger;
// all black without a bitmap. hdc is a device context of the control (null:
// the control's own is taken). With clipToClient 0 the bottom 20 pixels stay
// out of the area, otherwise drawing is clipped to the client area.
void PaintPreview(HWND control, HDC hdc, HBITMAP bitmap, int32_t scrollX, int32_t scrollY, int clipToClient);

// Scroll bars and zoom buttons of a zoomable preview for a picture of
// imageSize (null: no picture) at 1:zoom. The view is the preview's client
// area less 2 pixels; an axis on which the reduced picture is larger gets its
// bar enabled and centred, the other its bar disabled at 0. The "-" button
// (more reduction) is enabled while the picture exceeds the view, the "+"
// button while zoom >= 2. Outputs are 0 without a picture.
void SetPreviewScrollBars(int32_t* posX, int32_t* rangeX, int32_t* posY, int32_t* rangeY, int32_t* viewW,
                          int32_t* viewH, HWND dialog, int previewId, int hScrollId, int vScrollId,
                          int minusButtonId, int plusButtonId, const SIZE* imageSize, int32_t zoom);
// The same without buttons; larger axes start at 0, a smaller axis gets the
// offset that centres the picture as its position.
void SetPreviewScrollBarsAtOrigin(int32_t* posX, int32_t* rangeX, int32_t* posY, int32_t* rangeY, int32_t* viewW,
                                  int32_t* viewH, HWND dialog, int previewId, int hScrollId, int vScrollId,
                                  const SIZE* imageSize, int32_t zoom);

// Histogram of counts[firstBin..endBin-1] as a filled polygon in the colour
// of channel 0 grey, 1 red, 2 green, 3 blue on dark blue, on a logarithmic
// scale. 1 drawn, 0 without control or counts or when memory fails.
int DrawHistogram(HWND control, int32_t firstBin, int32_t endBin, const uint32_t* counts, int channel);
int PaintHistogram(HDC hdc, const RECT* client, int32_t firstBin, int32_t endBin, const uint32_t* counts,
                   int channel);

// A contrast curve of n points in amber, with withGrid on navy with green
// grid lines every gridStepX and gridStepY. 1 drawn (also when there is
// nothing to scale), 0 when memory fails.
int DrawContrastCurve(HWND control, int swapAxes, int32_t n, const double* x, const double* y, double yMin,
                      double yMax, double gridStepX, double gridStepY, int penWidth, int withGrid);
int PaintContrastCurve(HDC hdc, const RECT* client, int swapAxes, int32_t n, const double* x, const double* y,
                       double yMin, double yMax, double gridStepX, double gridStepY, int penWidth, int withGrid);

// The whole bitmap at (x, y).
void DrawBitmapAt(HDC hdc, HBITMAP bitmap, int x, int y);
// StretchBlt of srcW x srcH into dstW x dstH, the aspect not kept.
void StretchBitmapPlain(HDC hdc, HBITMAP bitmap, int dstX, int dstY, int dstW, int dstH, int srcX, int srcY,
                        int srcW, int srcH);

// Reads a number typed into edit editId, limits it to min..max, puts the
// scroll bar (range rangeMin..rangeMax) on it, writes it back ("%ld %s" with
// the unit) and stores it in *value.
void SyncSliderFromEditLong(HWND dialog, int editId, int32_t rangeMin, int32_t rangeMax, HWND scrollBar,
                            int32_t* value, int32_t min, int32_t max, const char* unit);
// The same for a real number: the bar's position is the value scaled from
// min..max to rangeMin..rangeMax, and the value is rounded to the bar's
// steps; written back with format (default "%3.1lf").
void SyncSliderFromEditDouble(HWND dialog, int editId, int32_t rangeMin, int32_t rangeMax, HWND scrollBar,
                              double* value, double min, double max, const char* format);

// A bitmap compatible with hdc (monochrome without one); mode 4 sets the
// bits of the device-independent bitmap into it.
HBITMAP CreateCompatibleFromDib(HDC hdc, SIZE size, int mode, const void* bits, const BITMAPINFO* info, UINT usage);

// Display bitmap of picture A over picture B shifted by ps->OverlayShift.
HBITMAP CreateShiftOverlayBitmap(HDC hdc, const int16_t* samplesA, const int16_t* samplesB, const ImageHeader* h,
                                 const ProgramState* ps);
