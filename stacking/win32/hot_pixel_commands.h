// Hot-pixel lists in the program: repairing a working buffer with a list
// file ("Hotpi&xel ausfiltern"), and loading a list into the settings for
// the pre-treatment of stacking runs (the "Hotpixelliste ..." buttons).
#pragma once

#include <windows.h>

#include "shell/program_state.h"

// Repairs the listed pixels of the picture in slot, in place. Messages
// (title "Fehlermeldung", over the frame window): "Datei ist nicht zu öffnen
// !", "Datei ist keine Hotpixelliste !", "Hotpixelliste paßt nicht zum Bild
// !", "Nicht genug Speicher !". 1 repaired, 0 not (the picture unchanged).
int ApplyHotPixelList(int slot, ProgramState* ps, const char* fileName);

// Reads a list file into the settings' list block, which keeps its old list
// unless the new one was read whole; messages as above, over owner. 1/0.
int LoadHotPixelListFile(HWND owner, ProgramState* ps, const char* fileName);

// The filter of the hot-pixel list choosers.
constexpr char kHotPixelFilter[] = "Hotpixel-Liste\0*.HPX\0";

// "Hotpi&xel ausfiltern": asks for a list ("Hotpixelliste auswählen ...",
// starting in CurrentPath) and repairs the active buffer with it; no undo
// copy. 1 when the buffer was repaired (the caller repaints it).
int ChooseAndApplyHotPixelList(HWND owner, ProgramState* ps);

// The "Hotpixelliste ..." buttons of the stacking set-up dialogs: asks for a
// list and loads it into the settings (the caller sets the switch). 1 loaded.
int SelectHotPixelList(HWND owner, ProgramState* ps);
