#include "plot_pane.h"

#include <commctrl.h>

#include <new>

#include "shell/previews.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x7477;   // beside the preview pane's
constexpr char kPlotProperty[] = "TyvornPlotPane";

struct Plot {
  PlotPainter painter;
  void* context;
};

LRESULT CALLBACK PlotProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* plot = reinterpret_cast<Plot*>(data);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(control, &ps);
      RECT client;
      GetClientRect(control, &client);
      plot->painter(plot->context, dc, &client);
      EndPaint(control, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, PlotProc, kSubclassId);
      RemovePropA(control, kPlotProperty);
      delete plot;
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

int InitPlotPane(HWND dialog, int id, PlotPainter painter, void* context) {
  HWND control = GetDlgItem(dialog, id);
  if (!control || !painter) return 0;
  FreePlotPane(dialog, id);
  auto* plot = new (std::nothrow) Plot{painter, context};
  if (!plot) return 0;
  if (!SetWindowSubclass(control, PlotProc, kSubclassId, DWORD_PTR(plot))) {
    delete plot;
    return 0;
  }
  SetPropA(control, kPlotProperty, plot);
  InvalidateRect(control, nullptr, FALSE);
  return 1;
}

void RepaintPlot(HWND dialog, int id) {
  if (HWND control = GetDlgItem(dialog, id)) InvalidateRect(control, nullptr, FALSE);
}

void FreePlotPane(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  auto* plot = control ? static_cast<Plot*>(GetPropA(control, kPlotProperty)) : nullptr;
  if (!plot) return;
  RemoveWindowSubclass(control, PlotProc, kSubclassId);
  RemovePropA(control, kPlotProperty);
  delete plot;
  InvalidateRect(control, nullptr, TRUE);
}

void PaintHistogramPlot(HDC dc, const RECT* client, int32_t endBin, const uint32_t* counts, int channel) {
  if (counts && PaintHistogram(dc, client, 0, endBin, counts, channel)) return;
  HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
  FillRect(dc, client, navy);
  DeleteObject(navy);
}
