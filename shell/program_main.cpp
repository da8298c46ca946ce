#include "program_main.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "buffer_slots.h"
#include "buffer_window.h"
#include "desktop.h"
#include "display_palette.h"
#include "frame_window.h"
#include "keyboard_hook.h"
#include "imagelib/trigon.h"
#include "program_state.h"
#include "settings.h"
#include "timeconv.h"

namespace {

HANDLE gMutex;
HBRUSH gFrameBackground;
bool gFinished;

ATOM RegisterClassWith(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style, const char* icon,
                       HBRUSH background, const char* menu) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, icon);
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszMenuName = menu;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc);
}

int RunMessageLoop() {
  MSG msg{};
  // GetMessage answers -1 only for a bad window handle; end rather than spin.
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (CallMsgFilterA(&msg, int(msg.message))) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return int(msg.wParam);
}

void ReleaseInstanceLock() {
  if (!gMutex) return;
  ReleaseMutex(gMutex);
  CloseHandle(gMutex);
  gMutex = nullptr;
}

}  // namespace

int BuildProgramDirectory(char* out, size_t capacity) {
  const DWORD n = GetCurrentDirectoryA(DWORD(capacity), out);
  return n > 0 && n < capacity;
}

int RegisterWindowClasses(HINSTANCE instance) {
  gFrameBackground = CreateSolidBrush(GetSysColor(COLOR_APPWORKSPACE));
  if (!RegisterClassWith(instance, kFrameWindowClass, FrameWindowProc, CS_HREDRAW | CS_VREDRAW, "afotlab32icon",
                         gFrameBackground, kMainMenuName))
    return 0;
  return RegisterClassWith(instance, kBufferWindowClass, BufferWindowProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                           "bufferinuseicon", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr) != 0;
}

HWND CreateFrameWindow(HINSTANCE instance) {
  gInstance = instance;
  char title[128];
  std::snprintf(title, sizeof title, "%s - Astronomische Bildverarbeitung", kProgramVersion);
  const HWND frame = CreateWindowExA(0, kFrameWindowClass, title, WS_OVERLAPPEDWINDOW, 0, 0,
                                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                     instance, nullptr);
  if (!frame) return nullptr;
  gFrameWindow = frame;
  gMainMenu = GetMenu(frame);
  // Kept only; the MDI client has no window menu.
  gWindowMenu = GetSubMenu(gMainMenu, kWindowMenuIndex);
  return frame;
}

int RunTyvorn(HINSTANCE instance) {
  SetLastError(0);
  gMutex = CreateMutexA(nullptr, TRUE, kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(gMutex);
    gMutex = nullptr;
    return 0;
  }
  DeleteFileA("debug.log");
  gInstance = instance;
  InitCommonControls();

  ProgramState* ps = &gProgramState;
  char tablePath[kPathSize + 16];
  if (!BuildProgramDirectory(ps->ProgramDirectory, sizeof ps->ProgramDirectory) ||
      std::snprintf(tablePath, sizeof tablePath, "%s\\trigon.tab", ps->ProgramDirectory) >= int(sizeof tablePath) ||
      !LoadTrigTables(tablePath)) {
    ReleaseInstanceLock();
    return 0;
  }
  LoadSettings(ps, kAllSettings, kSettingsFileName);
  InitProgramState(ps);
  ps->StartTime = CurrentDateTimeWithZone();
  ps->IsActual = 1;
  ps->AbortRequested = 0;
  ps->NightMode = 0;
  SaveSystemColours(ps);

  if (!RegisterWindowClasses(instance) || !CreateFrameWindow(instance)) {
    FreeTrigTables();
    ReleaseInstanceLock();
    return 0;
  }
  ps->PaletteHandle = CreateProgramPalette(ps);
  // For the program's own thread: a system-wide hook would need a library of
  // its own and would see the keys of every other program.
  InstallKeyboardHook();
  ShowWindow(gFrameWindow, SW_MAXIMIZE);
  ShowScrollBar(gMdiClient, SB_BOTH, FALSE);
  // The windows were placed for the frame before it was maximised: 2 x 2
  // in the frame as it is now, without the scroll bars their first places
  // may have given the MDI client.
  TileBufferWindows(gFrameWindow);
  UpdateWindow(gFrameWindow);

  const int exitCode = RunMessageLoop();
  // No window may paint the buffers once they are freed.
  if (IsWindow(gFrameWindow)) DestroyWindow(gFrameWindow);
  FinishProgram();
  return exitCode;
}

void FinishProgram() {
  if (gFinished) return;
  gFinished = true;
  ProgramState* ps = &gProgramState;
  FreeProgramState(ps);
  SaveSettings(ps, kAllSettings, kSettingsFileName);
  FreeTrigTables();
  if (gFrameBackground) DeleteObject(gFrameBackground);
  if (ps->PaletteHandle) DeleteObject(ps->PaletteHandle);
  ps->PaletteHandle = nullptr;
  if (IsMenu(gMainMenu)) DestroyMenu(gMainMenu);
  RestoreSystemColours(ps);
  RemoveKeyboardHook();
  ReleaseInstanceLock();
}
