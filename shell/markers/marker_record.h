// A mark over a dialog's picture preview: its geometry in pixels of the
// visible picture section, where that section lies in the preview window and
// at which zoom, and the pens it is drawn with. The geometry is platform-free;
// marker_drawing.h adds the window side (client size, drawing into a DC).
//
// Geometry by kind (g = geometry, W x H = visible section):
//   0  one horizontal line      g1 = y
//   1  two horizontal lines     g1, g5
//   2  one vertical line        g0 = x
//   3  two vertical lines       g0, g4
//   4  box                      g0, g1 = x, y; g2, g3 = width, height
//                               (two boxes side by side: second box g4..g7)
//   5  box with a point         box g0..g3, point g8, g9
//   6  point                    g0, g1
//   7  point with cross lines   g0, g1 (the shift point)
//   8  frame and inner box      outer g0..g3, inner g4..g7
//   9  box with a circle        box g0..g3, radii g8, g9 (a circle alone: centre g0, g1)
//   10 box through the transform, 11 the same with half-circle ends,
//   12 box through the rotation-and-scale transform: g0..g3
//   13 centre with radii        box g0..g3, centre g4, g5, radii g6..g9
#pragma once

#include <cstdint>

constexpr int kMarkerGeometrySize = 10;
constexpr int kMarkerTailSize = 15;

enum MarkerKind : int32_t {
  kMarkerHorizontalLine = 0,
  kMarkerHorizontalLines = 1,
  kMarkerVerticalLine = 2,
  kMarkerVerticalLines = 3,
  kMarkerBox = 4,
  kMarkerBoxWithPoint = 5,
  kMarkerPoint = 6,
  kMarkerShiftPoint = 7,
  kMarkerFrame = 8,
  kMarkerCircle = 9,
  kMarkerTransformedBox = 10,
  kMarkerTransformedRoundBox = 11,
  kMarkerQuad = 12,
  kMarkerSphere = 13,
};

// How DrawMarker draws a box mark.
enum MarkerShape : int32_t {
  kShapeOutline = 0,
  kShapePointGrid = 1,       // gridCount x gridCount small circles
  kShapeVerticalGrid = 2,    // gridCount vertical lines
  kShapeHorizontalGrid = 3,  // gridCount horizontal lines
  kShapeVerticalCentre = 4,
  kShapeHorizontalCentre = 5,
};

struct MarkerRecord {
  int32_t geometry[kMarkerGeometrySize];
  int32_t previous[kMarkerGeometrySize];   // before the last step; steps restore from it
  int32_t originX, originY;                 // client position of the section's top left pixel
  int32_t visibleWidth, visibleHeight;      // the bounds of every step
  int32_t clientRight, clientBottom;        // client width - 1, height - 1
  int32_t inset;                            // border distance of kind 8
  double zoom;                              // screen pixels per picture pixel
  int32_t userValue;                        // the dialog's own; markers never use it
  void* window;                             // HWND of the preview; the geometry never touches it
  void* dc;                                 // HDC drawn into, owned by the dialog
  uint32_t colour;                          // COLORREF of the first element
  uint32_t secondColour;                    // COLORREF of the second element of two-part marks
  int32_t kind;                             // MarkerKind
  int32_t shape;                            // MarkerShape of box marks
  int32_t gridCount;                        // lines or points of the grid shapes
  // Kind 12: the transform (4 x 4, AllocMatrix) and its saved copy belong
  // to the record; the dialog frees both with FreeMatrix when it closes.
  double scale;
  int32_t outline;                          // 1: the outline when scale > 1, else the centre lines
  double angle;                             // radians
  double xPixelScale, yPixelScale;
  double** transform;
  double** savedTransform;
  // Kinds 9 and 13: values kept for the dialog (kind 13: the further value first).
  int32_t tail[kMarkerTailSize];
};

// The preview a mark is set up for: the window and DC (HWND and HDC, kept
// only) and the window's client size.
struct MarkerView {
  void* window;
  void* dc;
  int32_t clientWidth;
  int32_t clientHeight;
};

// Initialisers. Each stores the view (window, DC, client size), the visible
// section, colours, zoom and userValue, clears the rest of the geometry, sets
// the kind's geometry and makes previous equal to it; they return 1. Origins
// are passed one less than they are meant where the name says "Less1".

// Kind 4: a box of boxWidth x boxHeight centred in the section, drawn as shape
// with gridCount lines or points; secondColour 0.
int InitBoxMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                  int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, int32_t shape, int32_t gridCount,
                  uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record);
// Kind 7: the point in the middle of the section; secondColour 0.
int InitShiftMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record);
// Kind 12: allocates the transform and its copy, builds the transform from
// angle (radians), scale and the pixel scales; a box of at most boxWidth x
// boxHeight centred; the origin as passed. 0, with both matrices freed, when
// memory fails or the transform cannot be built.
int InitQuadMarker(const MarkerView& view, int32_t originX, int32_t originY, int32_t visibleWidth,
                   int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, uint32_t colour, double scale,
                   int32_t outline, double angle, double xPixelScale, double yPixelScale, double zoom,
                   int32_t userValue, MarkerRecord* record);
// New transform parameters for a kind-12 mark: 1 with the box reset to the
// whole section; 0 (transform, parameters and box unchanged) when the
// transform cannot be built or the record has none. `unused` is ignored.
int SetQuadMarkerParams(double scale, int32_t unused, double angle, double xPixelScale, double yPixelScale,
                        MarkerRecord* record);

// The other kinds; none of the program's dialogs uses them yet.
int InitHorizontalLineMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1,
                             int32_t visibleWidth, int32_t visibleHeight, uint32_t colour, double zoom,
                             int32_t userValue, MarkerRecord* record);
int InitHorizontalLinesMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1,
                              int32_t visibleWidth, int32_t visibleHeight, uint32_t colour, uint32_t secondColour,
                              double zoom, int32_t userValue, MarkerRecord* record);
int InitVerticalLineMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                           int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue,
                           MarkerRecord* record);
int InitVerticalLinesMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1,
                            int32_t visibleWidth, int32_t visibleHeight, uint32_t colour, uint32_t secondColour,
                            double zoom, int32_t userValue, MarkerRecord* record);
// Kind 4 with box A (w1 x h1) in the left and box B (w2 x h2) in the right
// half; widths above W/2 become W/2, heights above H become H/2. The origin
// as passed; the client size is not taken.
int InitTwoBoxMarker(const MarkerView& view, int32_t originX, int32_t originY, int32_t visibleWidth,
                     int32_t visibleHeight, int32_t width1, int32_t height1, int32_t width2, int32_t height2,
                     uint32_t colour, uint32_t secondColour, double zoom, int32_t userValue, MarkerRecord* record);
int InitBoxPointMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                       int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record);
int InitPointMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record);
int InitFrameMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, int32_t inset, uint32_t colour, double zoom, int32_t userValue,
                    MarkerRecord* record);
// Kind 9: centre in the middle, both radii min(W, H)/6; `tail` (15 values or
// null) is kept in the record.
int InitCircleMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                     int32_t visibleHeight, uint32_t colour, uint32_t secondColour, const int32_t* tail, double zoom,
                     int32_t userValue, MarkerRecord* record);
// Kind 13: a box of at most a x b centred, the centre in the middle, radii
// g6 = g8 = min(c, W/2), g7 = g9 = min(d, H/2); the origin as passed;
// `further` goes to tail[0] (the tilt of the graticule in degrees).
int InitSphereMarker(const MarkerView& view, int32_t originX, int32_t originY, int32_t visibleWidth,
                     int32_t visibleHeight, int32_t a, int32_t b, int32_t c, int32_t d, int32_t further,
                     uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record);

// Places a picture of imageWidth x imageHeight in the view: centred where it
// is smaller (origin not below 0), the visible section limited to the client
// area; then the default geometry of the record's kind in current and
// previous. Kinds 10 to 13 and the elements a kind does not name keep theirs.
void InitMarkerForView(const MarkerView& view, int32_t imageWidth, int32_t imageHeight, MarkerRecord* record);

// Origin of the visible section for the record's zoom: per axis centred
// where the section is narrower than the client area at that zoom, else
// minus the scroll position. A zoom not above 0 leaves the origin as it is.
void CentreImageInView(MarkerRecord* record, int32_t scrollX, int32_t scrollY);

// Client coordinate of picture coordinate v: floor(v * zoom + 0.5) + origin,
// kept inside the range GDI accepts.
int32_t MarkerToClient(double v, double zoom, int32_t origin);

// Picture point (x, y) of the section mapped through a kind-10..12 record's
// transform (the section as source and target): 1 with *mx, *my set, 0
// without a transform or where the transform has no image of the point.
int MapMarkerPoint(const MarkerRecord* record, double x, double y, double* mx, double* my);
