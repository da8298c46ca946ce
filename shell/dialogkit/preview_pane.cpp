#include "preview_pane.h"

#include <commctrl.h>

#include "shell/display_bitmap.h"
#include "shell/preview_geometry.h"
#include "shell/previews.h"
#include "shell/scroll_bars.h"

namespace {

constexpr char kPaneProperty[] = "TyvornPreviewPane";
constexpr UINT_PTR kSubclassId = 0x7476;   // one subclass of ours per control

HWND Control(const PreviewPane* pane) {
  return pane->dialog && pane->spec ? GetDlgItem(pane->dialog, pane->spec->preview) : nullptr;
}

void EnableItem(HWND dialog, int id, bool on) {
  if (!id) return;
  if (HWND item = GetDlgItem(dialog, id)) EnableWindow(item, on);
}

bool Mapping(const PreviewPane* pane, HWND control, PreviewMapping* map) {
  BITMAP info = {};
  if (!pane->bitmap || !GetObject(pane->bitmap, sizeof info, &info)) return false;
  GetClientRect(control, &map->client);
  const PreviewPlan plan =
      PlanPreview(map->client.right, map->client.bottom, true, info.bmWidth, info.bmHeight, 0, 0);
  map->left = plan.dstX - plan.srcX;
  map->top = plan.dstY - plan.srcY;
  map->width = info.bmWidth;
  map->height = info.bmHeight;
  const POINT origin = PreviewSectionOrigin(pane);
  map->reduction = pane->reduction ? *pane->reduction : 1;
  map->sectionX = origin.x * map->reduction;
  map->sectionY = origin.y * map->reduction;
  return true;
}

void Paint(const PreviewPane* pane, HWND control, HDC dc) {
  PaintPreview(control, dc, pane->bitmap, 0, 0, 1);
  PreviewMapping map;
  if (pane->overlay && Mapping(pane, control, &map)) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, map.client.left, map.client.top, map.client.right, map.client.bottom);
    pane->overlay(pane->overlayContext, dc, &map);
    RestoreDC(dc, saved);
  }
}

LRESULT CALLBACK PaneProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* pane = reinterpret_cast<PreviewPane*>(data);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(control, &ps);
      Paint(pane, control, dc);
      EndPaint(control, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      // What the pane shows, into a device context of the caller's.
      Paint(pane, control, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, PaneProc, kSubclassId);
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

void Repaint(PreviewPane* pane) {
  if (HWND control = Control(pane)) InvalidateRect(control, nullptr, FALSE);
}

}  // namespace

void InitPreviewPane(PreviewPane* pane, const PreviewPaneSpec* spec, HWND dialog, int32_t* reduction) {
  *pane = PreviewPane{};
  pane->spec = spec;
  pane->dialog = dialog;
  pane->reduction = reduction;
  if (*reduction < 1) *reduction = 1;
  if (*reduction > kMaxReduction) *reduction = kMaxReduction;
  SetPropA(dialog, kPaneProperty, pane);
  if (HWND control = Control(pane)) SetWindowSubclass(control, PaneProc, kSubclassId, DWORD_PTR(pane));
  SetPreviewPicture(pane, nullptr);
}

void SetPreviewPicture(PreviewPane* pane, const SIZE* picture) {
  pane->hasPicture = picture != nullptr;
  if (picture) pane->picture = *picture;
  const PreviewPaneSpec* s = pane->spec;
  SetPreviewScrollBars(&pane->posX, &pane->rangeX, &pane->posY, &pane->rangeY, &pane->viewW, &pane->viewH,
                       pane->dialog, s->preview, s->hScroll, s->vScroll, s->minus, s->plus,
                       picture ? &pane->picture : nullptr, *pane->reduction);
}

int HandlePreviewButton(PreviewPane* pane, int id) {
  if (!id) return 0;
  int32_t& n = *pane->reduction;
  if (id == pane->spec->minus) {
    if (n < kMaxReduction) ++n;
  } else if (id == pane->spec->plus) {
    if (n > 1) --n;
  } else {
    return 0;
  }
  SetPreviewPicture(pane, pane->hasPicture ? &pane->picture : nullptr);
  return 1;
}

int HandlePreviewScroll(PreviewPane* pane, HWND bar, WPARAM request) {
  if (!bar) return 0;
  const int id = GetDlgCtrlID(bar);
  int32_t* position;
  int32_t range;
  if (id && id == pane->spec->hScroll) {
    position = &pane->posX;
    range = pane->rangeX;
  } else if (id && id == pane->spec->vScroll) {
    position = &pane->posY;
    range = pane->rangeY;
  } else {
    return 0;
  }
  UpdateScrollPos(position, kPreviewScrollPage, range, 0, 0, request);
  SetScrollPos(bar, SB_CTL, *position, TRUE);
  return 1;
}

POINT PreviewSectionOrigin(const PreviewPane* pane) { return POINT{pane->posX, pane->posY}; }

void SetPreviewBitmap(PreviewPane* pane, HBITMAP bitmap) {
  if (pane->bitmap && pane->bitmap != bitmap) DeleteObject(pane->bitmap);
  pane->bitmap = bitmap;
  Repaint(pane);
}

int ShowPreviewSamples(PreviewPane* pane, const int16_t* samples, const ImageHeader* header) {
  HBITMAP bitmap = nullptr;
  if (samples && header && pane->hasPicture) {
    HDC dc = GetDC(pane->dialog);
    bitmap = CreateZoomBitmap(dc, samples, header, &gProgramState, *pane->reduction, pane->posX, pane->posY,
                              pane->viewW, pane->viewH, pane->rangeX, pane->rangeY);
    ReleaseDC(pane->dialog, dc);
  }
  SetPreviewBitmap(pane, bitmap);
  return bitmap != nullptr;
}

void RedrawPreview(PreviewPane* pane) { Repaint(pane); }

void SetPreviewOverlay(PreviewPane* pane, PreviewOverlay overlay, void* context) {
  pane->overlay = overlay;
  pane->overlayContext = context;
  Repaint(pane);
}

void EnablePreviewControls(PreviewPane* pane, bool on) {
  // Back on, every control as SetPreviewPicture left it, the positions kept.
  const PreviewPaneSpec* s = pane->spec;
  const bool picture = on && pane->hasPicture;
  EnableItem(pane->dialog, s->hScroll, picture && pane->rangeX > 0);
  EnableItem(pane->dialog, s->vScroll, picture && pane->rangeY > 0);
  EnableItem(pane->dialog, s->minus, picture && (pane->rangeX > 0 || pane->rangeY > 0));
  EnableItem(pane->dialog, s->plus, picture && *pane->reduction >= 2);
}

void ShowPreviewStatus(PreviewPane* pane, const char* text) {
  if (pane->spec->status) SetDlgItemTextA(pane->dialog, pane->spec->status, text ? text : "");
}

int PreviewPointToPicture(const PreviewPane* pane, POINT at, POINT* picture) {
  HWND control = Control(pane);
  PreviewMapping map;
  if (!control || !Mapping(pane, control, &map)) return 0;
  MapWindowPoints(pane->dialog, control, &at, 1);
  const int32_t bx = at.x - map.left, by = at.y - map.top;
  if (at.x < 0 || at.y < 0 || at.x >= map.client.right || at.y >= map.client.bottom) return 0;
  if (bx < 0 || by < 0 || bx >= map.width || by >= map.height) return 0;
  picture->x = map.sectionX + bx * map.reduction;
  picture->y = map.sectionY + by * map.reduction;
  return 1;
}

bool GetPreviewMapping(const PreviewPane* pane, PreviewMapping* map) {
  HWND control = Control(pane);
  return control && Mapping(pane, control, map);
}

void FreePreviewPane(PreviewPane* pane) {
  if (pane->bitmap) DeleteObject(pane->bitmap);
  pane->bitmap = nullptr;
  if (HWND control = Control(pane)) {
    RemoveWindowSubclass(control, PaneProc, kSubclassId);
    InvalidateRect(control, nullptr, TRUE);
  }
  if (pane->dialog && GetPropA(pane->dialog, kPaneProperty) == pane) RemovePropA(pane->dialog, kPaneProperty);
}

PreviewPane* PreviewPaneOf(HWND dialog) { return static_cast<PreviewPane*>(GetPropA(dialog, kPaneProperty)); }
