#include "app_fixture.h"

#include <cstdio>
#include <cstring>

#include "imagelib/trigon.h"
#include "shell/desktop.h"
#include "shell/buffer_slots.h"
#include "shell/buffer_window.h"
#include "shell/display_palette.h"
#include "shell/frame_window.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "shell/program_main.h"

namespace {

bool gClassesRegistered = false;

void MakeProgramDirectory() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::snprintf(gProgramState.ProgramDirectory, sizeof gProgramState.ProgramDirectory, "%styvapp-%lu-%lu", temp,
                GetCurrentProcessId(), GetTickCount());
  CreateDirectoryA(gProgramState.ProgramDirectory, nullptr);
}

void MakeFrame() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!gClassesRegistered) {
    ASSERT_TRUE(RegisterWindowClasses(instance));
    gClassesRegistered = true;
  }
  ASSERT_TRUE(CreateFrameWindow(instance));
  if (!gProgramState.PaletteHandle) gProgramState.PaletteHandle = CreateProgramPalette(&gProgramState);
}

}  // namespace

void AppTest::SetUpTestSuite() {
  if (gClassesRegistered) return;
  InitProgramState(&gProgramState);
  MakeProgramDirectory();
  char table[kPathSize + 16];
  std::snprintf(table, sizeof table, "%s\\trigon.tab", gProgramState.ProgramDirectory);
  ASSERT_TRUE(LoadTrigTables(table));
  SaveSystemColours(&gProgramState);
  MakeFrame();
}

void AppTest::SetUp() {
  // A test that ended the program's windows gets a new frame.
  if (!IsWindow(Frame()) || !IsWindow(BufferWindow(1))) {
    if (IsWindow(Frame())) DestroyWindow(Frame());
    MakeFrame();
    QuitPosted();
  }
  SetDialogOpener(nullptr, nullptr);
  SetDirectXProbe(nullptr);
  for (int s = 1; s <= kSlotCount; ++s) ClearSlot(s, &gProgramState);
  gProgramState.ActiveBuffer = 1;
  gProgramState.SourceBuffer = gProgramState.TargetBuffer = 1;
  gProgramState.QuitWithoutAsking = 0;
  RECT screen;
  GetWindowRect(GetDesktopWindow(), &screen);
  gProgramState.ScreenWidth = screen.right;
  gProgramState.ScreenHeight = screen.bottom;
  for (int b = 1; b <= kBufferCount; ++b) {
    for (int i = 0; i < 32; ++i) SendMessageA(BufferWindow(b), WM_COMMAND, IDC_BUFFER_ZOOM_IN, 0);
    RefreshBufferWindow(b);
  }
  PutProgramFile("recenter.tmp", false);
  PutProgramFile("batch.tmp", false);
}

void AppTest::TearDown() {
  SetDialogOpener(nullptr, nullptr);
  SetDirectXProbe(nullptr);
  QuitPosted();
}

HWND AppTest::Frame() { return gFrameWindow; }
HWND AppTest::BufferWindow(int buffer) { return WindowOfSlot(buffer); }

std::string AppTest::Title(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void AppTest::LoadPicture(int buffer, const char* path, int w, int h, int colourType) {
  ImageHeader header;
  InitImageHeader(&header);
  header.width = w;
  header.height = h;
  header.colourType = colourType;
  ImageMetadata metadata;
  InitImageMetadata(&metadata);
  std::snprintf(metadata.path, sizeof metadata.path, "%s", path);
  int16_t* samples = nullptr;
  ASSERT_TRUE(AllocPixels(&samples, &header));
  const int n = w * h * SamplesPerPixel(&header);
  for (int i = 0; i < n; ++i) samples[i] = int16_t((i * 97) & 32767);
  ASSERT_TRUE(InstallImage(buffer, &gProgramState, samples, &header, &metadata));
}

void AppTest::PutProgramFile(const char* name, bool present) {
  char path[kPathSize + 64];
  std::snprintf(path, sizeof path, "%s\\%s", gProgramState.ProgramDirectory, name);
  if (!present) {
    DeleteFileA(path);
    return;
  }
  const HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  CloseHandle(f);
}

UINT AppTest::MenuState(UINT id) { return GetMenuState(gMainMenu, id, MF_BYCOMMAND); }

bool AppTest::QuitPosted() {
  MSG msg;
  bool posted = false;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) posted = true;
  return posted;
}

void AppTest::Settle() {
  const DWORD end = GetTickCount() + 150;
  MSG msg;
  while (int(GetTickCount() - end) < 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

void ShownAppTest::SetUp() {
  AppTest::SetUp();
  ShowWindow(Frame(), SW_SHOWMAXIMIZED);
  SendCommand(IDM_TILE);
  Settle();
}

void ShownAppTest::TearDown() {
  ShowWindow(Frame(), SW_HIDE);
  AppTest::TearDown();
}
