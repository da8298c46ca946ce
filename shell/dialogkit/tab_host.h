// A tab control whose pages are modeless dialogs: the page of the selected
// tab lives inside the host dialog's tab area and is destroyed when another
// tab is chosen. Page templates are child dialogs:
//
//   filtersheet1 DIALOGEX 0, 0, 220, 120
//   STYLE DS_CONTROL | DS_SETFONT | WS_CHILD
//
// so the dialog's keyboard navigation reaches their controls and the
// keyboard hook still finds the host as the active window. A page writes its
// settings straight into ProgramState and asks the host for a new preview
// with RequestPreview(page).
//
//   constexpr TabPageSpec kPages[] = {{"Weichzeichner", "filtersheet1", BlurSheetDlgProc}, ...};
//   TabHost gTabs;
//   WM_INITDIALOG:  CreateTabHost(&gTabs, dialog, IDC_TABS, kPages, 5, first);
//   WM_NOTIFY:      if (IsTabChange(&gTabs, lParam)) ShowTabPage(&gTabs, SelectedTab(&gTabs));
//   way out:        DestroyTabHost(&gTabs);
//   WM_APP_PREVIEW (kMsgPreviewRequest): recompute the preview.
#pragma once

#include <windows.h>

constexpr int kMaxTabPages = 8;
// Sent (posted) by RequestPreview to the host dialog.
constexpr UINT kMsgPreviewRequest = WM_APP + 0x71;

struct TabPageSpec {
  const char* text;
  const char* templateName;
  DLGPROC procedure;
};

struct TabHost {
  HWND dialog;
  HWND tab;
  HWND page;                    // the page shown, or null
  int shown;                    // its index, -1 for none
  RECT area;                    // the tab's display area in the dialog's client coordinates
  const TabPageSpec* pages;
  int count;
  const DLGTEMPLATE* templates[kMaxTabPages];
};

// The template resource of that name in the program (or null).
const DLGTEMPLATE* LoadDialogTemplate(const char* name);

// Inserts the tabs, loads their templates, selects `selected` (an index
// outside 0..count-1 leaves the first tab) and shows its page. 0 when the tab
// control or a template is missing.
int CreateTabHost(TabHost* host, HWND dialog, int tabId, const TabPageSpec* pages, int count, int selected);
int SelectedTab(const TabHost* host);
// 1 when the WM_NOTIFY lParam tells that the host's selection changed.
int IsTabChange(const TabHost* host, LPARAM notify);
// Destroys the page shown and creates the page of index (selects its tab).
HWND ShowTabPage(TabHost* host, int index);
// Destroys the page shown and deletes the tabs.
void DestroyTabHost(TabHost* host);
// The host of a page or of the host dialog itself.
TabHost* TabHostOf(HWND window);

// From a page: asks the host dialog for a new preview (the request is posted,
// so a page may ask from any handler, once per change).
void RequestPreview(HWND page);
