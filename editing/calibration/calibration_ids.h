// Control ids of the flat-field dialog "flatfield800"/"flatfield1024" and of
// the dark-frame dialog "dunkelfeld800"/"dunkelfeld1024" (each the same in
// both sizes), shared by their resource script and their code. Plain
// #defines: windres reads this file too.
#pragma once

// --- flat field
#define IDC_FLAT_PREVIEW 101
#define IDC_FLAT_CORRECT 102           // "&Korrigieren"
#define IDC_FLAT_CANCEL 103            // "&Abbruch" (Esc)
#define IDC_FLAT_GOOD 104              // "&Gut" (F12)
#define IDC_FLAT_FILE_NAME 105
#define IDC_FLAT_FETCH 106             // "&Holen"
#define IDC_FLAT_SAVE 107              // "Flatfield &speichern"
#define IDC_FLAT_FROM_FILE 108         // "Aus Datei"
#define IDC_FLAT_SIMULATION 109        // "Simulation"
#define IDC_FLAT_STATUS 110
#define IDC_FLAT_HSCROLL 111
#define IDC_FLAT_VSCROLL 112
#define IDC_FLAT_MINUS 113
#define IDC_FLAT_PLUS 114

// --- dark frame
#define IDC_DARK_PREVIEW 101
#define IDC_DARK_VSCROLL 102
#define IDC_DARK_HSCROLL 103
#define IDC_DARK_MINUS 104
#define IDC_DARK_PLUS 105
#define IDC_DARK_CORRECT 106           // "&Korrigieren"
#define IDC_DARK_CANCEL 107            // "&Abbruch" (Esc)
#define IDC_DARK_TAKE 108              // "&Übernehmen" (F12)
#define IDC_DARK_FILE_NAME 109
#define IDC_DARK_FETCH 110             // "&Holen"
#define IDC_DARK_STATUS 111
#define IDC_DARK_LEVEL 114             // trackbar "Untergrundlevel"
#define IDC_DARK_FROM_FILE 121         // "Dunkelfelddatei", "Konstante", "FFT-Filter": 121..123
#define IDC_DARK_FFT 123
#define IDC_DARK_SAVE 126              // "Dunkelfeld &speichern"
#define IDC_DARK_HISTOGRAM 127
