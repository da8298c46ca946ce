// Menu command ids shared by the resource scripts and the code.
#pragma once

#define IDM_BUFFER_D 125   // "Arbeitspuffer D"
#define IDM_BUFFER_C 126
#define IDM_BUFFER_B 127
#define IDM_BUFFER_A 128
#define IDM_ZOOM_IN 163    // "&Größer zoomen"
#define IDM_ZOOM_OUT 164   // "&Kleiner zoomen"
