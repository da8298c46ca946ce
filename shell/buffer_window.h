// The four buffer windows "WorkbildFenster": MDI children that show buffers
// A..D reduced by 1 to 32 with scroll bars, two zoom buttons and a status
// strip.
#pragma once

#include <windows.h>

#include <cstdint>

#include "scroll_bars.h"   // the scroll helpers the dialog previews share

constexpr char kBufferWindowClass[] = "WorkbildFenster";
constexpr int kStatusStripHeight = 20;

LRESULT CALLBACK BufferWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Title, buffer-dependent menu items and a repaint for buffer 1..4, after
// its content changed. Other numbers do nothing.
void RefreshBufferWindow(int buffer);


// Display state of buffer 1..4 (reduction 1..32, first shown column and row in
// reduced pixels); 0 for other numbers.
int32_t BufferReduction(int buffer);
POINT BufferScrollPosition(int buffer);
