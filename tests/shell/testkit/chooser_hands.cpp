#include "chooser_hands.h"

#include <commdlg.h>

#include <cstring>

#include "dialog_driver.h"

namespace chooserhands {
namespace {

constexpr int kNameEdit = 1152;
constexpr int kNameCombo = 1148;
constexpr int kFilterCombo = 1136;

}  // namespace

HWND Explorer(HWND dlg) { return GetAncestor(dlg, GA_ROOT); }

HWND HookDialog(HWND dlg) { return FindWindowExA(Explorer(dlg), nullptr, MAKEINTATOM(32770), nullptr); }

HWND NameField(HWND dlg) {
  const HWND explorer = Explorer(dlg);
  if (const HWND edit = GetDlgItem(explorer, kNameEdit)) return edit;
  const HWND combo = FindWindowExA(GetDlgItem(explorer, kNameCombo), nullptr, "ComboBox", nullptr);
  return FindWindowExA(combo, nullptr, "Edit", nullptr);
}

std::string NameText(HWND dlg) {
  char text[1024] = "";
  GetWindowTextA(NameField(dlg), text, sizeof text);
  return text;
}

void TypeName(HWND dlg, const std::string& text) { SetWindowTextA(NameField(dlg), text.c_str()); }

void SelectFile(HWND dlg, const std::string& name) {
  TypeName(dlg, name);
  OFNOTIFYA notify{};
  notify.hdr.hwndFrom = Explorer(dlg);
  notify.hdr.code = UINT(CDN_SELCHANGE);
  SendMessageA(HookDialog(dlg), WM_NOTIFY, 0, LPARAM(&notify));
}

void PickFilter(HWND dlg, int index) {
  const HWND explorer = Explorer(dlg);
  const HWND combo = GetDlgItem(explorer, kFilterCombo);
  SendMessageA(combo, CB_SETCURSEL, WPARAM(index - 1), 0);
  SendMessageA(explorer, WM_COMMAND, MAKEWPARAM(kFilterCombo, CBN_SELENDOK), LPARAM(combo));
}

void Press(HWND dlg, int id) { DialogDriver::Click(Explorer(dlg), id); }

std::string ButtonText(HWND dlg, int id) {
  for (HWND c = GetWindow(Explorer(dlg), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[16] = "";
    GetClassNameA(c, cls, sizeof cls);
    if (GetDlgCtrlID(c) == id && std::strcmp(cls, "Button") == 0) {
      char text[64] = "";
      GetWindowTextA(c, text, sizeof text);
      return text;
    }
  }
  return "(none)";
}

}  // namespace chooserhands
