#include "astro/body_list.h"

#include <cstring>

namespace {

struct BodyEntry {
  const char* text;
  BodyCode code;
};
const BodyEntry kBodies[] = {{"Sonne", kBodySun},     {"Mond", kBodyMoon},       {"Merkur", kBodyMercury},
                             {"Venus", kBodyVenus},   {"Mars", kBodyMars},       {"Jupiter", kBodyJupiter},
                             {"Saturn", kBodySaturn}, {"Uranus", kBodyUranus}};

}  // namespace

void FillBodyCombo(HWND dialog, int comboId, BodyCode selected) {
  for (const BodyEntry& b : kBodies)
    SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(b.text));
  for (int i = 0; i < int(sizeof kBodies / sizeof kBodies[0]); ++i)
    if (kBodies[i].code == selected) SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, WPARAM(i), 0);
}

BodyCode ReadBodyCombo(HWND dialog, int comboId) {
  const LRESULT index = SendDlgItemMessageA(dialog, comboId, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return 0;
  // An entry longer than the buffer matches no body: ask for its length first.
  const LRESULT length = SendDlgItemMessageA(dialog, comboId, CB_GETLBTEXTLEN, WPARAM(index), 0);
  char text[16] = "";
  if (length == CB_ERR || length >= LRESULT(sizeof text)) return 0;
  if (SendDlgItemMessageA(dialog, comboId, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text)) == CB_ERR)
    return 0;
  for (const BodyEntry& b : kBodies)
    if (std::strcmp(text, b.text) == 0) return b.code;
  return 0;
}
