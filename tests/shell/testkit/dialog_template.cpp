#include "dialog_template.h"

#include <cstring>

DialogTemplate::DialogTemplate(const char* title, short cx, short cy, DWORD style) {
  DLGTEMPLATE head{};
  head.style = style | DS_SETFONT | DS_MODALFRAME;
  head.cx = cx;
  head.cy = cy;
  words_.resize(sizeof head / sizeof(WORD));
  std::memcpy(words_.data(), &head, sizeof head);
  words_.push_back(0);   // no menu
  words_.push_back(0);   // the dialog class
  PutText(title);
  words_.push_back(8);   // point size, then the face
  PutText("MS Shell Dlg");
}

DialogTemplate& DialogTemplate::Add(WORD classAtom, int id, const char* text, short x, short y, short cx,
                                    short cy, DWORD style) {
  return AddItem(classAtom, nullptr, id, text, x, y, cx, cy, style);
}

DialogTemplate& DialogTemplate::Add(const char* className, int id, const char* text, short x, short y, short cx,
                                    short cy, DWORD style) {
  return AddItem(0, className, id, text, x, y, cx, cy, style);
}

DialogTemplate& DialogTemplate::AddItem(WORD classAtom, const char* className, int id, const char* text, short x,
                                        short y, short cx, short cy, DWORD style) {
  Align();
  DLGITEMTEMPLATE item{};
  item.style = style;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.id = WORD(id);
  const size_t at = words_.size();
  words_.resize(at + sizeof item / sizeof(WORD));
  std::memcpy(words_.data() + at, &item, sizeof item);
  if (className) {
    PutText(className);
  } else {
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
  }
  PutText(text);
  words_.push_back(0);   // no creation data
  DLGTEMPLATE head;
  std::memcpy(&head, words_.data(), sizeof head);
  ++head.cdit;
  std::memcpy(words_.data(), &head, sizeof head);
  return *this;
}

void DialogTemplate::Align() {
  if (words_.size() % 2) words_.push_back(0);
}

void DialogTemplate::PutText(const char* text) {
  // Code page 1252, as the program's narrow strings are.
  const int n = MultiByteToWideChar(1252, 0, text, -1, nullptr, 0);
  std::vector<wchar_t> wide(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(1252, 0, text, -1, wide.data(), n);
  for (wchar_t c : wide) words_.push_back(WORD(c));
}
