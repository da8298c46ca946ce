// What the star removal and red-weakness tests share: the program's windows
// with settings from their defaults, a starry colour picture, the samples of
// a buffer, sliders moved as a user moves them and the preview's reduction.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/settings.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"

class StarDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    DeleteFileA(ini);
    for (int s : {kSectionRemoveStars, kSectionContrast, kSectionPicSave})
      LoadSettings(&gProgramState, s, kSettingsFileName);
    std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s\\",
                  gProgramState.ProgramDirectory);
  }

  // A reddish gradient of w x h with a bright star every 23 pixels.
  static void LoadStarry(int buffer, int w = 160, int h = 120, int colourType = 1) {
    LoadPicture(buffer, "sterne.fts", w, h, colourType);
    int16_t* s = GetSlotPixels(buffer, &gProgramState);
    const int spp = colourType == 1 ? 3 : 1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool star = x % 23 >= 10 && x % 23 <= 12 && y % 23 >= 10 && y % 23 <= 12;
        const bool core = x % 23 == 11 && y % 23 == 11;
        for (int c = 0; c < spp; ++c)
          s[(y * w + x) * spp + c] = int16_t(core ? 30000 : star ? 18000 : 1500 + 20 * x + 8 * y + 400 * c);
      }
  }

  static std::vector<int16_t> Samples(int slot) {
    ImageHeader h;
    if (!IsSlotLoaded(slot, &gProgramState) || !GetSlotHeader(&h, slot, &gProgramState)) return {};
    const int16_t* s = GetSlotPixels(slot, &gProgramState);
    return std::vector<int16_t>(s, s + SampleBytes(&h) / 2);
  }
  static ImageHeader Header(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    return h;
  }

  static std::string ProgramFile(const char* name) {
    return std::string(gProgramState.ProgramDirectory) + "\\" + name;
  }

  static void MoveBar(HWND dlg, int id, int position) {
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), LPARAM(GetDlgItem(dlg, id)));
  }
  static void StepBar(HWND dlg, int id, int request) {
    SendMessageA(dlg, WM_HSCROLL, request, LPARAM(GetDlgItem(dlg, id)));
  }
  static int BarPosition(HWND dlg, int id) { return GetScrollPos(GetDlgItem(dlg, id), SB_CTL); }
  static bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }

  // Presses "-" or "+" until the preview shows 1:n.
  static void SetReduction(HWND dlg, int minus, int plus, int n) {
    const PreviewPane* pane = PreviewPaneOf(dlg);
    ASSERT_NE(nullptr, pane);
    for (int i = 0; i < 40 && *pane->reduction != n; ++i) DialogDriver::Click(dlg, *pane->reduction < n ? minus : plus);
    ASSERT_EQ(n, *pane->reduction);
  }
};
