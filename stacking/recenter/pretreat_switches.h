// The six pre-treatment switches with their set-up buttons as the
// re-centring and re-stacking dialogs show them (ids of series_run_ids.h):
// each button is enabled only while its switch is on, and opens the set-up
// of its step.
#pragma once

#include <windows.h>

#include "shell/dialogkit/control_values.h"
#include "shell/program_state.h"

// The switches as check boxes of a control table.
extern const CheckSpec kPretreatChecks[6];

// Enables each set-up button by its switch.
void EnablePretreatButtons(HWND dialog, const ProgramState* ps);
// A set-up button: opens its page, chooser or list. True when id was one.
bool HandlePretreatButton(HWND dialog, int id, ProgramState* ps);
