// The capture dialog ("dxaufnahme800", "dxaufnahme1024", "dxaufnahme1280"):
// the live picture of a video device, and recording from it into one AVI
// file, an endless AVI in parts, timed AVI sequences, or a BMP series taken
// at once or as a time-lapse. It drives the capture library and its 40 ms
// timer follows a recording; the capture timer (capture_timer_dialog.h) sets
// up the timed modes.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK CaptureDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// An endless recording with the limit on moves to its next part above this
// many bytes (kEndlessPartBytes); tests lower it. 0 brings the default back.
void SetEndlessPartLimit(uint64_t bytes);
