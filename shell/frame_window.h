// The frame window "HauptFenster": the MDI frame with the menu "MainMenue",
// its four buffer windows, the start-up checks of its first paint, closing
// with a question, and the window arrangement. Menu commands are dispatched
// by menu_commands.h.
#pragma once

#include <windows.h>

#include "desktop.h"   // gFrameWindow

constexpr char kFrameWindowClass[] = "HauptFenster";
constexpr char kProgramVersion[] = "Tyvorn 2.21";
constexpr char kMainMenuName[] = "MainMenue";
constexpr int kWindowMenuIndex = 4;   // "&Fenster"

// Program-wide handles, each written once at start-up.
extern HINSTANCE gInstance;
extern HMENU gMainMenu;
extern HMENU gWindowMenu;
extern HWND gMdiClient;
// 1 while capture may be offered: cleared when the DirectX probe fails,
// set anew from every device enumeration.
extern int gCaptureAvailable;

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The checks of the first paint: screen size, DirectX, the work files
// "recenter.tmp" and "batch.tmp", colour-only items, buffer checks, the
// processor count.
void RunStartupChecks(HWND frame);

// Asks "Willst Du abbrechen ?"; 1 on yes.
int AskQuit(HWND frame);
// The same, unless a batch run asked to quit without it; 1 when the program
// may end.
int ConfirmQuit(HWND frame);

// The window arrangements of the "&Fenster" menu and the close-all command.
void CascadeBufferWindows(HWND frame);
void TileBufferWindows(HWND frame);
void CloseAllBufferWindows();

// 1 when `name` exists in the program directory.
int ProgramFileExists(const char* name);

// Test seam: the DirectX probe of the first paint (the capture library's by
// default; null brings it back).
void SetDirectXProbe(int (*probe)());
