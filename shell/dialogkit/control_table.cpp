#include "control_table.h"

#include <commctrl.h>

#include <cstdio>

#include "shell/message_box.h"
#include "shell/previews.h"
#include "shell/scroll_bars.h"

namespace {

bool IsTrackbar(HWND control) {
  char name[32];
  return GetClassNameA(control, name, sizeof name) && lstrcmpiA(name, TRACKBAR_CLASSA) == 0;
}

void SetBarControl(HWND dialog, const BarSpec& bar, int32_t position) {
  HWND control = GetDlgItem(dialog, bar.bar);
  if (!control) return;
  if (IsTrackbar(control)) {
    SendMessageA(control, TBM_SETRANGEMIN, FALSE, bar.min);
    SendMessageA(control, TBM_SETRANGEMAX, FALSE, bar.max);
    SendMessageA(control, TBM_SETPAGESIZE, 0, bar.page);
    SendMessageA(control, TBM_SETPOS, TRUE, position);
    return;
  }
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_POS;
  si.nMin = bar.min;
  si.nMax = bar.max;
  si.nPos = position;
  SetScrollInfo(control, SB_CTL, &si, TRUE);
}

void SetBarText(HWND dialog, const BarSpec& bar, double value) {
  if (!bar.text) return;
  char text[64];
  FormatBarText(text, sizeof text, bar, value);
  SetDlgItemTextA(dialog, bar.text, text);
}

void ShowRadio(HWND dialog, const RadioSpec& r, const void* record) {
  const int shown = ShownRadioIndex(r, ReadField(record, r.field));
  for (int i = 0; i < r.count; ++i) CheckDlgButton(dialog, r.firstId + i, i == shown ? BST_CHECKED : BST_UNCHECKED);
}

void ShowCheck(HWND dialog, const CheckSpec& c, const void* record) {
  const bool set = ReadField(record, c.field) != 0;
  CheckDlgButton(dialog, c.id, set != c.inverted ? BST_CHECKED : BST_UNCHECKED);
}

void ShowNumber(HWND dialog, const NumberSpec& n, double value) {
  char text[64];
  FormatNumber(text, sizeof text, n, value);
  SetDlgItemTextA(dialog, n.edit, text);
}

}  // namespace

void ShowBarValue(HWND dialog, const BarSpec& bar, double value) {
  SetBarControl(dialog, bar, BarPosition(bar, value));
  SetBarText(dialog, bar, value);
}

void ShowBar(HWND dialog, const BarSpec& bar, const void* record) {
  ShowBarValue(dialog, bar, ReadField(record, bar.field));
}

void ShowControlTable(HWND dialog, const ControlTable& table, const void* record) {
  for (const BarSpec& b : table.bars) ShowBar(dialog, b, record);
  for (const RadioSpec& r : table.radios) ShowRadio(dialog, r, record);
  for (const CheckSpec& c : table.checks) ShowCheck(dialog, c, record);
  for (const NumberSpec& n : table.numbers) ShowNumber(dialog, n, ReadField(record, n.field));
}

const BarSpec* HandleTableScroll(HWND dialog, const ControlTable& table, void* record, HWND control, WPARAM request) {
  if (!control) return nullptr;
  const int id = GetDlgCtrlID(control);
  for (const BarSpec& b : table.bars) {
    if (b.bar != id || GetDlgItem(dialog, id) != control) continue;
    int32_t position;
    if (IsTrackbar(control)) {
      // A trackbar has moved itself already.
      position = int32_t(SendMessageA(control, TBM_GETPOS, 0, 0));
    } else {
      position = GetScrollPos(control, SB_CTL);
      UpdateScrollPos(&position, b.page, b.max, b.min, 0, request);
      SetScrollPos(control, SB_CTL, position, TRUE);
    }
    const double value = BarValue(b, position);
    WriteField(record, b.field, value);
    SetBarText(dialog, b, ReadField(record, b.field));
    return &b;
  }
  return nullptr;
}

int HandleTableCommand(HWND dialog, const ControlTable& table, void* record, int id, int notification) {
  for (const RadioSpec& r : table.radios) {
    if (id < r.firstId || id >= r.firstId + r.count) continue;
    const double value = RadioValue(r, id - r.firstId);
    const bool changed = ReadField(record, r.field) != value;
    WriteField(record, r.field, value);
    ShowRadio(dialog, r, record);
    return changed;
  }
  for (const CheckSpec& c : table.checks) {
    if (id != c.id) continue;
    WriteField(record, c.field, ReadField(record, c.field) != 0 ? 0 : 1);
    ShowCheck(dialog, c, record);
    return 1;
  }
  for (const NumberSpec& n : table.numbers)
    if (id == n.edit && notification == EN_KILLFOCUS) return ReadNumberField(dialog, n, record);
  return 0;
}

int ReadNumberField(HWND dialog, const NumberSpec& n, void* record) {
  char text[80] = "";
  GetDlgItemTextA(dialog, n.edit, text, sizeof text);
  const double before = ReadField(record, n.field);
  double value = before;
  const NumberParse parse = ParseNumberField(n, text, &value);
  if (parse == NumberParse::kRefused) {
    char lo[32], hi[32];
    FormatNumber(lo, sizeof lo, n, n.min);
    FormatNumber(hi, sizeof hi, n, n.max);
    ShowMessageBoxF(dialog, kTitleNote, MB_OK | MB_ICONEXCLAMATION, "Bitte eine Zahl zwischen %s und %s eingeben !",
                    lo, hi);
    ShowNumber(dialog, n, before);
    return 0;
  }
  WriteField(record, n.field, value);
  if (parse == NumberParse::kClamped) ShowNumber(dialog, n, ReadField(record, n.field));
  return ReadField(record, n.field) != before;
}

int ReadNumberFields(HWND dialog, const ControlTable& table, void* record) {
  int ok = 1;
  for (const NumberSpec& n : table.numbers) {
    char text[80] = "";
    GetDlgItemTextA(dialog, n.edit, text, sizeof text);
    double unused;
    if (ParseNumberField(n, text, &unused) == NumberParse::kRefused) ok = 0;
    ReadNumberField(dialog, n, record);
  }
  return ok;
}

void EnableBar(HWND dialog, const BarSpec& bar, bool enable) {
  if (HWND c = GetDlgItem(dialog, bar.bar)) EnableWindow(c, enable);
  if (bar.text)
    if (HWND c = GetDlgItem(dialog, bar.text)) EnableWindow(c, enable);
}
