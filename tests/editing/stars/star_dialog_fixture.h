// What the star removal and red-weakness tests share beyond the editing
// dialogs' fixture: their settings from the defaults, a starry colour
// picture and the preview's reduction.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/settings.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"

class StarDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    EditDialogTest::SetUp();
    LoadDefaults({kSectionRemoveStars, kSectionContrast, kSectionPicSave});
    std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s\\",
                  gProgramState.ProgramDirectory);
  }

  // A reddish gradient of w x h with a bright star every 23 pixels.
  static void LoadStarry(int buffer, int w = 160, int h = 120, int colourType = 1) {
    Picture(buffer, "sterne.fts", w, h, colourType, [](int x, int y, int c) {
      const bool star = x % 23 >= 10 && x % 23 <= 12 && y % 23 >= 10 && y % 23 <= 12;
      const bool core = x % 23 == 11 && y % 23 == 11;
      return int16_t(core ? 30000 : star ? 18000 : 1500 + 20 * x + 8 * y + 400 * c);
    });
  }

  static ImageHeader Header(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    return h;
  }

  static std::string ProgramFile(const char* name) {
    return std::string(gProgramState.ProgramDirectory) + "\\" + name;
  }

  // Presses "-" or "+" until the preview shows 1:n.
  static void SetReduction(HWND dlg, int minus, int plus, int n) {
    const PreviewPane* pane = PreviewPaneOf(dlg);
    ASSERT_NE(nullptr, pane);
    for (int i = 0; i < 40 && *pane->reduction != n; ++i) DialogDriver::Click(dlg, *pane->reduction < n ? minus : plus);
    ASSERT_EQ(n, *pane->reduction);
  }
};
