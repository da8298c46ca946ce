#include "hotkey_titles.h"

char HotKeyDialogTitle[kHotKeyFamilyCount][kHotKeyTitleSize];

void RegisterHotKeyDialog(HotKeyFamily family, HWND dialog) {
  if (family < 0 || family >= kHotKeyFamilyCount) return;
  char title[kHotKeyTitleSize - 1] = {};
  GetWindowTextA(dialog, title, sizeof title);
  lstrcpynA(HotKeyDialogTitle[family], title, kHotKeyTitleSize);
}
