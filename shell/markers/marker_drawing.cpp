#include "shell/markers/marker_drawing.h"

#include "imagelib/matrix.h"

namespace {

void Paint(const MarkerRecord* r, MarkerDrawing drawing) {
  const HDC dc = static_cast<HDC>(r->dc);
  if (!dc) return;
  const std::vector<MarkerStroke> strokes = PlanMarkerDrawing(r, drawing);
  if (strokes.empty()) return;
  // The dialog's clip region, pen and brush come back with RestoreDC.
  const int saved = SaveDC(dc);
  if (!saved) return;
  IntersectClipRect(dc, 1, 1, r->clientRight, r->clientBottom);
  HPEN pens[2] = {CreatePen(PS_SOLID, 1, r->colour), nullptr};
  SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  for (const MarkerStroke& s : strokes) {
    const int pen = s.pen == 1 ? 1 : 0;
    if (!pens[pen]) pens[pen] = CreatePen(PS_SOLID, 1, r->secondColour);
    SelectObject(dc, pens[pen]);
    if (s.ellipse) {
      Ellipse(dc, s.points[0].x, s.points[0].y, s.points[1].x, s.points[1].y);
    } else {
      std::vector<POINT> points(s.points.size());
      for (size_t i = 0; i < points.size(); ++i) points[i] = {s.points[i].x, s.points[i].y};
      Polyline(dc, points.data(), int(points.size()));
    }
  }
  RestoreDC(dc, saved);
  for (HPEN pen : pens)
    if (pen) DeleteObject(pen);
}

}  // namespace

MarkerView MarkerViewOf(HWND window, HDC dc) {
  RECT client{};
  if (!window || !GetClientRect(window, &client)) client = RECT{};
  return MarkerView{window, dc, int32_t(client.right - client.left), int32_t(client.bottom - client.top)};
}

int InitBoxMarker(HWND window, HDC dc, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                  int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, int32_t shape, int32_t gridCount,
                  COLORREF colour, double zoom, int32_t userValue, MarkerRecord* record) {
  return InitBoxMarker(MarkerViewOf(window, dc), originXLess1, originYLess1, visibleWidth, visibleHeight, boxWidth,
                       boxHeight, shape, gridCount, colour, zoom, userValue, record);
}

int InitShiftMarker(HWND window, HDC dc, int32_t originXLess1, int32_t originYLess1, int32_t visibleWidth,
                    int32_t visibleHeight, COLORREF colour, double zoom, int32_t userValue, MarkerRecord* record) {
  return InitShiftMarker(MarkerViewOf(window, dc), originXLess1, originYLess1, visibleWidth, visibleHeight, colour,
                         zoom, userValue, record);
}

int InitQuadMarker(HWND window, HDC dc, int32_t originX, int32_t originY, int32_t visibleWidth,
                   int32_t visibleHeight, int32_t boxWidth, int32_t boxHeight, COLORREF colour, double scale,
                   int32_t outline, double angle, double xPixelScale, double yPixelScale, double zoom,
                   int32_t userValue, MarkerRecord* record) {
  return InitQuadMarker(MarkerViewOf(window, dc), originX, originY, visibleWidth, visibleHeight, boxWidth, boxHeight,
                        colour, scale, outline, angle, xPixelScale, yPixelScale, zoom, userValue, record);
}

void InitMarkerForView(HWND window, SIZE imageSize, MarkerRecord* record) {
  InitMarkerForView(MarkerViewOf(window, nullptr), imageSize.cx, imageSize.cy, record);
}

void DrawMarker(const MarkerRecord* record) { Paint(record, kDrawBoxShape); }
void DrawShiftMarker(const MarkerRecord* record) { Paint(record, kDrawShiftCross); }

void DrawQuadMarker(MarkerRecord* record) {
  Paint(record, kDrawQuad);
  if (record->transform && record->savedTransform) CopyMatrix(record->savedTransform, record->transform, 4);
}

void DrawHorizontalLineMarker(const MarkerRecord* record) { Paint(record, kDrawHorizontalLine); }
void DrawHorizontalLinesMarker(const MarkerRecord* record) { Paint(record, kDrawHorizontalLines); }
void DrawVerticalLineMarker(const MarkerRecord* record) { Paint(record, kDrawVerticalLine); }
void DrawVerticalLinesMarker(const MarkerRecord* record) { Paint(record, kDrawVerticalLines); }
void DrawTwoBoxMarker(const MarkerRecord* record) { Paint(record, kDrawTwoBoxes); }
void DrawEllipseMarker(const MarkerRecord* record) { Paint(record, kDrawEllipse); }
void DrawPointMarker(const MarkerRecord* record) { Paint(record, kDrawPointCross); }
void DrawCircleBoxMarker(const MarkerRecord* record) { Paint(record, kDrawCircleAndBox); }
void DrawTransformedMarker(const MarkerRecord* record) { Paint(record, kDrawTransformed); }
void DrawSphereMarker(const MarkerRecord* record) { Paint(record, kDrawSphere); }
