// A frame control of a dialog whose painting a callback takes over: the
// histogram and curve plots of the editing dialogs. The callback draws the
// whole client area at every paint, so the plot survives being covered;
// RepaintPlot asks for a paint after the data behind it changed.
//
//   WM_INITDIALOG:  InitPlotPane(dialog, IDC_HISTOGRAM, PaintMyHistogram, &gData);
//   after a change: RepaintPlot(dialog, IDC_HISTOGRAM);
//
// The control gives its painting back when it is destroyed or by FreePlotPane.
#pragma once

#include <windows.h>

#include <cstdint>

using PlotPainter = void (*)(void* context, HDC dc, const RECT* client);

// 1 when the control exists and is now painted by the painter.
int InitPlotPane(HWND dialog, int id, PlotPainter painter, void* context);
void RepaintPlot(HWND dialog, int id);
void FreePlotPane(HWND dialog, int id);

// For a painter: the histogram counts[0..endBin-1] in the colour of channel
// 0 grey, 1 red, 2 green, 3 blue; without counts the frame dark blue alone.
void PaintHistogramPlot(HDC dc, const RECT* client, int32_t endBin, const uint32_t* counts, int channel);
