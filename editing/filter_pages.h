// The five pages of the masking and filter dialog: blur, sharpen, Mexican
// hat, effect filters and noise filters. Each page is a child dialog of the
// tab host (shell/dialogkit/tab_host.h); it writes every change straight into
// ProgramState and asks the filter dialog for a new preview. A page takes the
// dialog's backup anew when it is shown, so "&Abbruch" goes back to the state
// the page met.
#pragma once

#include <windows.h>

#include "shell/program_state.h"

INT_PTR CALLBACK BlurSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SharpenSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MexicanHatSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EffectSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NoiseSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The radio buttons and the enabling of the sharpen page (Masktype 0) or the
// Mexican-hat page (Masktype 2): "Rechteckanteil" only for the form
// "Gauss && Rect", the astigmatism and secondary-spectrum sliders with their
// switches, "Adaptiver Filter" only above 100 % strength.
void UpdateSharpenSheetControls(HWND page);

// Brings every setting the five pages edit into the range of their controls
// (a hand-edited "tyvorn.ini"); returns how many were changed.
int ClampFilterSettings(ProgramState* ps);
