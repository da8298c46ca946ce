#include "dialog_resource.h"

namespace {

INT_PTR CALLBACK Inert(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK CollectText(HWND control, LPARAM lParam) {
  char text[512] = "";
  GetWindowTextA(control, text, sizeof text);
  if (text[0]) reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(text);
  return TRUE;
}

}  // namespace

DialogResourceProbe::DialogResourceProbe(const char* name) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  owner_ = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1280, 1024, nullptr, nullptr, instance, nullptr);
  dialog_ = CreateDialogParamA(instance, name, owner_, Inert, 0);
}

DialogResourceProbe::~DialogResourceProbe() {
  if (dialog_) DestroyWindow(dialog_);
  if (owner_) DestroyWindow(owner_);
}

std::string DialogResourceProbe::Text(int id) const {
  char text[512] = "";
  GetDlgItemTextA(dialog_, id, text, sizeof text);
  return text;
}

std::string DialogResourceProbe::ClassOf(int id) const {
  char name[64] = "";
  if (HWND item = GetDlgItem(dialog_, id)) GetClassNameA(item, name, sizeof name);
  return name;
}

DWORD DialogResourceProbe::StyleOf(int id) const {
  HWND item = GetDlgItem(dialog_, id);
  return item ? DWORD(GetWindowLongA(item, GWL_STYLE)) : 0;
}

std::string DialogResourceProbe::Title() const {
  char text[256] = "";
  GetWindowTextA(dialog_, text, sizeof text);
  return text;
}

SIZE DialogResourceProbe::Size() const {
  RECT r = {};
  GetWindowRect(dialog_, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

std::vector<std::string> DialogResourceProbe::Texts() const {
  std::vector<std::string> texts;
  EnumChildWindows(dialog_, CollectText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}
