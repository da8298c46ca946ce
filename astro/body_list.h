// The bodies the ephemeris code can show, as a combo box of a dialog.
#pragma once

#include <windows.h>

#include "astro/astro_types.h"

// Appends "Sonne", "Mond", "Merkur", "Venus", "Mars", "Jupiter", "Saturn",
// "Uranus" and selects the entry of selected; any other code leaves the
// selection as it is.
void FillBodyCombo(HWND dialog, int comboId, BodyCode selected);
// The code of the selected entry; 0 with nothing selected or an unknown text.
BodyCode ReadBodyCombo(HWND dialog, int comboId);
