#include "edit_dialog_fixture.h"

#include <cstdio>

#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/settings.h"
#include "tests/shell/testkit/dialog_driver.h"

void EditDialogTest::LoadDefaults(std::initializer_list<int> sections) {
  char ini[kPathSize + 32];
  std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
  DeleteFileA(ini);
  for (int s : sections) LoadSettings(&gProgramState, s, kSettingsFileName);
}

std::vector<int16_t> EditDialogTest::Samples(int slot) {
  ImageHeader h;
  if (!IsSlotLoaded(slot, &gProgramState) || !GetSlotHeader(&h, slot, &gProgramState)) return {};
  const int16_t* s = GetSlotPixels(slot, &gProgramState);
  return std::vector<int16_t>(s, s + SampleBytes(&h) / 2);
}

void EditDialogTest::Picture(int buffer, const char* path, int w, int h, int colourType,
                             const std::function<int16_t(int, int, int)>& value) {
  LoadPicture(buffer, path, w, h, colourType);
  int16_t* s = GetSlotPixels(buffer, &gProgramState);
  const int spp = colourType == kColourRgb ? 3 : 1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < spp; ++c) s[(y * w + x) * spp + c] = value(x, y, c);
}

void EditDialogTest::MoveBar(HWND dialog, int id, int position) {
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), LPARAM(GetDlgItem(dialog, id)));
}

void EditDialogTest::StepBar(HWND dialog, int id, int request) {
  SendMessageA(dialog, WM_HSCROLL, request, LPARAM(GetDlgItem(dialog, id)));
}

void EditDialogTest::TypeAndLeave(HWND dialog, int id, const char* text) {
  DialogDriver::SetItemText(dialog, id, text);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), LPARAM(GetDlgItem(dialog, id)));
}

bool EditDialogTest::ClickPicture(HWND dialog, int previewId, int x, int y) {
  PreviewMapping map;
  const PreviewPane* pane = PreviewPaneOf(dialog);
  if (!pane || !GetPreviewMapping(pane, &map)) return false;
  if ((x - map.sectionX) % map.reduction || (y - map.sectionY) % map.reduction) return false;
  POINT at = {map.left + (x - map.sectionX) / map.reduction, map.top + (y - map.sectionY) / map.reduction};
  MapWindowPoints(GetDlgItem(dialog, previewId), dialog, &at, 1);
  POINT check;
  if (!PreviewPointToPicture(pane, at, &check) || check.x != x || check.y != y) return false;
  SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  return true;
}

COLORREF EditDialogTest::PanePixel(HWND dialog, int previewId, int x, int y) {
  const HWND control = GetDlgItem(dialog, previewId);
  RECT client;
  GetClientRect(control, &client);
  const HDC screen = GetDC(control);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageA(control, WM_PRINTCLIENT, WPARAM(memory), PRF_CLIENT);
  const COLORREF c = GetPixel(memory, x, y);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(control, screen);
  return c;
}
