// The desktop's system colours for the night mode, and centring a window.
#pragma once

#include <windows.h>

#include "program_state.h"

// Number of system colours handled: 28, or 25 on platforms before major
// version 5, which lack the gradient and hot-light colours.
int NightColourCount();

// SavedSysColours := the desktop's current colours.
void SaveSystemColours(ProgramState* ps);
// Red text on black and dark blue, for observing at the telescope.
void SetNightColours(ProgramState* ps);
// The colours saved at start come back.
void RestoreSystemColours(ProgramState* ps);

// The frame window, over which dialogs centre; null until it exists.
extern HWND gFrameWindow;

// Moves `window` so that its rectangle is centred on `reference`'s; size and
// Z order stay.
void CentreWindow(HWND reference, HWND window);
