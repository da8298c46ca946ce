// Control ids of the RGB channel alignment "rgbkorrektur640/800/1024", equal
// in every size (the keyboard hook sends them), shared by the resource script
// and the code. Plain #defines: windres reads this file too.
#pragma once

#define IDC_RGB_HSCROLL 101
#define IDC_RGB_VSCROLL 102
#define IDC_RGB_PREVIEW 103
#define IDC_RGB_APPLY 104            // "&Übernehmen" (F12)
#define IDC_RGB_CANCEL 105           // "&Abbrechen"
#define IDC_RGB_RED_LARGER 106       // "&größer"
#define IDC_RGB_RED_SMALLER 107      // "&kleiner"
#define IDC_RGB_RED_DOWN 108         // "Ab"
#define IDC_RGB_RED_RIGHT 109        // "Rechts"
#define IDC_RGB_RED_LEFT 110         // "Links"
#define IDC_RGB_RED_UP 111           // "Auf"
#define IDC_RGB_RED_GROUP 112        // "Rotkanal", written in red
#define IDC_RGB_BLUE_SMALLER 113
#define IDC_RGB_BLUE_DOWN 114
#define IDC_RGB_BLUE_RIGHT 115
#define IDC_RGB_BLUE_LEFT 116
#define IDC_RGB_BLUE_UP 117
#define IDC_RGB_BLUE_LARGER 118
#define IDC_RGB_BLUE_GROUP 119       // "Blaukanal", written in blue
#define IDC_RGB_SOURCE_GROUP 120     // "Zielpuffer" or "Bildquelle"
#define IDC_RGB_FILE 121             // "Da&tei"
#define IDC_RGB_BUFFER_A 122         // "Puffer &A" .. "Puffer &D"
#define IDC_RGB_BUFFER_D 125
#define IDC_RGB_FETCH 126            // "&Holen"
#define IDC_RGB_RESET 127            // "Reset"
#define IDC_RGB_MINUS 128            // "-"
#define IDC_RGB_PLUS 129             // "+"
