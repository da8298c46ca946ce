// Every message box of the program goes through ShowMessageBox, so that tests
// can watch the boxes and answer them.
#pragma once

#include <windows.h>

#include <cstdio>   // the printf flavour of the format check

constexpr const char* kTitleError = "Fehlermeldung";
constexpr const char* kTitleNote = "Programmhinweis";
constexpr const char* kTitleQuestion = "Programmfrage";

// Shows a box like MessageBoxA and returns the button pressed (IDOK, IDYES ...).
// Safe from any thread; a null text or title shows as empty.
int ShowMessageBox(HWND owner, const char* text, const char* title, UINT type);
// The same with the text made by a printf format.
int ShowMessageBoxF(HWND owner, const char* title, UINT type, const char* format, ...)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 4, 5)));

// Replaces the real boxes: the handler receives each box and returns its
// answer. A null handler brings the real boxes back.
using MessageBoxHandler = int (*)(void* context, HWND owner, const char* text, const char* title, UINT type);
void SetMessageBoxHandler(MessageBoxHandler handler, void* context);
