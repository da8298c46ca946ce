// The file and directory choosers over the platform's common open and save
// dialogs. Every chooser is modal, returns 1 when the user confirmed a choice
// and 0 otherwise (cancelled, refused or failed), shows its own error boxes
// and splits the confirmed name into the pieces callers use. All but the
// multi-select chooser remember the chosen directory in CurrentPath.
//
// Buffers: Path, Name and Directory hold kChoiceTextSize characters,
// Extension kChoiceExtensionSize; the platform is told that Path holds 255.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "chosen_names.h"

// Size of the name list of the multi-select chooser.
constexpr unsigned kChoiceListSize = 65535;

// The result buffers the frame window and most dialogs hand to the choosers;
// they keep their content between calls.
struct FileChoice {
  char Path[kChoiceTextSize];             // in: the proposal; out: the path as confirmed
  char Name[kChoiceTextSize];             // out: name with extension, lower case
  char Extension[kChoiceExtensionSize];   // out: see the choosers for the dot
  char Directory[kChoiceTextSize];        // out: with the trailing backslash
  char Drive;                             // out: drive letter, upper case
};
extern FileChoice gFileChoice;

// Opens an existing file. Extension is the typed one without its dot (empty
// when none was typed).
int ShowOpenFileDialog(char* path, char* name, char* directory, char* extension, char* drive,
                       const char* initialDirectory, const char* filter, const char* title, HWND owner);
// Names a file to write. A proposal ending in a three-letter extension opens
// without it. When no extension is typed, defaultExtension (".fts", with its
// dot) is appended, without one that of the chosen filter pattern (".BMP";
// nothing for "*.*"). An existing file asks "Soll %s überschrieben werden ?";
// No returns 0 with Directory, Drive and CurrentPath unchanged.
int ShowSaveFileDialog(char* path, char* name, char* directory, char* extension, char* drive,
                       const char* initialDirectory, const char* filter, const char* title, HWND owner,
                       const char* defaultExtension = nullptr);
// Opens a picture or one frame of a video, with a preview of the selection
// (template by the screen width). When no extension is typed, that of the
// chosen filter pattern is appended (Extension "PNG", without the dot). The
// frame chosen in the preview stays in AviFrameIndex.
int ShowPictureOpenDialog(char* path, char* name, char* directory, char* extension, char* drive,
                          const char* initialDirectory, const char* filter, const char* title, HWND owner);
// Chooses a directory: Directory with its trailing backslash. okMode 0 names
// the OK button "Übernehmen", 1 "Drucken"; other values keep ChooserOkMode.
int ShowDirectoryDialog(char* directory, char* drive, const char* initialDirectory, const char* filter,
                        const char* title, int okMode, HWND owner);
// Chooses one or several files into list (kChoiceListSize bytes): one file's
// full path, or the directory and then each name, each ended by a NUL, the
// list by an empty name. directory: one file's directory with its backslash,
// or the directory of several as returned (without). okMode 0 "Übernehmen",
// 1 "Drucken", 2 "Löschen". CurrentPath stays.
int ShowMultiOpenDialog(char* list, char* directory, char* drive, const char* initialDirectory, const char* filter,
                        const char* title, int okMode, HWND owner);
// Names a path to write, under the filter "*.*", the platform asking before
// it creates a file.
int SavePathDialog(char* path, char* directory, char* drive, const char* initialDirectory, const char* title,
                   HWND owner);

// 1 when the file can be opened (no access asked, no sharing), else 0; the
// handle is closed at once.
int FileExists(const char* path);

// Hooks of the explorer-style choosers and what they do on WM_NOTIFY.
UINT_PTR CALLBACK PictureOpenHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
UINT_PTR CALLBACK DirectoryDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
UINT_PTR CALLBACK MultiOpenHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
UINT_PTR SetupDirectoryDialog(HWND dialog, const OFNOTIFYA* notify);
UINT_PTR SetupMultiOpenDialog(HWND dialog, const OFNOTIFYA* notify);
// On CDN_INITDONE the layout and check boxes, on CDN_SELCHANGE (and after
// the hook's commands and scrolling) the preview of the selected picture or
// video frame. 1.
UINT_PTR DrawPicturePreview(HWND dialog, UINT code);

// Test seam: which chooser asks the platform.
enum class ChooserKind { Open, Save, PictureOpen, Directory, MultiOpen, SavePath };
// Replaces the common dialogs. The handler gets the record the chooser would
// hand to GetOpenFileNameA (Open, PictureOpen, MultiOpen) or
// GetSaveFileNameA (the others) and answers as they would: it fills
// lpstrFile, nFileOffset, nFileExtension and nFilterIndex and returns TRUE,
// or returns FALSE with *error as CommDlgExtendedError would give it (0 for
// a cancel). Hooks do not run. A null handler brings the real dialogs back.
using FileDialogHandler = BOOL (*)(void* context, ChooserKind kind, OPENFILENAMEA* request, DWORD* error);
void SetFileDialogHandler(FileDialogHandler handler, void* context);
