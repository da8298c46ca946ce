// The program's keyboard hook. Dialogs have no accelerator tables: a hook on
// the GUI thread turns keys into WM_COMMAND messages. Escape presses the
// cancel button of the active registered dialog, F12 its confirming button,
// the arrow and page keys move or resize the marks of the dialogs that show
// them, and Ctrl+K, Ctrl+F, Ctrl+P open set-up dialogs from the frame window.
// A dialog is found by the title it registered (hotkey_titles.h).
#pragma once

#include <windows.h>

// The installed hook; null before start-up and after exit.
extern HHOOK gKeyboardHook;

// Installs the hook for the calling thread (not system-wide); 1 when it is in.
int InstallKeyboardHook();
void RemoveKeyboardHook();

// WH_KEYBOARD procedure: acts on keys taken out of the queue (HC_ACTION) when
// they go down, and always passes the key on, so it also reaches its window.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyFlags);

// One handler per key, given the active window. Escape, F12, the arrows and
// page keys send the command of the first family whose registered dialog is
// the active window; the arrows and page keys by the modifier held (Up, Down:
// Ctrl, then Alt, then Shift; Left, Right: Ctrl, Shift, Alt; pages: Ctrl,
// Alt). F12 spares a disabled dialog. Escape reaches the capture dialog in
// full screen wherever the focus is.
void HandleKeyEscape(HWND active);
void HandleKeyPageUp(HWND active);
void HandleKeyPageDown(HWND active);
void HandleKeyLeft(HWND active);
void HandleKeyUp(HWND active);
void HandleKeyRight(HWND active);
void HandleKeyDown(HWND active);
// Ctrl+K, Ctrl+F and Ctrl+P with the frame active: "&Kontrast einstellen ...",
// "&Schärfen und Filtern ..." and "Farb&palette für SW-Bilder einstellen",
// with the focus put back afterwards. Ctrl+A does nothing.
void HandleKeyCtrlA(HWND active);
void HandleKeyCtrlF(HWND active);
void HandleKeyCtrlK(HWND active);
void HandleKeyCtrlP(HWND active);
// F1 to F11 have no commands.
void HandleKeyF1(HWND active);
void HandleKeyF2(HWND active);
void HandleKeyF3(HWND active);
void HandleKeyF4(HWND active);
void HandleKeyF5(HWND active);
void HandleKeyF6(HWND active);
void HandleKeyF7(HWND active);
void HandleKeyF8(HWND active);
void HandleKeyF9(HWND active);
void HandleKeyF10(HWND active);
void HandleKeyF11(HWND active);
void HandleKeyF12(HWND active);
