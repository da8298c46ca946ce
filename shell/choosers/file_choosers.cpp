#include "file_choosers.h"

#include <cderr.h>

#include <cstdio>
#include <cstring>

#include "file_dialog_call.h"
#include "shell/message_box.h"
#include "shell/program_state.h"

FileChoice gFileChoice;

namespace {

FileDialogHandler gHandler = nullptr;
void* gHandlerContext = nullptr;

struct ChooserErrors {
  ChooserKind kind;
  const char* bufferTooSmall;
  const char* invalidName;
  const char* initialisation;   // null: no box
};

constexpr ChooserErrors kErrors[] = {
    {ChooserKind::Open, "Dateiname zu lang !", "Ungültiger Dateiname !", nullptr},
    {ChooserKind::Save, "Dateiname zu lang !", "Ungültiger Dateiname !", nullptr},
    {ChooserKind::Directory, "Dateiname zu lang !", "Ungültiger Dateiname !", nullptr},
    {ChooserKind::PictureOpen, "Dateiname zu lang !", "Ungültiger Dateiname !",
     "Initialisierung funktioniert nicht !"},
    {ChooserKind::MultiOpen, "Puffer für Dateinamen zu kurz !", "Ungültiger Dateiname !", nullptr},
    {ChooserKind::SavePath, "Pfadname zu lang !", "Ungültiger Pfadname !", nullptr},
};

void ShowChooserError(ChooserKind kind, DWORD error, HWND owner) {
  for (const ChooserErrors& e : kErrors) {
    if (e.kind != kind) continue;
    const char* text = error == FNERR_BUFFERTOOSMALL   ? e.bufferTooSmall
                       : error == FNERR_INVALIDFILENAME ? e.invalidName
                       : error == CDERR_INITIALIZATION  ? e.initialisation
                                                        : nullptr;
    if (text) ShowMessageBox(owner, text, kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
}

bool IsSaveKind(ChooserKind kind) {
  return kind == ChooserKind::Save || kind == ChooserKind::Directory || kind == ChooserKind::SavePath;
}

// Split of a confirmed open: Directory, Extension as typed, Drive, Name in
// lower case, CurrentPath.
void SplitConfirmed(const OPENFILENAMEA& r, char* name, char* directory, char* extension, char* drive) {
  const char* path = r.lpstrFile;
  ChosenDirectory(directory, kChoiceTextSize, path, NameOffset(r));
  ChosenExtension(extension, kChoiceExtensionSize, path, ExtensionOffset(r));
  *drive = ChosenDrive(path);
  ChosenName(name, kChoiceTextSize, path, NameOffset(r));
  FoldToLower(name);
  RememberDirectory(directory);
}

}  // namespace

OPENFILENAMEA MakeChooserRequest(HWND owner, const char* filter, char* file, unsigned fileSize,
                                 const char* initialDirectory, const char* title, DWORD flags) {
  OPENFILENAMEA r{};
  // The short form: the platform adds no places bar beside its controls.
  r.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  r.hwndOwner = owner;
  r.hInstance = GetModuleHandleA(nullptr);
  r.lpstrFilter = filter;
  r.nFilterIndex = 1;
  r.lpstrFile = file;
  r.nMaxFile = fileSize;
  r.lpstrInitialDir = initialDirectory;
  r.lpstrTitle = title;
  r.Flags = flags;
  return r;
}

namespace {

// Appends text (".fts", or "fts" to be joined with a dot) to the path and
// copies it to extension; an empty text or a path without room gives none.
void AppendExtension(char* path, char* extension, const char* text, bool withDot) {
  const size_t length = std::strlen(path);
  const size_t add = std::strlen(text) + (withDot ? 0 : 1);
  if (!text[0] || length + add >= kChoiceTextSize) {
    extension[0] = '\0';
    return;
  }
  std::snprintf(path + length, kChoiceTextSize - length, "%s%s", withDot ? "" : ".", text);
  CopyCut(extension, kChoiceExtensionSize, text, std::strlen(text));
}

}  // namespace

void AppendFilterExtension(char* path, char* extension, const OPENFILENAMEA& r, bool withDot) {
  char text[kChoiceExtensionSize];
  PatternExtension(text, sizeof text, FilterPattern(r.lpstrFilter, r.nFilterIndex), withDot);
  AppendExtension(path, extension, text, withDot);
}

int RunFileDialog(ChooserKind kind, OPENFILENAMEA* request) {
  DWORD error = 0;
  BOOL confirmed;
  if (gHandler) {
    confirmed = gHandler(gHandlerContext, kind, request, &error);
  } else {
    confirmed = IsSaveKind(kind) ? GetSaveFileNameA(request) : GetOpenFileNameA(request);
    if (!confirmed) error = CommDlgExtendedError();
  }
  if (confirmed) return 1;
  ShowChooserError(kind, error, request->hwndOwner);
  return 0;
}

unsigned NameOffset(const OPENFILENAMEA& request) {
  const size_t length = std::strlen(request.lpstrFile);
  return request.nFileOffset > length ? unsigned(length) : request.nFileOffset;
}

unsigned ExtensionOffset(const OPENFILENAMEA& request) {
  const size_t length = std::strlen(request.lpstrFile);
  return request.nFileExtension > length ? unsigned(length) : request.nFileExtension;
}

void RememberDirectory(const char* directory) {
  CopyCut(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, directory, kChoiceTextSize);
}

int ShowOpenFileDialog(char* path, char* name, char* directory, char* extension, char* drive,
                       const char* initialDirectory, const char* filter, const char* title, HWND owner) {
  OPENFILENAMEA r = MakeChooserRequest(owner, filter, path, kChooserPathLimit, initialDirectory, title,
                                       OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  if (!RunFileDialog(ChooserKind::Open, &r)) return 0;
  SplitConfirmed(r, name, directory, extension, drive);
  return 1;
}

int ShowSaveFileDialog(char* path, char* name, char* directory, char* extension, char* drive,
                       const char* initialDirectory, const char* filter, const char* title, HWND owner,
                       const char* defaultExtension) {
  CutSaveProposal(path);
  OPENFILENAMEA r = MakeChooserRequest(owner, filter, path, kChooserPathLimit, initialDirectory, title,
                                       OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!RunFileDialog(ChooserKind::Save, &r)) return 0;
  ChosenExtension(extension, kChoiceExtensionSize, path, ExtensionOffset(r));
  if (!extension[0] && defaultExtension && defaultExtension[0] == '.')
    AppendExtension(path, extension, defaultExtension, true);
  else if (!extension[0])
    AppendFilterExtension(path, extension, r, true);
  ChosenName(name, kChoiceTextSize, path, NameOffset(r));
  if (FILE* existing = std::fopen(path, "rb")) {
    std::fclose(existing);
    if (ShowMessageBoxF(owner, kTitleQuestion, MB_YESNO | MB_ICONQUESTION, "Soll %s überschrieben werden ?", name) !=
        IDYES)
      return 0;
  }
  *drive = ChosenDrive(path);
  FoldToLower(name);
  ChosenDirectory(directory, kChoiceTextSize, path, NameOffset(r));
  RememberDirectory(directory);
  return 1;
}

int SavePathDialog(char* path, char* directory, char* drive, const char* initialDirectory, const char* title,
                   HWND owner) {
  static const char kAllFiles[] = "*.*\0*.*\0";
  OPENFILENAMEA r = MakeChooserRequest(owner, kAllFiles, path, kChooserPathLimit, initialDirectory, title,
                                       OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_CREATEPROMPT);
  if (!RunFileDialog(ChooserKind::SavePath, &r)) return 0;
  ChosenDirectory(directory, kChoiceTextSize, path, NameOffset(r));
  *drive = ChosenDrive(path);
  RememberDirectory(directory);
  return 1;
}

int FileExists(const char* path) {
  if (!path) return 0;
  const HANDLE file = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(file);
  return 1;
}

void SetFileDialogHandler(FileDialogHandler handler, void* context) {
  gHandler = handler;
  gHandlerContext = context;
}
