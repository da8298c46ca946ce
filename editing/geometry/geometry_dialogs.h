// The dialogs that change a picture's geometry, which the frame's menu table
// opens: scaling and rectification ("vergroessern800/1024"), flip, mirror and
// rotation ("flipmirror800/1024"), the shift-difference
// ("shiftdifferenz800/1024") and the cut-out of the file menu
// ("bildausschneiden"). Control ids in geometry_ids.h.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ScaleRectifyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FlipMirrorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ShiftDifferenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CutOutSaveDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
