// The four buffer windows "WorkbildFenster": MDI children that show buffers
// A..D reduced by 1 to 32 with scroll bars, two zoom buttons and a status
// strip; and the scroll helpers the dialog previews share.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr char kBufferWindowClass[] = "WorkbildFenster";
constexpr int kStatusStripHeight = 20;

LRESULT CALLBACK BufferWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Title, buffer-dependent menu items and a repaint for buffer 1..4, after
// its content changed. Other numbers do nothing.
void RefreshBufferWindow(int buffer);

// Range, page and position of a window's scroll bar (SB_HORZ or SB_VERT), redrawn.
void SetScrollBarInfo(HWND window, int bar, int32_t min, int32_t max, int32_t page, int32_t position);

// Applies one scroll request (the wParam of WM_HSCROLL / WM_VSCROLL) to
// *position and keeps it within min and max, or max - page when pageAware.
void UpdateScrollPos(int32_t* position, int32_t page, int32_t max, int32_t min, int pageAware, WPARAM request);

// Display state of buffer 1..4 (reduction 1..32, first shown column and row in
// reduced pixels); 0 for other numbers.
int32_t BufferReduction(int buffer);
POINT BufferScrollPosition(int buffer);
