// Printing a buffer's picture: the printer set-up and print dialogs, the
// printable area of a device, and the picture drawn in sixteen bands with
// the progress window "arbeitmeld". The functions draw on the device
// context they are given; the print job and page are the caller's.
#pragma once

#include <windows.h>

#include "program_state.h"

// The open progress window, null while none is open.
extern HWND gMessageDialog;

// The printer set-up dialog; keeps the chosen printer for PrintDialog.
// Returns what PrintDlgA returns.
BOOL PrinterSetupDialog(HWND owner);
// The print dialog for the kept printer, one page, one copy; *hdc and
// *copies as chosen. Returns what PrintDlgA returns.
BOOL PrintDialog(HDC* hdc, int* copies, HWND owner);

// Margins of 0.8 inch, the printable size within them and the device's
// depth. 1, or 0 when the device cannot take bitmaps.
int GetPrintArea(HDC hdc, int* marginX, int* marginY, int* width, int* height, int* bitsPerPixel, int* planes);

// Draws the picture of buffer slot `slot` as large as it fits into width x
// height from (left, top), in sixteen bands, showing its progress in
// "arbeitmeld"; colour on devices of more than 8 bits (bitsPerPixel *
// planes), grey otherwise. "&Abbrechen" stops it between bands. 1 when
// drawn; 0 when the device cannot stretch bitmaps, the slot is empty, the
// picture is smaller than 4 x 16, memory is short, a band fails or the user
// cancelled; the progress window is closed in every case.
int PrintImage(HDC hdc, int left, int top, int width, int height, int bitsPerPixel, int planes, int slot,
               ProgramState* ps);

// "arbeitmeld": WM_PAINT sent with a text in lParam shows that text;
// "&Abbrechen" sets AbortRequested and closes the window.
INT_PTR CALLBACK MessageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
