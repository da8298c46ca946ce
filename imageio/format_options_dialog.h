// The dialog "grafiksetup": the [PicSave] options the picture writers read
// (GIF variant and flags, JPEG quality and grey flag, FITS colour
// organisation and offset, TIFF compression and depth, PNG depth and grey
// flag, the save magnification). Every change goes into ProgramState at
// once; "&Gut" keeps them (they reach "tyvorn.ini" when the program ends),
// "&Abbruch" and the close box put back what was there when it opened.
#pragma once

#include <windows.h>

INT_PTR CALLBACK GraphicsFormatsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
