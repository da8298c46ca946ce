#include "tab_host.h"

#include <commctrl.h>

namespace {

constexpr char kHostProperty[] = "TyvornTabHost";

HWND HostDialog(HWND window) {
  for (HWND w = window; w; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (GetPropA(w, kHostProperty)) return w;
  return nullptr;
}

}  // namespace

const DLGTEMPLATE* LoadDialogTemplate(const char* name) {
  const HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(5));   // RT_DIALOG
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

int CreateTabHost(TabHost* host, HWND dialog, int tabId, const TabPageSpec* pages, int count, int selected) {
  *host = TabHost{};
  host->dialog = dialog;
  host->shown = -1;
  host->tab = GetDlgItem(dialog, tabId);
  host->pages = pages;
  host->count = count < kMaxTabPages ? count : kMaxTabPages;
  if (!host->tab) return 0;
  SetPropA(dialog, kHostProperty, host);
  int ok = 1;
  for (int i = 0; i < host->count; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(pages[i].text);
    SendMessageA(host->tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    host->templates[i] = LoadDialogTemplate(pages[i].templateName);
    if (!host->templates[i]) ok = 0;
  }
  // The display area, from the tab control's rectangle in the dialog.
  RECT r;
  GetWindowRect(host->tab, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  SendMessageA(host->tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  host->area = r;
  ShowTabPage(host, selected >= 0 && selected < host->count ? selected : 0);
  return ok;
}

int SelectedTab(const TabHost* host) {
  return host->tab ? int(SendMessageA(host->tab, TCM_GETCURSEL, 0, 0)) : -1;
}

int IsTabChange(const TabHost* host, LPARAM notify) {
  const auto* n = reinterpret_cast<const NMHDR*>(notify);
  return n && host->tab && n->hwndFrom == host->tab && n->code == UINT(TCN_SELCHANGE);
}

HWND ShowTabPage(TabHost* host, int index) {
  if (host->page) {
    DestroyWindow(host->page);
    host->page = nullptr;
    host->shown = -1;
  }
  if (index < 0 || index >= host->count || !host->templates[index]) return nullptr;
  if (SelectedTab(host) != index) SendMessageA(host->tab, TCM_SETCURSEL, index, 0);
  host->shown = index;
  HWND page = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), host->templates[index], host->dialog,
                                         host->pages[index].procedure, 0);
  if (!page) return nullptr;
  host->page = page;
  const RECT& a = host->area;
  SetWindowPos(page, HWND_TOP, a.left, a.top, a.right - a.left, a.bottom - a.top, SWP_SHOWWINDOW);
  return page;
}

void DestroyTabHost(TabHost* host) {
  if (host->page) DestroyWindow(host->page);
  host->page = nullptr;
  host->shown = -1;
  if (host->tab) SendMessageA(host->tab, TCM_DELETEALLITEMS, 0, 0);
  if (host->dialog) RemovePropA(host->dialog, kHostProperty);
}

TabHost* TabHostOf(HWND window) {
  HWND dialog = HostDialog(window);
  return dialog ? static_cast<TabHost*>(GetPropA(dialog, kHostProperty)) : nullptr;
}

void RequestPreview(HWND page) {
  HWND dialog = HostDialog(page);
  if (!dialog) dialog = GetParent(page);
  // One request in the queue is enough.
  MSG pending;
  if (dialog && !PeekMessageA(&pending, dialog, kMsgPreviewRequest, kMsgPreviewRequest, PM_NOREMOVE))
    PostMessageA(dialog, kMsgPreviewRequest, 0, 0);
}
