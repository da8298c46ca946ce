// What the tests of the editing dialogs share: the program's windows with
// four empty buffers (AppTest), the buffers' samples, pictures with given
// samples, and the hands that move a slider, leave an edit field and click
// on a preview at a picture point.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/app/app_fixture.h"

class EditDialogTest : public AppTest {
 protected:
  // Settings sections are read anew from a "tyvorn.ini" that does not exist:
  // every test starts from their defaults.
  void LoadDefaults(std::initializer_list<int> sections);

  static std::vector<int16_t> Samples(int slot);
  // A picture of w x h (colour type 1 or 0) whose samples come from value(x, y, channel).
  static void Picture(int buffer, const char* path, int w, int h, int colourType,
                      const std::function<int16_t(int, int, int)>& value);

  static void MoveBar(HWND dialog, int id, int position);
  // A scroll request (SB_LINERIGHT, SB_RIGHT ...) on a horizontal bar, and where a bar stands.
  static void StepBar(HWND dialog, int id, int request);
  static int BarPosition(HWND dialog, int id) { return GetScrollPos(GetDlgItem(dialog, id), SB_CTL); }
  // Types text into an edit field and leaves it.
  static void TypeAndLeave(HWND dialog, int id, const char* text);
  // Releases the left button over the dialog where the preview shows
  // picture pixel (x, y); false when the preview does not show it.
  static bool ClickPicture(HWND dialog, int previewId, int x, int y);
  // Pixel (x, y) of the preview control's client area as the pane draws it,
  // read from a device context of its own, whatever lies over the dialog.
  static COLORREF PanePixel(HWND dialog, int previewId, int x, int y);
  static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
  static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
};
