// The file menu end to end through the real choosers: a PNG, a FITS picture
// and a frame of an AVI loaded into buffers A, B and C and seen on screen,
// then buffer A saved as TIFF and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "avi_fixture.h"
#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/chooser_ids.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/chooser_hands.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using avifixture::Narrow;

using chooserhands::HookDialog;
using chooserhands::PickFilter;
using chooserhands::Press;
using chooserhands::SelectFile;
using chooserhands::TypeName;

void Pattern(int frame, int x, int y, BYTE* bgr) {
  bgr[0] = BYTE(40 * frame + x);
  bgr[1] = BYTE(4 * y);
  bgr[2] = 200;
}

// The colour at the middle of a buffer window's picture area.
COLORREF MiddlePixel(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, client.right / 2, (client.bottom - 20) / 2);
  ReleaseDC(window, dc);
  return c;
}

class FileMenuOnScreen : public ShownAppTest {
 protected:
  void SetUp() override {
    ShownAppTest::SetUp();
    ASSERT_TRUE(LoadSettings(&gProgramState, 0, "tyvorn.ini"));   // none there: the defaults
    gProgramState.Tiff.TiffSaveBits = 16;                          // the samples themselves
    dir_ = Narrow(folder_.path());
    std::snprintf(gProgramState.CurrentPath, kPathSize, "%s", dir_.c_str());
  }
  void Write(const char* name, const char* extension, int w, int h, int colourType, int16_t value) const {
    ImageHeader header;
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    header.colourType = colourType;
    std::vector<int16_t> samples(size_t(w) * h * (colourType ? 3 : 1));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(colourType && i % 3 != 2 ? 0 : value + i % 7);
    ASSERT_EQ(1, SaveImageFile((dir_ + name).c_str(), extension, 1, samples.data(), &header)) << name;
  }
  // Loads through "Bild &laden ..." into the buffer of menu item `buffer`,
  // running `choose` in the chooser.
  void LoadInto(UINT buffer, const std::function<void(HWND)>& choose) {
    SendCommand(buffer);
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      choose(dlg);
      Press(dlg, IDOK);
    });
    SendCommand(IDM_LOAD);
  }

  const avifixture::ScratchFolder folder_;
  std::string dir_;
};

TEST_F(FileMenuOnScreen, LoadThreeFormatsAndSaveAsTiff) {
  Write("mond.png", "PNG", 64, 48, 1, 20000);     // red
  Write("saturn.fts", "FTS", 50, 40, 0, 16000);   // mid grey
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"jupiter.avi", 96, 72, 6, Pattern));
  MessageBoxScript boxes;

  LoadInto(IDM_BUFFER_A, [](HWND dlg) { SelectFile(dlg, "mond.png"); });
  LoadInto(IDM_BUFFER_B, [](HWND dlg) { SelectFile(dlg, "saturn.fts"); });
  LoadInto(IDM_BUFFER_C, [](HWND dlg) {
    SelectFile(dlg, "jupiter.avi");
    const HWND hook = HookDialog(dlg);
    for (int i = 0; i < 3; ++i)
      SendMessageA(hook, WM_HSCROLL, SB_LINERIGHT, LPARAM(GetDlgItem(hook, IDC_PICTURE_FRAME_BAR)));
  });
  EXPECT_EQ(0u, boxes.Count());

  const struct {
    int buffer, width, height;
    const char* name;
  } kLoaded[] = {{1, 64, 48, "mond.png"}, {2, 50, 40, "saturn.fts"}, {3, 96, 72, "jupiter.avi"}};
  for (const auto& l : kLoaded) {
    ASSERT_TRUE(IsSlotLoaded(l.buffer, &gProgramState)) << l.name;
    ImageHeader h;
    GetSlotHeader(&h, l.buffer, &gProgramState);
    EXPECT_EQ(l.width, h.width) << l.name;
    EXPECT_EQ(l.height, h.height) << l.name;
    EXPECT_NE(std::string::npos, Title(BufferWindow(l.buffer)).find(l.name)) << Title(BufferWindow(l.buffer));
  }
  // Frame 3 of the video, its top row from the file's last.
  BYTE bgr[3];
  Pattern(3, 5, 71, bgr);
  EXPECT_EQ(bgr[0] * 128, GetSlotPixels(3, &gProgramState)[5 * 3]);
  EXPECT_EQ(3, gProgramState.AviFrameIndex);

  // On screen: red, grey and the video's pink-blue in the middle of each window.
  Settle();
  const COLORREF a = MiddlePixel(BufferWindow(1)), b = MiddlePixel(BufferWindow(2)), c = MiddlePixel(BufferWindow(3));
  EXPECT_GT(GetRValue(a), 100);
  EXPECT_LT(GetGValue(a), 30);
  EXPECT_GT(GetRValue(b), 60);
  EXPECT_EQ(GetRValue(b), GetGValue(b));
  EXPECT_GT(GetRValue(c), 150);
  EXPECT_GT(GetBValue(c), 60);

  // Buffer A as TIFF: typed without extension under "TIFF-Format".
  SendCommand(IDM_BUFFER_A);
  DialogDriver driver;
  driver.Then(nullptr, [&](HWND dlg) {
    TypeName(dlg, dir_ + "kopie");
    PickFilter(dlg, 7);
    Press(dlg, IDOK);
  });
  SendCommand(IDM_SAVE);
  EXPECT_EQ(0u, boxes.Count());
  const std::string saved = dir_ + "kopie.TIF";
  ImageMetadata m;
  GetSlotMetadata(&m, 1, &gProgramState);
  EXPECT_EQ(saved, m.path);
  int16_t* back = nullptr;
  ImageHeader h;
  ASSERT_EQ(1, LoadImageFile(saved.c_str(), "TIF", 1, &back, &h, &m));
  ASSERT_EQ(64, h.width);
  ASSERT_EQ(48, h.height);
  ASSERT_EQ(kColourRgb, h.colourType);
  const int16_t* original = GetSlotPixels(1, &gProgramState);
  int differ = 0;
  for (int i = 0; i < 64 * 48 * 3; ++i) differ += back[i] != original[i];
  EXPECT_EQ(0, differ);
  FreeMem(&back);
}

}  // namespace
