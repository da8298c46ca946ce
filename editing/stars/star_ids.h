// Control ids of the star removal "removestars800/1024" and the red-weakness
// correction "rotschwachcorr800/1024", equal in every size, shared by the
// resource script and the code. Plain #defines: windres reads this file too.
#pragma once

// Star removal
#define IDC_STARS_APPLY 101          // "&Übernehmen"
#define IDC_STARS_CANCEL 102         // "&Abbruch"
#define IDC_STARS_SAVE_MASK 103      // "Maske &speichern ..."
#define IDC_STARS_MASK_OUT 104       // "Ausmaskieren"
#define IDC_STARS_MASK_IN 105        // "Einmaskieren"
#define IDC_STARS_BLUE_LIMB 106      // "Blausaumkorrekt."
#define IDC_STARS_BLUE_LABEL 107     // "Blausaumbreite"
#define IDC_STARS_BLUE_VALUE 108
#define IDC_STARS_BLUE_BAR 109
#define IDC_STARS_RADIUS_BAR 110     // "Sternradius"
#define IDC_STARS_RADIUS_VALUE 111
#define IDC_STARS_HSCROLL 112
#define IDC_STARS_VSCROLL 113
#define IDC_STARS_PLUS 114           // "+"
#define IDC_STARS_MINUS 115          // "-"
#define IDC_STARS_PREVIEW 116
#define IDC_STARS_TARGET_A 118       // "Puffer &A" .. "Puffer &D"
#define IDC_STARS_TARGET_D 121
#define IDC_STARS_LEVEL_BAR 122      // "Erkennungsschwelle"
#define IDC_STARS_LEVEL_VALUE 123
#define IDC_STARS_STATUS 124         // preview failures

// Red-weakness correction
#define IDC_RED_APPLY 101            // "&Übernehmen"
#define IDC_RED_CANCEL 102           // "&Abbruch"
#define IDC_RED_PLUS 103             // "+"
#define IDC_RED_MINUS 104            // "-"
#define IDC_RED_VSCROLL 105
#define IDC_RED_HSCROLL 106
#define IDC_RED_PREVIEW 107
#define IDC_RED_LEVEL_VALUE 108
#define IDC_RED_LEVEL_BAR 109        // "Erkennungsschwelle"
#define IDC_RED_RADIUS_VALUE 110
#define IDC_RED_RADIUS_BAR 111       // "Sternradius"
#define IDC_RED_CORRECT 112          // "Korrigieren"
#define IDC_RED_TEXT 113             // the black point, or why the preview failed
#define IDC_RED_TARGET_A 114         // " &A" .. " &D"
#define IDC_RED_TARGET_D 117
#define IDC_RED_LOW_TRACK 118        // track bar under the histogram
#define IDC_RED_HISTOGRAM 119        // "Roter Untergrund"
#define IDC_RED_LOGARITHMIC 120      // "Logarith."
#define IDC_RED_GAMMA 121            // "Gamma"
#define IDC_RED_LOG_UPDOWN 123
#define IDC_RED_LOG_EDIT 124
#define IDC_RED_GAMMA_BAR 125
#define IDC_RED_GAMMA_VALUE 126
