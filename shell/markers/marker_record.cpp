#include "shell/markers/marker_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/matrix.h"
#include "imagelib/resample.h"

namespace {

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The common part of every initialiser: view, section, pens, zoom, user
// value; the geometry cleared.
void SetUp(MarkerRecord* r, const MarkerView& view, bool takeClient, int32_t originX, int32_t originY,
           int32_t w, int32_t h, uint32_t colour, uint32_t secondColour, double zoom, int32_t userValue,
           int32_t kind) {
  r->window = view.window;
  r->dc = view.dc;
  if (takeClient) {
    r->clientRight = Clamp32(int64_t{view.clientWidth} - 1);
    r->clientBottom = Clamp32(int64_t{view.clientHeight} - 1);
  }
  r->originX = originX;
  r->originY = originY;
  r->visibleWidth = w;
  r->visibleHeight = h;
  r->colour = colour;
  r->secondColour = secondColour;
  r->zoom = zoom;
  r->userValue = userValue;
  r->kind = kind;
  std::memset(r->geometry, 0, sizeof r->geometry);
}

void Settle(MarkerRecord* r) { std::memcpy(r->previous, r->geometry, sizeof r->previous); }

int32_t Plus1(int32_t v) { return Clamp32(int64_t{v} + 1); }

// The default geometry of the record's kind for its visible section, written
// into current and previous; kinds 4 (a box of its own size), 10 to 13 and
// the elements a kind does not name are left alone.
void SetKindDefaults(MarkerRecord* r) {
  const int32_t w = r->visibleWidth, h = r->visibleHeight, inset = r->inset;
  const auto set = [r](int index, int64_t value) { r->geometry[index] = r->previous[index] = Clamp32(value); };
  const auto box = [&set, w, h] {
    set(0, w / 4);
    set(1, h / 4);
    set(2, w / 2);
    set(3, h / 2);
  };
  switch (r->kind) {
    case kMarkerHorizontalLine:
      set(1, h / 2);
      break;
    case kMarkerHorizontalLines:
      set(1, h / 4);
      set(5, int64_t{h} * 3 / 4);
      break;
    case kMarkerVerticalLine:
      set(0, w / 2);
      break;
    case kMarkerVerticalLines:
      set(0, w / 4);
      set(4, int64_t{w} * 3 / 4);
      break;
    case kMarkerBox:
      box();
      break;
    case kMarkerBoxWithPoint:
      box();
      set(8, w / 2);
      set(9, h / 2);
      break;
    case kMarkerPoint:
    case kMarkerShiftPoint:
      set(0, w / 2);
      set(1, h / 2);
      break;
    case kMarkerFrame:
      set(0, inset / 2);
      set(1, inset / 2);
      set(2, int64_t{w} - inset);
      set(3, int64_t{h} - inset);
      set(4, w / 2 - inset / 2);
      set(5, h / 2 - inset / 2);
      set(6, inset);
      set(7, inset);
      break;
    case kMarkerCircle:
      box();
      set(8, std::min(w, h) / 6);
      set(9, std::min(w, h) / 6);
      break;
    default:
      break;
  }
}

// The initialisers whose mark is the kind's default geometry.
int InitWithDefaults(const MarkerView& view, int32_t kind, int32_t originXLess1, int32_t originYLess1, int32_t w,
                     int32_t h, uint32_t colour, uint32_t secondColour, double zoom, int32_t userValue,
                     MarkerRecord* r) {
  SetUp(r, view, true, Plus1(originXLess1), Plus1(originYLess1), w, h, colour, secondColour, zoom, userValue, kind);
  SetKindDefaults(r);
  Settle(r);
  return 1;
}

}  // namespace

int32_t MarkerToClient(double v, double zoom, int32_t origin) {
  double p = std::floor(v * zoom + 0.5) + double(origin);
  // GDI takes coordinates of 27 bits; NaN lands at the origin.
  constexpr double kLimit = 1 << 27;
  if (!(p == p)) p = origin;
  return int32_t(std::clamp(p, -kLimit, kLimit));
}

int InitBoxMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                  int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, int32_t shape, int32_t gridCount,
                  uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record) {
  SetUp(record, view, true, Plus1(originXLess1), Plus1(originYLess1), visibleWidth, visibleHeight, colour, 0, zoom,
        userValue, kMarkerBox);
  record->shape = shape;
  record->gridCount = gridCount;
  int32_t* g = record->geometry;
  g[0] = Clamp32((int64_t{visibleWidth} - boxWidth) / 2);
  g[1] = Clamp32((int64_t{visibleHeight} - boxHeight) / 2);
  g[2] = boxWidth;
  g[3] = boxHeight;
  Settle(record);
  return 1;
}

int InitShiftMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerShiftPoint, originXLess1, originYLess1, visibleWidth, visibleHeight, colour, 0,
                          zoom, userValue, record);
}

int InitQuadMarker(const MarkerView& view, int32_t originX, int32_t originY, int32_t visibleWidth,
                   int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, uint32_t colour, double scale,
                   int32_t outline, double angle, double xPixelScale, double yPixelScale, double zoom,
                   int32_t userValue, MarkerRecord* record) {
  double** m = nullptr;
  double** copy = nullptr;
  if (!AllocMatrix(&m, 4)) return 0;
  if (!AllocMatrix(&copy, 4) || BuildRotationScaleMatrix(m, angle, scale, xPixelScale, yPixelScale) != IMG_OK) {
    FreeMatrix(&m);
    FreeMatrix(&copy);
    return 0;
  }
  CopyMatrix(copy, m, 4);
  SetUp(record, view, true, originX, originY, visibleWidth, visibleHeight, colour, 0, zoom, userValue, kMarkerQuad);
  record->transform = m;
  record->savedTransform = copy;
  record->scale = scale;
  record->outline = outline;
  record->angle = angle;
  record->xPixelScale = xPixelScale;
  record->yPixelScale = yPixelScale;
  int32_t* g = record->geometry;
  g[2] = std::min(visibleWidth, boxWidth);
  g[3] = std::min(visibleHeight, boxHeight);
  g[0] = visibleWidth / 2 - g[2] / 2;
  g[1] = visibleHeight / 2 - g[3] / 2;
  Settle(record);
  return 1;
}

int SetQuadMarkerParams(double scale, int32_t, double angle, double xPixelScale, double yPixelScale,
                        MarkerRecord* record) {
  if (!record->transform || !record->savedTransform) return 0;
  CopyMatrix(record->savedTransform, record->transform, 4);
  if (BuildRotationScaleMatrix(record->transform, angle, scale, xPixelScale, yPixelScale) != IMG_OK) {
    CopyMatrix(record->transform, record->savedTransform, 4);
    return 0;
  }
  record->scale = scale;
  record->angle = angle;
  record->xPixelScale = xPixelScale;
  record->yPixelScale = yPixelScale;
  int32_t* g = record->geometry;
  g[0] = g[1] = 0;
  g[2] = record->visibleWidth;
  g[3] = record->visibleHeight;
  return 1;
}

int InitHorizontalLineMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1,
                             int32_t visibleWidth, int32_t visibleHeight, uint32_t colour, double zoom,
                             int32_t userValue, MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerHorizontalLine, originXLess1, originYLess1, visibleWidth, visibleHeight, colour,
                          0, zoom, userValue, record);
}

int InitHorizontalLinesMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1,
                              int32_t visibleWidth, int32_t visibleHeight, uint32_t colour, uint32_t secondColour,
                              double zoom, int32_t userValue, MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerHorizontalLines, originXLess1, originYLess1, visibleWidth, visibleHeight,
                          colour, secondColour, zoom, userValue, record);
}

int InitVerticalLineMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                           int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue,
                           MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerVerticalLine, originXLess1, originYLess1, visibleWidth, visibleHeight, colour, 0,
                          zoom, userValue, record);
}

int InitVerticalLinesMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1,
                            int32_t visibleWidth, int32_t visibleHeight, uint32_t colour, uint32_t secondColour,
                            double zoom, int32_t userValue, MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerVerticalLines, originXLess1, originYLess1, visibleWidth, visibleHeight,
                          colour, secondColour, zoom, userValue, record);
}

int InitTwoBoxMarker(const MarkerView& view, int32_t originX, int32_t originY, int32_t visibleWidth,
                     int32_t visibleHeight, int32_t width1, int32_t height1, int32_t width2, int32_t height2,
                     uint32_t colour, uint32_t secondColour, double zoom, int32_t userValue, MarkerRecord* record) {
  SetUp(record, view, false, originX, originY, visibleWidth, visibleHeight, colour, secondColour, zoom, userValue,
        kMarkerBox);
  const int32_t halfW = visibleWidth / 2, halfH = visibleHeight / 2;
  const int32_t sizes[2][2] = {{width1 > halfW ? halfW : width1, height1 > visibleHeight ? halfH : height1},
                               {width2 > halfW ? halfW : width2, height2 > visibleHeight ? halfH : height2}};
  const int64_t centresX[2] = {visibleWidth / 4, int64_t{visibleWidth} * 3 / 4};
  for (int b = 0; b < 2; ++b) {
    int32_t* g = record->geometry + 4 * b;
    g[0] = Clamp32(centresX[b] - sizes[b][0] / 2);
    g[1] = halfH - sizes[b][1] / 2;
    g[2] = sizes[b][0];
    g[3] = sizes[b][1];
  }
  Settle(record);
  return 1;
}

int InitBoxPointMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                       int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerBoxWithPoint, originXLess1, originYLess1, visibleWidth, visibleHeight, colour, 0,
                          zoom, userValue, record);
}

int InitPointMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record) {
  return InitWithDefaults(view, kMarkerPoint, originXLess1, originYLess1, visibleWidth, visibleHeight, colour, 0, zoom,
                          userValue, record);
}

int InitFrameMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, int32_t inset, uint32_t colour, double zoom, int32_t userValue,
                    MarkerRecord* record) {
  record->inset = inset;
  return InitWithDefaults(view, kMarkerFrame, originXLess1, originYLess1, visibleWidth, visibleHeight, colour, 0,
                          zoom, userValue, record);
}

int InitCircleMarker(const MarkerView& view, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                     int32_t visibleHeight, uint32_t colour, uint32_t secondColour, const int32_t* tail, double zoom,
                     int32_t userValue, MarkerRecord* record) {
  SetUp(record, view, true, Plus1(originXLess1), Plus1(originYLess1), visibleWidth, visibleHeight, colour,
        secondColour, zoom, userValue, kMarkerCircle);
  int32_t* g = record->geometry;
  g[0] = visibleWidth / 2;
  g[1] = visibleHeight / 2;
  g[8] = g[9] = std::min(visibleWidth, visibleHeight) / 6;
  if (tail) std::memcpy(record->tail, tail, sizeof record->tail);
  Settle(record);
  return 1;
}

int InitSphereMarker(const MarkerView& view, int32_t originX, int32_t originY, int32_t visibleWidth,
                     int32_t visibleHeight, int32_t a, int32_t b, int32_t c, int32_t d, int32_t further,
                     uint32_t colour, double zoom, int32_t userValue, MarkerRecord* record) {
  SetUp(record, view, true, originX, originY, visibleWidth, visibleHeight, colour, 0, zoom, userValue,
        kMarkerSphere);
  int32_t* g = record->geometry;
  g[2] = std::min(visibleWidth, a);
  g[3] = std::min(visibleHeight, b);
  g[0] = visibleWidth / 2 - g[2] / 2;
  g[1] = visibleHeight / 2 - g[3] / 2;
  g[4] = visibleWidth / 2;
  g[5] = visibleHeight / 2;
  g[6] = g[8] = std::min(c, visibleWidth / 2);
  g[7] = g[9] = std::min(d, visibleHeight / 2);
  record->tail[0] = further;
  Settle(record);
  return 1;
}

void InitMarkerForView(const MarkerView& view, int32_t imageWidth, int32_t imageHeight, MarkerRecord* r) {
  r->window = view.window;
  r->clientRight = Clamp32(int64_t{view.clientWidth} - 1);
  r->clientBottom = Clamp32(int64_t{view.clientHeight} - 1);
  r->originX = Clamp32(std::max<int64_t>(0, (int64_t{view.clientWidth} - imageWidth) / 2));
  r->originY = Clamp32(std::max<int64_t>(0, (int64_t{view.clientHeight} - imageHeight) / 2));
  r->visibleWidth = std::min(imageWidth, view.clientWidth);
  r->visibleHeight = std::min(imageHeight, view.clientHeight);
  SetKindDefaults(r);
}

void CentreImageInView(MarkerRecord* r, int32_t scrollX, int32_t scrollY) {
  const double zoom = r->zoom;
  if (!(zoom > 0)) return;
  const auto axis = [zoom](int32_t clientLast, int32_t visible, int32_t scroll) {
    const double fit = std::trunc((double(clientLast) + 1) / zoom);
    if (fit >= double(visible)) {
      const double half = std::trunc((fit - double(visible)) / 2);
      return Clamp32(int64_t(std::clamp(std::trunc(half * zoom), double(INT32_MIN), double(INT32_MAX))));
    }
    return Clamp32(-int64_t{scroll});
  };
  r->originX = axis(r->clientRight, r->visibleWidth, scrollX);
  r->originY = axis(r->clientBottom, r->visibleHeight, scrollY);
}

int MapMarkerPoint(const MarkerRecord* r, double x, double y, double* mx, double* my) {
  if (!r->transform) return 0;
  // MapOutputPixel leaves its outputs alone where the point has no image.
  double sx = NAN, sy = NAN;
  MapOutputPixel(&sx, &sy, x, y, 0.0, r->transform, r->visibleWidth, r->visibleHeight, r->visibleWidth,
                 r->visibleHeight, 0.0);
  if (std::isnan(sx) || std::isnan(sy)) return 0;
  *mx = sx;
  *my = sy;
  return 1;
}
