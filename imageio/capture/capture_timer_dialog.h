// The capture timer ("aufnahmetimer"): single recordings, time-lapse BMP
// series or timed AVI sequences, their interval (seconds, or frames of 20 ms
// for integrating cameras), the frames per sequence and the number of
// sequences. Opened by the capture dialog's "Timersetup"; every change goes
// into ProgramState at once and "&Abbruch" takes it back.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK CaptureTimerDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The recommended intervals in the list `id`: the 27 rows in their order,
// the row of ms selected (none when no row has it).
void FillIntervalCombo(HWND dialog, int id, int32_t ms);
// The milliseconds of the list's selected row, or of its typed text read as
// seconds; -1 for text that is neither.
int32_t ReadIntervalCombo(HWND dialog, int id);
// The same for the integrating cameras' frame steps ("8 Bilder" ..).
void FillFrameStepCombo(HWND dialog, int id, int32_t ms);
int32_t ReadFrameStepCombo(HWND dialog, int id);
// Enables the interval, recommendation and sequence-count controls by Grabbtimer.
void EnableCaptureTimerControls(HWND dialog);
