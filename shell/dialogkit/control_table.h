// A dialog's controls driven from its ControlTable (control_values.h): the
// controls are set from the record's fields, and each slider move, radio
// click, check box toggle or finished edit writes the field at once.
//
//   case WM_INITDIALOG:
//     ClampTableFields(kTable, &gProgramState);      // settings from the file
//     ShowControlTable(dialog, kTable, &gProgramState);
//   case WM_HSCROLL:
//     if (const BarSpec* bar = HandleTableScroll(dialog, kTable, &gProgramState, (HWND)lParam, wParam))
//       ... the field changed: refresh the preview ...
//   case WM_COMMAND:
//     if (HandleTableCommand(dialog, kTable, &gProgramState, LOWORD(wParam), HIWORD(wParam)))
//       ... a field changed ...
//
// A bar may be a scroll bar or a trackbar: a trackbar gets the range and the
// page of its spec, and moves itself before it tells the dialog.
//
// A number field is read when it loses the focus (or on HandleTableCommand
// with EN_KILLFOCUS): text that is no number is refused with a note and the
// field's value is written back; a number out of range is limited and
// written back.
#pragma once

#include <windows.h>

#include "control_values.h"

// Sets every control of the table from the record.
void ShowControlTable(HWND dialog, const ControlTable& table, const void* record);
// One slider to its field's value (position and text).
void ShowBar(HWND dialog, const BarSpec& bar, const void* record);
// The bar's position and text for a setting, without touching the record.
void ShowBarValue(HWND dialog, const BarSpec& bar, double value);

// A scroll message of one of the table's bars: moves it by the request
// (UpdateScrollPos with the bar's page, plain clamp to its range), writes the
// field and the text; the bar, or null when the message is not for the table.
const BarSpec* HandleTableScroll(HWND dialog, const ControlTable& table, void* record, HWND bar, WPARAM request);

// A command of one of the table's radio buttons, check boxes or number
// fields: 1 when a field changed, else 0.
int HandleTableCommand(HWND dialog, const ControlTable& table, void* record, int id, int notification);

// Reads one number field now: 1 when its field changed. A refused text shows
// "Bitte eine Zahl zwischen %s und %s eingeben !" and puts the value back.
int ReadNumberField(HWND dialog, const NumberSpec& spec, void* record);

// Reads every number field (before a confirm, when the focus may still sit
// in one): 1 when none was refused.
int ReadNumberFields(HWND dialog, const ControlTable& table, void* record);

// Enables or disables a slider with its text.
void EnableBar(HWND dialog, const BarSpec& bar, bool enable);
