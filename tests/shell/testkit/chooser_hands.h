// Hands on the platform's real file dialogs, for tests that drive a chooser
// through DialogDriver the way a user does:
//
//   DialogDriver driver;
//   driver.Then(nullptr, [](HWND dlg) {      // any title: with a hook the newest dialog is its child
//     chooserhands::SelectFile(dlg, "mond.png");
//     chooserhands::Press(dlg, IDOK);
//   });
//   ShowPictureOpenDialog(...);
//
// Names are those of files in the folder the dialog shows (a full path only
// for TypeName before OK).
#pragma once

#include <windows.h>

#include <string>

namespace chooserhands {

// The dialog itself, from the driver's newest dialog (the hook's child
// dialog when there is a hook).
HWND Explorer(HWND dlg);
// The hook's child dialog that holds the program's own controls.
HWND HookDialog(HWND dlg);
// The file-name field: an edit beside a hook, else the edit in a combo box.
HWND NameField(HWND dlg);
std::string NameText(HWND dlg);
void TypeName(HWND dlg, const std::string& text);
// Types the name and reports the selection to the hook, as the list does.
void SelectFile(HWND dlg, const std::string& name);
// Filter pair index (from 1) of the file-type box.
void PickFilter(HWND dlg, int index);
// Presses IDOK or IDCANCEL.
void Press(HWND dlg, int id);
// Text of the dialog's push button id (a tool bar may share the id).
std::string ButtonText(HWND dlg, int id);

}  // namespace chooserhands
