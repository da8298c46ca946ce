// Geometry of the dialog previews and plots, platform-free: where a preview
// bitmap and its black margins go, how the preview's scroll bars are set,
// which section of a picture a zoomed preview shows, and the point lists of
// the histogram and contrast-curve plots. The Windows side only draws them.
#pragma once

#include <cstdint>
#include <vector>

#include "imagelib/image.h"

// Rectangle as passed to GDI's Rectangle: with the null pen it fills
// left..right-1 x top..bottom-1.
struct PlotRect {
  int32_t left, top, right, bottom;
};

struct PlotPoint {
  int32_t x, y;
};

// Painting of a preview bitmap of w x h into an area of W x H: black bands
// first, then the part of the bitmap from (srcX, srcY) at (dstX, dstY).
struct PreviewPlan {
  int bandCount;
  PlotRect bands[4];
  bool blit;
  int32_t dstX, dstY, srcX, srcY, width, height;
};
// haveBitmap false: the whole area black. Scroll offsets are used as given.
PreviewPlan PlanPreview(int32_t areaW, int32_t areaH, bool haveBitmap, int32_t w, int32_t h, int32_t scrollX,
                        int32_t scrollY);

// One axis of a zoomable preview: a picture larger than the view gets an
// enabled bar over the excess, its position centred (atOrigin: at 0); a
// smaller one a disabled bar at 0 (atOrigin: the position is the offset
// (view - picture) / 2 - 1 that centres it).
struct ScrollAxis {
  int32_t position;
  int32_t range;
  bool enabled;
};
ScrollAxis PreviewScrollAxis(int32_t view, int32_t scaled, bool atOrigin);

// The section of src seen in a preview at 1:zoom scrolled to (x, y) reduced
// pixels with a view of viewW x viewH: dstHeader becomes src's header with
// the reduced size and dst receives every zoom-th sample of the section. An
// axis on which the reduced picture is narrower than the view shows whole;
// otherwise the section is the view's size, moved back inside the picture
// when the scroll position would carry it out. dst holds viewW x viewH pixels.
ImageResult CutPreviewSection(int16_t* dst, ImageHeader* dstHeader, const int16_t* src, const ImageHeader* srcHeader,
                              int32_t x, int32_t y, int32_t viewW, int32_t viewH, int32_t zoom);

// Three planes of width x height samples for a colour picture: 1, or 0 with
// all three null for a grey picture or when memory is short.
int AllocThreePlanes(int16_t** a, int16_t** b, int16_t** c, const ImageHeader* h);
int FreeThreePlanes(int16_t** a, int16_t** b, int16_t** c);

// Closed polygon of the histogram of counts[firstBin..endBin-1] in a client
// area of clientW x clientH, on a logarithmic scale between the smallest and
// the largest count: columns of bins when the area is wider than tall, rows
// when taller. False for a missing histogram or an area or range too small.
bool HistogramPolygon(std::vector<PlotPoint>* out, int32_t clientW, int32_t clientH, int32_t firstBin,
                      int32_t endBin, const uint32_t* counts);

// The contrast curve through n points (x[i], y[i]) in a client area of
// clientW x clientH, with the grid lines of gridStepX and gridStepY
// (swapAxes: x runs up, y across). False when there is nothing to scale.
struct CurvePlot {
  std::vector<PlotPoint> curve;
  std::vector<int32_t> gridX;          // columns of the vertical grid lines
  std::vector<int32_t> gridY;          // rows of the horizontal grid lines
};
bool ContrastCurvePlot(CurvePlot* out, int32_t clientW, int32_t clientH, bool swapAxes, int32_t n, const double* x,
                       const double* y, double yMin, double yMax, double gridStepX, double gridStepY);
