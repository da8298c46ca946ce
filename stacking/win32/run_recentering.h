// The re-centring run of the program: the series given by name, the
// settings of ProgramState, the dialog as host; pictures go to
// RecenterPath in the format of RecenterFormat.
#pragma once

#include <windows.h>

#include "shell/program_state.h"

// owner: the dialog whose control 104 shows the elapsed time and 105 the
// step. Clears CheckSharpness and CheckDistortion; the caller sets
// RunStartTick before. 1 when the series was worked through or the user
// stopped it, 0 when it failed.
int RunRecentering(HWND owner, const char* seriesName, ProgramState* ps);
