#include "frame_window.h"

#include <cstdio>

#include "buffer_slots.h"
#include "buffer_window.h"
#include "choosers/file_choosers.h"
#include "imageio/picture_files.h"
#include "menu_commands.h"
#include "menu_ids.h"
#include "message_box.h"
#include "program_main.h"
#include "program_state.h"
#include "directx/tyvcap/tyvcap.h"
#include "workers.h"

HINSTANCE gInstance;
HMENU gMainMenu;
HMENU gWindowMenu;
HWND gMdiClient;
int gCaptureAvailable;

namespace {

int gFirstPaintPending;
int (*gDirectXProbe)() = nullptr;

int ProbeDirectX() { return gDirectXProbe ? gDirectXProbe() : TYVCAP_TestDXVersion(); }

// Dialog base units by the screen's logical resolution; others count as 96.
void MeasureScreen(HWND frame) {
  static const struct {
    int dpi, unitX, unitY;
  } kUnits[] = {{96, 6, 13}, {120, 8, 16}, {144, 10, 20}, {192, 12, 25}};
  ProgramState* ps = &gProgramState;
  const HDC dc = GetDC(frame);
  ps->ScreenBitsPerPixel = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ps->ScreenWidth = GetDeviceCaps(dc, HORZRES);
  ps->ScreenHeight = GetDeviceCaps(dc, VERTRES);
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(frame, dc);
  ps->DialogBaseUnitX = kUnits[0].unitX;
  ps->DialogBaseUnitY = kUnits[0].unitY;
  for (const auto& u : kUnits) {
    if (u.dpi == dpiX) ps->DialogBaseUnitX = u.unitX;
    if (u.dpi == dpiY) ps->DialogBaseUnitY = u.unitY;
  }
}

// The 2 x 2 places of the buffer windows, D first so that A ends on top.
constexpr struct {
  int buffer, column, row;
} kBufferPlaces[] = {{4, 1, 1}, {3, 0, 1}, {2, 1, 0}, {1, 0, 0}};

void PlaceBufferWindows(int w, int h) {
  for (const auto& p : kBufferPlaces)
    SetWindowPos(WindowOfSlot(p.buffer), nullptr, p.column * w, p.row * h, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CreateBufferWindows(HWND frame) {
  RECT area, work;
  GetClientRect(frame, &area);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  area.bottom -= gProgramState.ScreenHeight - work.bottom - 2 * GetSystemMetrics(SM_CYFRAME);
  area.right = work.right;
  ValidateRect(gMdiClient, nullptr);
  const int w = (area.right - area.left) / 2, h = (area.bottom - area.top) / 2;
  for (const auto& o : kBufferPlaces) {
    const HWND window = CreateMDIWindowA(kBufferWindowClass, GetSlotName(o.buffer),
                                         WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, o.column * w, o.row * h, w, h,
                                         gMdiClient, gInstance, 0);
    RegisterBufferWindow(o.buffer, window);
    // Buffer windows live for the whole run.
    if (window) EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
  gProgramState.ActiveBuffer = 1;
}

void OnCreate(HWND frame) {
  gFirstPaintPending = 1;
  gFrameWindow = frame;
  SetPictureOwnerWindow(frame);
  gMainMenu = GetMenu(frame);
  MeasureScreen(frame);
  // No window menu: "&Fenster" gets no list of the child windows.
  CLIENTCREATESTRUCT client{nullptr, IDC_FIRST_MDI_CHILD};
  gMdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0,
                               frame, nullptr, gInstance, &client);
  GreyUnavailableCommands(gMainMenu);
  CreateBufferWindows(frame);
  gCaptureAvailable = 1;
  for (int b = 1; b <= kBufferCount; ++b) RefreshBufferWindow(b);
  InvalidateRect(gMdiClient, nullptr, TRUE);
  UpdateWindow(gMdiClient);
}

LRESULT OnCommand(HWND frame, WPARAM wParam, LPARAM lParam) {
  if (DispatchMenuCommand(frame, LOWORD(wParam))) return 0;
  const HWND child = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0));
  if (IsWindow(child)) SendMessageA(child, WM_COMMAND, wParam, lParam);
  return DefFrameProcA(frame, gMdiClient, WM_COMMAND, wParam, lParam);
}

BOOL CALLBACK CloseMdiChildProc(HWND window, LPARAM) {
  // Icon titles have an owner; the zoom buttons are no MDI children.
  if (GetWindow(window, GW_OWNER) || GetParent(window) != gMdiClient) return TRUE;
  SendMessageA(gMdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(window), 0);
  if (SendMessageA(window, WM_QUERYENDSESSION, 0, 0))
    SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
  return TRUE;
}

void ArrangeBufferWindows(HWND frame, bool cascade) {
  const HWND focus = GetFocus();
  for (int b = kBufferCount; b >= 1; --b)
    SendMessageA(gMdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(WindowOfSlot(b)), 0);
  RECT client;
  GetClientRect(frame, &client);
  if (cascade) {
    const int dx = GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXFRAME);
    const int dy = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    for (int b = kBufferCount; b >= 1; --b)
      SetWindowPos(WindowOfSlot(b), nullptr, (b - 1) * dx, (b - 1) * dy, client.right - 3 * dx,
                   client.bottom - 3 * dy, SWP_NOZORDER);
  } else {
    PlaceBufferWindows(client.right / 2, client.bottom / 2);
  }
  SetFocus(focus);
}

}  // namespace

int ProgramFileExists(const char* name) {
  char path[kPathSize + 64];
  const int n = std::snprintf(path, sizeof path, "%s\\%s", gProgramState.ProgramDirectory, name);
  if (n < 0 || n >= int(sizeof path)) return 0;
  return FileExists(path);
}

void SetDirectXProbe(int (*probe)()) { gDirectXProbe = probe; }

int AskQuit(HWND frame) {
  return ShowMessageBox(frame, "Willst Du abbrechen ?", kTitleQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int ConfirmQuit(HWND frame) { return gProgramState.QuitWithoutAsking || AskQuit(frame); }

void CascadeBufferWindows(HWND frame) { ArrangeBufferWindows(frame, true); }
void TileBufferWindows(HWND frame) { ArrangeBufferWindows(frame, false); }
void CloseAllBufferWindows() { EnumChildWindows(gMdiClient, CloseMdiChildProc, 0); }

void RunStartupChecks(HWND frame) {
  ProgramState* ps = &gProgramState;
  if (ps->ScreenWidth < 800 || ps->ScreenHeight < 600) {
    ShowMessageBoxF(frame, kTitleNote, MB_OK | MB_ICONEXCLAMATION,
                    "%s läuft sinnvollerweise erst ab 800 * 600 Pixeln ...", kProgramVersion);
    SendMessageA(frame, WM_CLOSE, 0, 0);
  }
  if (!ProbeDirectX()) {
    ShowMessageBox(frame,
                   "DirectX nicht vorhanden oder Version zu alt !\n\n"
                   "Bitte mindestens DirectX 8.1 oder höher installieren ...\n\n"
                   "Das aktuelle DirectX 9.0c ist dabei dringenst zu empfehlen !\n"
                   "Win 98SE, Win ME und Win 2000 machen mit 9.0c keinerlei Probleme.",
                   kTitleNote, MB_OK | MB_ICONEXCLAMATION);
    gCaptureAvailable = 0;
    EnableMenuItem(gMainMenu, IDM_AVI_SPLIT, MF_BYCOMMAND | MF_GRAYED);
  }
  if (!gCaptureAvailable) EnableMenuItem(gMainMenu, IDM_CAPTURE, MF_BYCOMMAND | MF_GRAYED);
  EnableCommandItem(gMainMenu, IDM_RESTACK, ProgramFileExists("recenter.tmp"));
  EnableCommandItem(gMainMenu, IDM_BATCH_RESUME, ProgramFileExists("batch.tmp"));
  EnableColourOnlyCommands(gMainMenu, 0);
  UpdateBufferMenuChecks(gMainMenu, ps->ActiveBuffer);
  DrawMenuBar(frame);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  SetWorkerLimit(ps, int(info.dwNumberOfProcessors));
}

LRESULT CALLBACK FrameWindowProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(frame);
      return 0;
    case WM_PAINT:
      if (gFirstPaintPending) {
        gFirstPaintPending = 0;
        RunStartupChecks(frame);
      }
      break;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
      if (!ConfirmQuit(frame)) return FALSE;
      CloseAllBufferWindows();
      PostQuitMessage(0);
      // Agreeing to end the program must not veto the end of the session.
      return message == WM_QUERYENDSESSION;
    case WM_ENDSESSION:
      // The session ends without returning to the message loop.
      if (wParam) FinishProgram();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      if (AskQuit(frame)) DestroyWindow(frame);
      return 0;
    case WM_COMMAND:
      return OnCommand(frame, wParam, lParam);
  }
  return DefFrameProcA(frame, gMdiClient, message, wParam, lParam);
}
