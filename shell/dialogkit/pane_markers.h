// Marks (shell/markers/) over a preview pane. A dialog keeps its mark in
// pixels of the whole picture: the mark's visible section is the picture
// itself, and at every paint the pane tells where the picture lies in the
// control and at which reduction, so the mark follows scrolling and "-"/"+"
// without being moved.
//
//   WM_INITDIALOG:  InitShiftMarker(PaneMarkerView(&gPane), -1, -1, w, h, green, 1.0, 0, &gMark);
//                   SetPreviewOverlay(&gPane, DrawMark, nullptr);
//   DrawMark:       PlaceMarkerOnPane(&gMark, dc, map); DrawShiftMarker(&gMark);
//   a click:        PreviewPointToPicture(&gPane, point, &picture) gives the mark's pixels.
#pragma once

#include <windows.h>

#include "preview_pane.h"
#include "shell/markers/marker_drawing.h"

// The pane's control as the view a mark is set up for (its client size).
MarkerView PaneMarkerView(const PreviewPane* pane);

// Puts the mark on the bitmap the pane shows: origin, zoom 1 / reduction, the
// control's client area as the drawing bounds and dc to draw into.
void PlaceMarkerOnPane(MarkerRecord* record, HDC dc, const PreviewMapping* map);
