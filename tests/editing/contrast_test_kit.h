// What the contrast, flat-field and dark-frame dialog tests share: the
// program's windows, pictures with a spread of levels, the samples of a
// buffer, tabs, sliders and bars moved as a user moves them, and the pixels
// of a preview bitmap.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/settings.h"
#include "tests/app/app_fixture.h"

class EditingDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // Every test starts from the file's defaults.
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    DeleteFileA(ini);
    for (int section : {kSectionContrast, kSectionDarkcurrent, kSectionPicSave})
      LoadSettings(&gProgramState, section, kSettingsFileName);
    std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s\\",
                  gProgramState.ProgramDirectory);
    gProgramState.IsPreview = 1;
  }

  // A picture whose samples wander between lo and hi.
  static void LoadSpread(int buffer, int w, int h, int colourType, int lo = 3000, int hi = 21000,
                         uint32_t seed = 7) {
    LoadPicture(buffer, "bild.fts", w, h, colourType);
    ImageHeader header;
    GetSlotHeader(&header, buffer, &gProgramState);
    int16_t* s = GetSlotPixels(buffer, &gProgramState);
    for (uint32_t i = 0; i < SampleBytes(&header) / 2; ++i) {
      seed = seed * 1664525u + 1013904223u;
      s[i] = int16_t(lo + (seed >> 8) % uint32_t(hi - lo));
    }
  }

  static std::vector<int16_t> Samples(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    const int16_t* s = GetSlotPixels(slot, &gProgramState);
    return s ? std::vector<int16_t>(s, s + SampleBytes(&h) / 2) : std::vector<int16_t>();
  }

  static ImageHeader Header(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    return h;
  }

  static void WriteIni(const char* section, const char* key, const char* value) {
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    WritePrivateProfileStringA(section, key, value, ini);
  }

  static std::string IniValue(const char* section, const char* key) {
    char ini[kPathSize + 32], value[128] = "";
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    GetPrivateProfileStringA(section, key, "", value, sizeof value, ini);
    return value;
  }

  static std::string ProgramFile(const char* name) {
    return std::string(gProgramState.ProgramDirectory) + "\\" + name;
  }

  // A FITS file of the program directory with these samples: its path.
  static std::string WritePictureFile(const char* name, int w, int h, int colourType,
                                      int16_t (*sample)(int x, int y, int channel)) {
    ImageHeader header;
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    header.colourType = colourType;
    const int spp = SamplesPerPixel(&header);
    std::vector<int16_t> s(size_t(w) * h * spp);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < spp; ++c) s[(size_t(y) * w + x) * spp + c] = sample(x, y, c);
    const std::string path = ProgramFile(name);
    EXPECT_TRUE(SaveImageFile(path.c_str(), "FTS", 0, s.data(), &header));
    return path;
  }
  // The samples of a FITS file as the program loads them.
  static std::vector<int16_t> LoadPictureFile(const std::string& path) {
    int16_t* samples = nullptr;
    ImageHeader header;
    ImageMetadata metadata;
    InitImageHeader(&header);
    InitImageMetadata(&metadata);
    EXPECT_TRUE(LoadImageFile(path.c_str(), "FTS", 0, &samples, &header, &metadata));
    std::vector<int16_t> v(samples, samples + SampleBytes(&header) / 2);
    FreeMem(&samples);
    return v;
  }

  static void SelectTab(HWND dlg, int tabId, int index) {
    HWND tab = GetDlgItem(dlg, tabId);
    SendMessageA(tab, TCM_SETCURSEL, index, 0);
    NMHDR n = {tab, UINT_PTR(tabId), UINT(TCN_SELCHANGE)};
    SendMessageA(dlg, WM_NOTIFY, tabId, LPARAM(&n));
  }

  // A scroll bar moved to a position, or by a request.
  static void MoveBar(HWND dlg, int id, int position, UINT message = WM_HSCROLL) {
    SendMessageA(dlg, message, MAKEWPARAM(SB_THUMBPOSITION, position), LPARAM(GetDlgItem(dlg, id)));
  }
  static void StepBar(HWND dlg, int id, int request, UINT message = WM_HSCROLL) {
    SendMessageA(dlg, message, request, LPARAM(GetDlgItem(dlg, id)));
  }
  // A trackbar dragged: it moves, then tells its dialog.
  static void MoveTrackbar(HWND dlg, int id, int position) {
    HWND track = GetDlgItem(dlg, id);
    SendMessageA(track, TBM_SETPOS, TRUE, position);
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), LPARAM(track));
  }
  static int TrackbarPosition(HWND dlg, int id) { return int(SendDlgItemMessageA(dlg, id, TBM_GETPOS, 0, 0)); }
  static bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }

  // The pixels of a bitmap as 32-bit values, row by row.
  static std::vector<uint32_t> Pixels(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObject(bitmap, sizeof info, &info)) return {};
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(size_t(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return pixels;
  }
};
