// The contrast dialog "kontrastierung2" ("&Kontrast einstellen ..."): tone
// curves for the whole picture or for each colour channel, shaped on a page
// "kontrastsheet" per tab, a preview of the visible section and the result
// histogram; "&Bearbeiten" maps the whole picture of the active buffer into
// the target (whose undo copy is kept) and saves [Contrast].
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/dialogkit/tab_host.h"
#include "shell/program_state.h"

// The tabs of the dialog and the page shown.
using ContrastTabs = TabHost;

// Ends with 1 after "&Bearbeiten", 0 after "&Abbruch" or a failure at opening.
INT_PTR CALLBACK ContrastDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// A page: it works on the block of Contrastchannel.
INT_PTR CALLBACK ContrastSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// "RGB zusammen", "Rotkanal", "Grünkanal", "Blaukanal", the tab of
// Contrastchannel selected (another value: the first) and its page shown.
void CreateContrastChannelTabs(HWND dialog, ContrastTabs* tabs);
// The single tab "Helligkeit" of a grey picture.
void CreateContrastBrightnessTab(HWND dialog, ContrastTabs* tabs);
// Contrastchannel from the selected tab (1..3, else 0) and that tab's page.
HWND ShowContrastSheet(HWND dialog, ContrastTabs* tabs);

// Rebuilds the table of the block of Contrastchannel from these values and
// shows it: the enabling by curve type, the curve, the curve-point bars (a
// preset's points are stored into points[1..7]), the two sliders, the
// histogram. mode is not used.
void UpdateContrastSheetControls(HWND page, int32_t type, int32_t mode, int32_t logMulti, double gamma,
                                 int32_t white, int32_t black, int32_t points[kCurvePoints]);

// The [Contrast] blocks brought into what the pages can show: gamma
// 0.01..10, LogMulti 1..8, end and curve points within the levels. Returns
// the number of fields changed.
int ClampContrastBlocks(ProgramState* ps);
