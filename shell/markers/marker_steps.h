// Moving and resizing marks in steps. Every step keeps the elements it is
// about to change as the previous geometry, applies the change and tests the
// result against the visible section (W x H); when the test fails the
// geometry is put back exactly, so a step that would leave the picture does
// nothing. Step sizes are pixels; a negative step size, and a factor or
// divisor of 0 or less, is no step at all. Arithmetic is done wide, so no
// step overflows.
#pragma once

#include <cstdint>

#include "shell/markers/marker_record.h"

// Box marks (kind 4): moves by s.
void MoveBoxMarkerUp(MarkerRecord* record, int32_t s);     // kept while y >= 1
void MoveBoxMarkerDown(MarkerRecord* record, int32_t s);   // kept while y < H - height
void MoveBoxMarkerLeft(MarkerRecord* record, int32_t s);   // kept while x >= 1
void MoveBoxMarkerRight(MarkerRecord* record, int32_t s);  // kept while x < W - width
// Resizing; kept while the box stays at least 1 pixel off the left and top
// and its right and bottom edges stay inside, or (shrinking) while both
// sides keep 2 pixels.
void GrowBoxMarker(MarkerRecord* record, int32_t s);       // s more on every side
void ShrinkBoxMarker(MarkerRecord* record, int32_t s);     // s less on every side
// Moves the corner back by half the old size, then multiplies the size by
// f: the box keeps its centre for f = 2.
void EnlargeBoxMarker(MarkerRecord* record, int32_t f);
// Divides the size by d, then moves the corner on by half the new size: the
// box keeps its centre for d = 2. Kept while both sides keep 2 pixels and
// the box stays in the section (a divisor of 1 would only move it).
void ReduceBoxMarker(MarkerRecord* record, int32_t d);
// w x h about the old centre; also kept only for w, h >= 2.
void SetBoxMarkerSize(MarkerRecord* record, int32_t w, int32_t h);

// The shift point (kind 7): kept while 1 <= x < W and 1 <= y < H.
void MoveShiftMarkerUp(MarkerRecord* record, int32_t s);
void MoveShiftMarkerDown(MarkerRecord* record, int32_t s);
void MoveShiftMarkerLeft(MarkerRecord* record, int32_t s);
void MoveShiftMarkerRight(MarkerRecord* record, int32_t s);

// Boxes seen through the transform (kinds 10 to 12): 1 when the move was
// kept (UpdateQuadMarker accepts the new box), 0 when it was undone.
int MoveQuadMarkerUp(MarkerRecord* record, int32_t s);
int MoveQuadMarkerDown(MarkerRecord* record, int32_t s);
int MoveQuadMarkerLeft(MarkerRecord* record, int32_t s);
int MoveQuadMarkerRight(MarkerRecord* record, int32_t s);

// 1 when the mapped outline of the box (four corners for kinds 10 and 12,
// 26 points of the rounded box for kind 11) lies inside 0..W x 0..H; 0 for
// it leaving the section, for other kinds and for a record without transform.
int UpdateQuadMarker(const MarkerRecord* record);
// The outline UpdateQuadMarker tests, mapped but not rounded: the number of
// points written (4 or 26), 0 for other kinds or where a point cannot be
// mapped.
int MapTransformedOutline(const MarkerRecord* record, double points[26][2]);

// 1 when the rectangles share area; touching edges do not overlap.
int RectanglesOverlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2,
                      int32_t h2);

// box = (minX, minY, maxX, maxY) of n points given as x, y pairs: starting
// from the first point, a point beyond the box widens it to one pixel past
// that point. 1 for two points or more; 0 with the box at the first point
// for one point, and 0 with a box of zeros (nothing read) for none.
int BoundingBoxOfPoints(int32_t box[4], const int32_t* points, int32_t n);

// The rest of the family, one operation per entry, through StepMarker.
// g0..g3 is a box, two-part marks hold a second box A g0..g3, B g4..g7.
enum MarkerStep : int32_t {
  // kind 0: the line at g1; kind 2: the line at g0
  kStepLineUp, kStepLineDown, kStepLineLeft, kStepLineRight,
  // kinds 1 and 3: the first line may not pass the second
  kStepFirstLineUp, kStepFirstLineDown, kStepSecondLineUp, kStepSecondLineDown,
  kStepFirstLineLeft, kStepFirstLineRight, kStepSecondLineLeft, kStepSecondLineRight,
  // kind 4, one side pair at a time (at least 3 pixels remain)
  kStepBoxNarrow, kStepBoxWiden, kStepBoxFlatten, kStepBoxHeighten,
  // two boxes, which may never overlap
  kStepBoxAUp, kStepBoxADown, kStepBoxALeft, kStepBoxARight, kStepBoxAGrow, kStepBoxAShrink,
  kStepBoxANarrow, kStepBoxAWiden, kStepBoxAFlatten, kStepBoxAHeighten,
  kStepBoxBUp, kStepBoxBDown, kStepBoxBLeft, kStepBoxBRight, kStepBoxBGrow, kStepBoxBShrink,
  kStepBoxBNarrow, kStepBoxBWiden, kStepBoxBFlatten, kStepBoxBHeighten,
  // a point (g0, g1) kept 10 pixels off the border
  kStepInnerPointUp, kStepInnerPointDown, kStepInnerPointLeft, kStepInnerPointRight,
  // a point set directly: the argument is the new x or y
  kStepSetPointX, kStepSetPointY,
  // a box with an inner mark at (g4, g5) of g6 x g7 that stays inside it
  kStepOuterBoxUp, kStepOuterBoxDown, kStepOuterBoxLeft, kStepOuterBoxRight, kStepOuterBoxGrow,
  kStepOuterBoxShrink, kStepInnerMarkUp, kStepInnerMarkDown, kStepInnerMarkLeft, kStepInnerMarkRight,
  kStepInnerMarkGrow, kStepInnerMarkShrink,
  // a circle at (g0, g1) with radii g8, g9
  kStepCircleUp, kStepCircleDown, kStepCircleLeft, kStepCircleRight, kStepCircleGrow, kStepCircleShrink,
  kStepCircleNarrow, kStepCircleWiden, kStepCircleFlatten, kStepCircleHeighten,
  // a box g0..g3 beside a circle at (g4, g5) with radii g8, g9
  kStepPairBoxUp, kStepPairBoxDown, kStepPairBoxLeft, kStepPairBoxRight, kStepPairCircleUp, kStepPairCircleDown,
  kStepPairCircleLeft, kStepPairCircleRight, kStepPairCircleGrow, kStepPairCircleShrink, kStepPairBoxNarrow,
  kStepPairBoxWiden, kStepPairBoxFlatten, kStepPairBoxHeighten,
  // boxes seen through the transform, kept when UpdateQuadMarker accepts and
  // the sides keep what a box's sides keep (2 pixels, 3 for one side pair)
  kStepQuadGrow, kStepQuadShrink, kStepQuadNarrow, kStepQuadWiden, kStepQuadFlatten, kStepQuadHeighten,
  kMarkerStepCount
};

// One step of the family with step size (or new coordinate) a: 1 kept, 0
// undone or no step.
int StepMarker(MarkerRecord* record, MarkerStep step, int32_t a);
// A transformed box of w x h (at least 2 x 2) about its centre; 1 kept, 0 undone.
int SetQuadMarkerSize(MarkerRecord* record, int32_t w, int32_t h);
// Turns the record's angle by the given degrees (either sign); no test.
void TurnMarker(MarkerRecord* record, double degrees);
