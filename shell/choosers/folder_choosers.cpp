// The directory chooser (a save dialog on the dummy name "Directory" whose
// name field is hidden) and the multi-select chooser.
#include <cstring>

#include "chooser_ids.h"
#include "file_choosers.h"
#include "file_dialog_call.h"
#include "shell/desktop.h"
#include "shell/program_state.h"

namespace {

constexpr char kDummyName[] = "Directory";

// OK button texts by ChooserOkMode; modes beyond the table keep the platform's.
constexpr const char* kOkTexts[] = {"Übernehmen", "Drucken", "Löschen"};

void SetOkText(HWND explorer, int mode, int modes) {
  if (mode >= 0 && mode < modes)
    SendMessageA(explorer, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(kOkTexts[mode]));
}

}  // namespace

UINT_PTR SetupDirectoryDialog(HWND dialog, const OFNOTIFYA* notify) {
  if (!notify || notify->hdr.code != UINT(CDN_INITDONE)) return 0;
  const HWND explorer = GetParent(dialog);
  CentreWindow(gFrameWindow, explorer);
  SetOkText(explorer, gProgramState.ChooserOkMode, 2);
  SendMessageA(explorer, CDM_HIDECONTROL, IDC_CHOOSER_NAME_LABEL, 0);
  SendMessageA(explorer, CDM_HIDECONTROL, IDC_CHOOSER_NAME_EDIT, 0);
  SendMessageA(explorer, CDM_HIDECONTROL, IDC_CHOOSER_NAME_COMBO, 0);
  return 1;
}

UINT_PTR SetupMultiOpenDialog(HWND dialog, const OFNOTIFYA* notify) {
  if (!notify || notify->hdr.code != UINT(CDN_INITDONE)) return 0;
  const HWND explorer = GetParent(dialog);
  CentreWindow(gFrameWindow, explorer);
  SetOkText(explorer, gProgramState.ChooserOkMode, 3);
  SendMessageA(explorer, CDM_SETCONTROLTEXT, IDC_CHOOSER_NAME_LABEL, reinterpret_cast<LPARAM>("Dateien :"));
  return 1;
}

UINT_PTR CALLBACK DirectoryDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  return SetupDirectoryDialog(dialog, reinterpret_cast<const OFNOTIFYA*>(lParam));
}

UINT_PTR CALLBACK MultiOpenHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  return SetupMultiOpenDialog(dialog, reinterpret_cast<const OFNOTIFYA*>(lParam));
}

int ShowDirectoryDialog(char* directory, char* drive, const char* initialDirectory, const char* filter,
                        const char* title, int okMode, HWND owner) {
  if (okMode == 0 || okMode == 1) gProgramState.ChooserOkMode = okMode;
  char name[kChooserPathLimit + 1];
  std::memcpy(name, kDummyName, sizeof kDummyName);
  OPENFILENAMEA r = MakeChooserRequest(
      owner, filter, name, kChooserPathLimit, initialDirectory, title,
      OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_NOCHANGEDIR | OFN_HIDEREADONLY);
  r.lpfnHook = DirectoryDialogHook;
  if (!RunFileDialog(ChooserKind::Directory, &r)) return 0;
  ChosenDirectory(directory, kChoiceTextSize, name, NameOffset(r));
  *drive = ChosenDrive(name);
  RememberDirectory(directory);
  return 1;
}

int ShowMultiOpenDialog(char* list, char* directory, char* drive, const char* initialDirectory, const char* filter,
                        const char* title, int okMode, HWND owner) {
  list[0] = '\0';
  gProgramState.ChooserOkMode = okMode;
  OPENFILENAMEA r = MakeChooserRequest(owner, filter, list, kChoiceListSize, initialDirectory, title,
                                       OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                                           OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK | OFN_HIDEREADONLY);
  r.lpfnHook = MultiOpenHook;
  if (!RunFileDialog(ChooserKind::MultiOpen, &r)) return 0;
  // The first string only: with several files the names follow its NUL.
  ChosenListDirectory(directory, kChoiceTextSize, list, NameOffset(r));
  *drive = ChosenDrive(list);
  return 1;
}
