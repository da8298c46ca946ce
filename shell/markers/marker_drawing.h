// The window side of the marks: initialisers that take the preview window
// and its DC (the client size is read from the window), and the drawing of a
// mark into the record's DC. Drawing is clipped to the client area less its
// first row and column, with solid pens one pixel wide; the DC's clip region,
// pen and brush are left as they were.
#pragma once

#include <windows.h>

#include "shell/markers/marker_record.h"
#include "shell/markers/marker_steps.h"
#include "shell/markers/marker_strokes.h"

// The view of a preview window: the window, the DC and the client size.
MarkerView MarkerViewOf(HWND window, HDC dc);

int InitBoxMarker(HWND window, HDC dc, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                  int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, int32_t shape, int32_t gridCount,
                  COLORREF colour, double zoom, int32_t userValue, MarkerRecord* record);
int InitShiftMarker(HWND window, HDC dc, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, COLORREF colour, double zoom, int32_t userValue, MarkerRecord* record);
int InitQuadMarker(HWND window, HDC dc, int32_t originX, int32_t originY, int32_t visibleWidth,
                   int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, COLORREF colour, double scale,
                   int32_t outline, double angle, double xPixelScale, double yPixelScale, double zoom,
                   int32_t userValue, MarkerRecord* record);
void InitMarkerForView(HWND window, SIZE imageSize, MarkerRecord* record);

// Box marks by their shape.
void DrawMarker(const MarkerRecord* record);
// The shift point's lines across the section.
void DrawShiftMarker(const MarkerRecord* record);
// Kind 12 through its transform; then the transform is kept as its saved copy.
void DrawQuadMarker(MarkerRecord* record);

// The other kinds.
void DrawHorizontalLineMarker(const MarkerRecord* record);
void DrawHorizontalLinesMarker(const MarkerRecord* record);
void DrawVerticalLineMarker(const MarkerRecord* record);
void DrawVerticalLinesMarker(const MarkerRecord* record);
void DrawTwoBoxMarker(const MarkerRecord* record);
void DrawEllipseMarker(const MarkerRecord* record);
void DrawPointMarker(const MarkerRecord* record);
void DrawCircleBoxMarker(const MarkerRecord* record);
void DrawTransformedMarker(const MarkerRecord* record);
void DrawSphereMarker(const MarkerRecord* record);
