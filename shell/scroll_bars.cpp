#include "scroll_bars.h"

void SetScrollBarInfo(HWND window, int bar, int32_t min, int32_t max, int32_t page, int32_t position) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = min;
  info.nMax = max;
  info.nPage = UINT(page < 0 ? 0 : page);
  info.nPos = position;
  SetScrollInfo(window, bar, &info, TRUE);
}

void UpdateScrollPos(int32_t* position, int32_t page, int32_t max, int32_t min, int pageAware, WPARAM request) {
  int32_t p = *position;
  switch (LOWORD(request)) {
    case SB_LINEUP:
      p -= 1;
      break;
    case SB_LINEDOWN:
      p += 1;
      break;
    case SB_PAGEUP:
      p -= page;
      break;
    case SB_PAGEDOWN:
      p += page;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      p = static_cast<int16_t>(HIWORD(request));
      break;
    case SB_TOP:
      p = min;
      break;
    case SB_BOTTOM:
      p = pageAware ? max : max - 20;
      break;
  }
  if (p < min) p = min;
  if (pageAware && p > max - page) p = max - page;
  if (!pageAware && p > max) p = max;
  *position = p;
}
