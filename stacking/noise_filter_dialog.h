// The noise-filter set-up "rauschfilter": the noise filter of the stacking
// pre-treatment ([Noisefilter]: type, pseudo-median, strength, sigma
// threshold). Opened from a stacking page (OpenedFromSetup 1) "&Gut" only
// keeps and saves the settings; opened by the frame's command on the active
// buffer it also filters that picture in place, keeping its undo copy.
#pragma once

#include <windows.h>

#include "shell/dialogkit/control_values.h"

// Ends with 1 after "&Gut" (on a buffer: when the filter succeeded; a failure
// shows the result's text and ends with 0), 0 after "&Abbruch".
INT_PTR CALLBACK NoiseFilterSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The controls of the [Noisefilter] settings, shared with the noise page of
// the filter dialog.
extern const ControlTable kNoiseFilterControls;
