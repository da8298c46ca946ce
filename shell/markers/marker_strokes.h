// What a mark looks like in the preview's client coordinates: polylines and
// ellipses in one of the record's two pens. Platform-free, so the geometry of
// the drawing is tested natively; marker_drawing.h puts the strokes into a DC.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/markers/marker_record.h"

struct MarkerPoint {
  int32_t x, y;
};

struct MarkerStroke {
  int32_t pen;       // 0 the record's colour, 1 its secondColour
  bool ellipse;      // points[0], points[1] bound an ellipse drawn hollow
  std::vector<MarkerPoint> points;   // otherwise a polyline through them
};

enum MarkerDrawing : int32_t {
  kDrawBoxShape,         // box g0..g3 as the record's shape (DrawMarker)
  kDrawShiftCross,       // lines across the section through (g0, g1)
  kDrawQuad,             // kind 12: outline or centre lines through the transform
  kDrawHorizontalLine,   // across the section at g1
  kDrawHorizontalLines,  // at g1 and, second pen, g5
  kDrawVerticalLine,     // at g0
  kDrawVerticalLines,    // at g0 and, second pen, g4
  kDrawTwoBoxes,         // g0..g3 and, second pen, g4..g7
  kDrawEllipse,          // centre (g0, g1), radii g8, g9
  kDrawPointCross,       // two short lines through (g0, g1)
  kDrawCircleAndBox,     // second pen circle at (g4, g5) with radii g8, g9; box g0..g3
  kDrawTransformed,      // kinds 10 and 11: the mapped outline, closed
  kDrawSphere,           // kind 13: limb and graticule about (g4, g5), radii g6, g7
};

// The strokes of one drawing of the record; empty where there is nothing to
// draw (a grid of no lines, a record without transform).
std::vector<MarkerStroke> PlanMarkerDrawing(const MarkerRecord* record, MarkerDrawing drawing);
