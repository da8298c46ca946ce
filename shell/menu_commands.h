// The menu commands of the frame window, kept in one table: what a command
// needs before it runs, which dialog template it opens (by screen size), the
// dialog procedure or the action, and what it refreshes afterwards.
//
// A command whose dialog or action is not part of the program yet stays in
// the menu, greyed, and does nothing when it arrives anyway.
#pragma once

#include <windows.h>

// 1 when the id is a command of the frame (it has then been carried out or
// refused); 0 when the frame passes it on to the active buffer window.
int DispatchMenuCommand(HWND frame, UINT id);

// 1 when the command's dialog or action exists.
int IsCommandAvailable(UINT id);
// Enables an available command's item, greys it otherwise or on request.
void EnableCommandItem(HMENU menu, UINT id, int enable);
// The items that only colour pictures enable: RGB alignment, red weakness,
// channel separation, tone and colour temperature.
void EnableColourOnlyCommands(HMENU menu, int enable);
// Greys the items of every command that is not available.
void GreyUnavailableCommands(HMENU menu);

// The template of a dialog that comes in sizes for screens of 800, 1024 and
// (capture only) 1280 lines: base + "800" below 768 lines, + "1024" below
// 1024 lines or when there is no 1280 size, else + "1280". sizes is 1 (the
// base name as it is), 2 or 3; the text goes to out.
void ChooseTemplate(char* out, size_t capacity, const char* base, int sizes, int screenHeight);

// Test seam: dialogs are opened through the opener instead of
// DialogBoxParam, and every dialog command counts as available. The opener
// returns what the dialog would. A null opener brings the real dialogs back.
using DialogOpener = INT_PTR (*)(void* context, HWND owner, const char* templateName, DLGPROC procedure);
void SetDialogOpener(DialogOpener opener, void* context);
