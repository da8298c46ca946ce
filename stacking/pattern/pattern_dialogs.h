// The pattern dialogs of the stacking: the user loads a good reference
// picture (also the series stacked afterwards, as its name stays in
// SeriesPath), sees it pre-treated as the run will, clicks the pattern box on
// it and sets the correlation and search radius; "&Weiter" cuts the template
// (PatternRect, PatternSamples, PatternFile) for the run. The pattern dialog
// serves the centring methods 3 and 4, the coordinate dialog 6 and the
// derotation dialog 5. Each ends with 1 when the template was cut and with 0
// on "&Abbrechen" or a failed template, the settings then restored.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/dialogkit/template_choice.h"
#include "shell/program_state.h"

// "passmuster800" / "passmuster1024".
INT_PTR CALLBACK PatternDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "koordadding800" / "koordadding1024".
INT_PTR CALLBACK CoordStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "derotadding800" / "derotadding1024".
INT_PTR CALLBACK DerotStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the dialog of FitMethod (3 and 4 pattern, 5 derotation, 6
// coordinates) over owner in the size `sizes` chooses for the screen
// measure (kSizesByLines with ScreenHeight for most callers): its result,
// 0 without a dialog for other methods, -1 when it could not open.
INT_PTR OpenPatternFamilyDialog(HWND owner, int32_t fitMethod, const TemplateSizes& sizes, int32_t measure);

// Cuts PatternRect out of a picture into a new PatternSamples (a leftover
// one is released first): source 1..4 is working buffer A..D, any other
// value loads fileName with extension (as the file chooser gave it). With
// Superres and Subpixelfactor 1 or 2 the rectangle is taken from the picture
// enlarged 2 or 4 times. 1 done; 0 after "Bild %s nicht ladbar !" or when
// memory fails or the rectangle does not lie in the picture, with no
// template left.
int PreparePatternTemplate(int32_t source, const char* fileName, const char* extension, ProgramState* ps);
