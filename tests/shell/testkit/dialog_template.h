// In-memory dialog templates for tests: a DLGTEMPLATE with its items, built
// in a DWORD-aligned buffer, ready for DialogBoxIndirectParam.
#pragma once

#include <windows.h>

#include <vector>

class DialogTemplate {
 public:
  // Dialog units; the style gets DS_SETFONT with 8-point "MS Shell Dlg".
  DialogTemplate(const char* title, short cx, short cy, DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU);

  // Predefined control classes by their atom.
  static constexpr WORD kButton = 0x0080;
  static constexpr WORD kEdit = 0x0081;
  static constexpr WORD kStatic = 0x0082;

  DialogTemplate& Add(WORD classAtom, int id, const char* text, short x, short y, short cx, short cy,
                      DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  // A control of a class named by its text ("msctls_trackbar32").
  DialogTemplate& Add(const char* className, int id, const char* text, short x, short y, short cx, short cy,
                      DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  DialogTemplate& Button(int id, const char* text, short x, short y) {
    return Add(kButton, id, text, x, y, 50, 14);
  }
  DialogTemplate& Edit(int id, const char* text, short x, short y) {
    return Add(kEdit, id, text, x, y, 80, 12, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL);
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  DialogTemplate& AddItem(WORD classAtom, const char* className, int id, const char* text, short x, short y,
                          short cx, short cy, DWORD style);
  void Align();
  void PutText(const char* text);

  std::vector<WORD> words_;
};
