// The scroll helpers the buffer windows and the dialogs share.
#pragma once

#include <windows.h>

#include <cstdint>

// Range, page and position of a window's scroll bar (SB_HORZ or SB_VERT), redrawn.
void SetScrollBarInfo(HWND window, int bar, int32_t min, int32_t max, int32_t page, int32_t position);

// Applies one scroll request (the wParam of WM_HSCROLL / WM_VSCROLL) to
// *position and keeps it within min and max, or max - page when pageAware.
void UpdateScrollPos(int32_t* position, int32_t page, int32_t max, int32_t min, int pageAware, WPARAM request);
