// What the choosers share: their request record, the call of the platform's
// dialog (or of the test seam's handler) with its error box, and CurrentPath.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "file_choosers.h"

// The short record every chooser fills: owner, program instance, filter
// pair 1, the name buffer, start directory, title and flags.
OPENFILENAMEA MakeChooserRequest(HWND owner, const char* filter, char* file, unsigned fileSize,
                                 const char* initialDirectory, const char* title, DWORD flags);

// Runs the dialog; 1 confirmed. A failure other than a cancel shows the
// chooser's box under "Fehlermeldung".
int RunFileDialog(ChooserKind kind, OPENFILENAMEA* request);

// The name and extension offsets the dialog returned, kept inside the path.
unsigned NameOffset(const OPENFILENAMEA& request);
unsigned ExtensionOffset(const OPENFILENAMEA& request);

// For a path typed without extension: appends that of the chosen filter
// pattern (".BMP" withDot, else "." and "BMP") and sets extension to it
// ("" when the pattern has none, such as "*.*").
void AppendFilterExtension(char* path, char* extension, const OPENFILENAMEA& request, bool withDot);

// CurrentPath := directory.
void RememberDirectory(const char* directory);
