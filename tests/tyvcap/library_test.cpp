// The library's export list, wide-string tables, the DirectX probe and the
// display window.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tyvcap.h"

namespace {

std::vector<std::string> ExportedNames(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> out;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) out.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(out.begin(), out.end());
  return out;
}

TEST(Exports, AreExactlyTheLibrarysThirtyEightPlainNames) {
  std::vector<std::string> expected = {
      "TYVCAP_AllocWcharArray", "TYVCAP_CaptureVideo", "TYVCAP_CloseCapture", "TYVCAP_CloseDisplayWnd",
      "TYVCAP_EnumCaptureDevices", "TYVCAP_ExitAVIDecoder2", "TYVCAP_ExitAVIDecoder", "TYVCAP_FreeWcharArray",
      "TYVCAP_GetAVIFrame2", "TYVCAP_GetAVIFrame", "TYVCAP_GetCaptureState", "TYVCAP_GetDisplayWnd",
      "TYVCAP_GetFrame", "TYVCAP_GetFrameChannel", "TYVCAP_GetFramePointer", "TYVCAP_GetStandardFrame",
      "TYVCAP_GetVideoInfo", "TYVCAP_InitAVIDecoder2", "TYVCAP_InitAVIDecoder", "TYVCAP_InitCapture",
      "TYVCAP_IsCrossbar", "TYVCAP_OpenDisplayWnd", "TYVCAP_RenameCapVideo", "TYVCAP_SetDisplayWndOnTop",
      "TYVCAP_SetDisplayWndPos", "TYVCAP_SetPositionmarker", "TYVCAP_SetTimemarker", "TYVCAP_SetupCrossbar",
      "TYVCAP_SetupVideoformat", "TYVCAP_SetupVideoquali", "TYVCAP_StopCapture", "TYVCAP_StrToWchar",
      "TYVCAP_TestDXVersion", "TYVGPU_CheckStreamingComputing", "TYVGPU_Cleanup", "TYVGPU_GetStreamingCaps",
      "TYVGPU_InitD3D", "TYVGPU_Render"};
  std::sort(expected.begin(), expected.end());
  HMODULE module = GetModuleHandleA("tyvcap.dll");
  ASSERT_NE(nullptr, module);
  EXPECT_EQ(expected, ExportedNames(module));
  for (const auto& name : expected) EXPECT_NE(nullptr, GetProcAddress(module, name.c_str())) << name;
}

TEST(WideStringTable, RowsLieBackToBackAndStartEmpty) {
  wchar_t** table = nullptr;
  ASSERT_EQ(1, TYVCAP_AllocWcharArray(&table, 20, 84));
  ASSERT_NE(nullptr, table);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(168 * i, reinterpret_cast<BYTE*>(table[i]) - reinterpret_cast<BYTE*>(table[0])) << "row " << i;
  }
  EXPECT_TRUE(std::all_of(table[0], table[0] + 20 * 84, [](wchar_t c) { return c == 0; }));
  // The rows are the caller's to write, all of them.
  for (int i = 0; i < 20; ++i) std::fill(table[i], table[i] + 84, L'x');
  EXPECT_EQ(0, TYVCAP_FreeWcharArray(table));
}

TEST(WideStringTable, ImpossibleShapesGiveNoTable) {
  const struct {
    int count, length;
  } cases[] = {{0, 84}, {20, 0}, {-1, 84}, {1 << 20, 1 << 20}};
  for (const auto& c : cases) {
    wchar_t** table = reinterpret_cast<wchar_t**>(1);
    EXPECT_EQ(0, TYVCAP_AllocWcharArray(&table, c.count, c.length)) << c.count << " x " << c.length;
    EXPECT_EQ(nullptr, table);
  }
}

TEST(StrToWchar, ConvertsFromTheAnsiCodePageWithTheTerminator) {
  const struct {
    const char* ansi;
    std::wstring wide;
  } cases[] = {{"", L""},
               {"C:\\Aufnahmen\\Jupiter.avi", L"C:\\Aufnahmen\\Jupiter.avi"},
               {"Prüfkamera 5°", L"Pr\u00FCfkamera 5\u00B0"},
               {"\x80 \x9F", L"\u20AC \u0178"}};
  for (const auto& c : cases) {
    wchar_t out[64];
    std::fill(out, out + 64, L'#');
    EXPECT_EQ(out, TYVCAP_StrToWchar(out, c.ansi));
    EXPECT_EQ(c.wide, std::wstring(out));
    EXPECT_EQ(L'#', out[c.wide.size() + 1]) << "wrote past the terminator";
  }
}

TEST(DirectXProbe, FindsDirectX8OrNewer) { EXPECT_EQ(1, TYVCAP_TestDXVersion()); }

TEST(DisplayWindow, IsAChildOfItsParentThatMovesAndCloses) {
  HWND parent = CreateWindowExA(0, "STATIC", "Vorschau", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(nullptr, parent);
  ASSERT_EQ(1, TYVCAP_OpenDisplayWnd(parent, 10, 20, 160, 120));
  HWND display = TYVCAP_GetDisplayWnd();
  ASSERT_TRUE(IsWindow(display));
  EXPECT_EQ(parent, GetParent(display));
  char cls[32];
  GetClassNameA(display, cls, sizeof cls);
  EXPECT_STREQ("DisplayWnd", cls);
  const LONG_PTR style = GetWindowLongPtrA(display, GWL_STYLE);
  EXPECT_EQ(WS_CHILD | WS_VISIBLE, style & (WS_CHILD | WS_VISIBLE));

  EXPECT_EQ(1, TYVCAP_SetDisplayWndPos(30, 40, 200, 100));
  RECT rc;
  GetWindowRect(display, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(30, rc.left);
  EXPECT_EQ(40, rc.top);
  EXPECT_EQ(200, rc.right - rc.left);
  EXPECT_EQ(100, rc.bottom - rc.top);

  EXPECT_EQ(1, TYVCAP_CloseDisplayWnd());
  EXPECT_FALSE(IsWindow(display));
  DestroyWindow(parent);
}

TEST(DisplayWindow, WithoutAParentItIsNotMade) {
  EXPECT_EQ(0, TYVCAP_OpenDisplayWnd(nullptr, 0, 0, 10, 10));
}

// A program may load and unload the library more than once.
TEST(LibraryEntry, LoadsAgainAfterItWasUnloaded) {
  wchar_t here[MAX_PATH], temp[MAX_PATH], copy[MAX_PATH];
  GetModuleFileNameW(GetModuleHandleA("tyvcap.dll"), here, MAX_PATH);
  GetTempPathW(MAX_PATH, temp);
  swprintf(copy, MAX_PATH, L"%lstyvcap-copy-%lu.dll", temp, GetCurrentProcessId());
  ASSERT_TRUE(CopyFileW(here, copy, FALSE));
  for (int round = 0; round < 2; ++round) {
    HMODULE m = LoadLibraryW(copy);
    ASSERT_NE(nullptr, m) << "round " << round << ", error " << GetLastError();
    FreeLibrary(m);
  }
  DeleteFileW(copy);
}

}  // namespace
