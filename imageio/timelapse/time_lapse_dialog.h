// The dialog "timelapse" of "&Bildreihen für Chronoreel generieren ...":
// choose the first picture of a numbered series and a target directory,
// set the in-between pictures, the reduction, the fades and the
// pre-treatment, and write the series on "&Gut".
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/program_state.h"

// The first source picture and the target directory (with its trailing
// backslash), kept beside ProgramState for the whole run of the program.
extern char TimeLapseSourcePath[kPathSize];
extern char TimeLapseTargetDir[kPathSize];

// 1 after "&Gut" wrote the series, 0 after "&Abbruch". "&Gut" is enabled
// only with a source and a target chosen; a series that fails is shown and
// the dialog stays open.
INT_PTR CALLBACK TimeLapseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the series with the pre-treatment settings and the contrast table
// of gProgramState; dialog (may be null) owns the messages and shows each
// picture's name and "Fertig" in its status line. 1 written; 0 failed
// (shown, every buffer freed).
int WritePictureSeries(const char* source, const char* targetDir, int32_t intpict, int32_t resizefak, BOOL fadeIn,
                       BOOL fadeOut, HWND dialog);
