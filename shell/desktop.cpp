#include "desktop.h"

HWND gFrameWindow;

namespace {

struct NightColour {
  int element;
  COLORREF colour;
};

// The first 25 exist on every platform; the last three from major version 5.
constexpr NightColour kNightColours[kSysColourCount] = {
    {COLOR_3DDKSHADOW, RGB(0, 0, 0)},
    {COLOR_3DFACE, RGB(0, 0, 0)},
    {COLOR_3DHIGHLIGHT, RGB(40, 40, 80)},
    {COLOR_3DLIGHT, RGB(80, 80, 80)},
    {COLOR_3DSHADOW, RGB(40, 40, 40)},
    {COLOR_ACTIVEBORDER, RGB(0, 0, 40)},
    {COLOR_ACTIVECAPTION, RGB(0, 0, 64)},
    {COLOR_APPWORKSPACE, RGB(0, 0, 0)},
    {COLOR_BACKGROUND, RGB(0, 0, 0)},
    {COLOR_BTNTEXT, RGB(224, 0, 0)},
    {COLOR_CAPTIONTEXT, RGB(255, 0, 0)},
    {COLOR_GRAYTEXT, RGB(128, 0, 0)},
    {COLOR_HIGHLIGHT, RGB(40, 40, 80)},
    {COLOR_HIGHLIGHTTEXT, RGB(255, 0, 0)},
    {COLOR_INACTIVEBORDER, RGB(0, 0, 40)},
    {COLOR_INACTIVECAPTION, RGB(0, 0, 0)},
    {COLOR_INACTIVECAPTIONTEXT, RGB(128, 0, 0)},
    {COLOR_INFOBK, RGB(0, 0, 96)},
    {COLOR_INFOTEXT, RGB(224, 0, 0)},
    {COLOR_MENU, RGB(0, 0, 0)},
    {COLOR_MENUTEXT, RGB(192, 0, 0)},
    {COLOR_SCROLLBAR, RGB(40, 40, 80)},
    {COLOR_WINDOW, RGB(0, 0, 0)},
    {COLOR_WINDOWFRAME, RGB(0, 0, 40)},
    {COLOR_WINDOWTEXT, RGB(192, 0, 0)},
    {COLOR_GRADIENTACTIVECAPTION, RGB(0, 0, 96)},
    {COLOR_GRADIENTINACTIVECAPTION, RGB(0, 0, 0)},
    {COLOR_HOTLIGHT, RGB(96, 0, 0)},
};

void FillIndices(ProgramState* ps) {
  for (int i = 0; i < kSysColourCount; ++i) ps->SysColourIndices[i] = kNightColours[i].element;
}

}  // namespace

int NightColourCount() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL known = GetVersionExA(&info);
#pragma GCC diagnostic pop
  return known && info.dwMajorVersion < 5 ? 25 : kSysColourCount;
}

void SaveSystemColours(ProgramState* ps) {
  const int count = NightColourCount();
  for (int i = 0; i < count; ++i) ps->SavedSysColours[i] = GetSysColor(kNightColours[i].element);
}

void SetNightColours(ProgramState* ps) {
  FillIndices(ps);
  for (int i = 0; i < kSysColourCount; ++i) ps->NightSysColours[i] = kNightColours[i].colour;
  SetSysColors(NightColourCount(), ps->SysColourIndices, ps->NightSysColours);
}

void RestoreSystemColours(ProgramState* ps) {
  FillIndices(ps);
  SetSysColors(NightColourCount(), ps->SysColourIndices, ps->SavedSysColours);
}

void CentreWindow(HWND reference, HWND window) {
  RECT ref, own;
  if (!GetWindowRect(reference, &ref) || !GetWindowRect(window, &own)) return;
  const int x = ref.left + ((ref.right - ref.left) - (own.right - own.left)) / 2;
  const int y = ref.top + ((ref.bottom - ref.top) - (own.bottom - own.top)) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOCOPYBITS);
}
