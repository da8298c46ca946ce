#include "hotkey_titles.h"

#include <cstring>

char HotKeyDialogTitle[kHotKeyFamilyCount][kHotKeyTitleSize];

namespace {

HWND gRegisteredWindow[kHotKeyFamilyCount];

}  // namespace

void RegisterHotKeyDialog(HotKeyFamily family, HWND dialog) {
  if (family < 0 || family >= kHotKeyFamilyCount) return;
  char title[kHotKeyTitleSize - 1] = {};
  GetWindowTextA(dialog, title, sizeof title);
  lstrcpynA(HotKeyDialogTitle[family], title, kHotKeyTitleSize);
  gRegisteredWindow[family] = dialog;
}

HWND RegisteredHotKeyDialog(HotKeyFamily family) {
  if (family < 0 || family >= kHotKeyFamilyCount) return nullptr;
  const HWND window = gRegisteredWindow[family];
  // A handle the system gave to another window since fails the title, read
  // as registering read it.
  char title[kHotKeyTitleSize - 1] = "";
  if (!window || !IsWindow(window) || !GetWindowTextA(window, title, sizeof title)) return nullptr;
  return std::strcmp(title, HotKeyDialogTitle[family]) == 0 ? window : nullptr;
}
