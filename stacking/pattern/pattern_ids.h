// Control ids of the pattern dialog "passmuster800/1024", the coordinate
// dialog "koordadding800/1024" and the derotation dialog
// "derotadding800/1024", equal in both sizes of each. The keyboard hook
// sends the buttons' ids, so those are fixed; the other controls take ids
// that no key reaches. Plain #defines: windres reads this file too.
#pragma once

// The pattern dialog.
#define IDC_PAT_PREVIEW 101
#define IDC_PAT_CANCEL 102          // "&Abbrechen" (Esc)
#define IDC_PAT_CHOOSE 103          // "A&uswahl"
#define IDC_PAT_NEXT 104            // "&Weiter" (F12)
#define IDC_PAT_LARGER 105          // "größer" (Ctrl+PgUp)
#define IDC_PAT_SMALLER 106         // "kleiner" (Ctrl+PgDn)
#define IDC_PAT_HISTOGRAM 107
#define IDC_PAT_LUMINANCE 108       // channel buttons 108..111
#define IDC_PAT_RED 109
#define IDC_PAT_GREEN 110
#define IDC_PAT_BLUE 111
#define IDC_PAT_CORR_TEXT 112
#define IDC_PAT_CORR_BAR 113
#define IDC_PAT_VSCROLL 114
#define IDC_PAT_HSCROLL 115
#define IDC_PAT_NEAR 116            // "Umgebung"
#define IDC_PAT_MINUS 117
#define IDC_PAT_PLUS 118
#define IDC_PAT_RADIUS_BAR 119
#define IDC_PAT_RADIUS_TEXT 120
#define IDC_PAT_FFT 121             // hidden

// The coordinate dialog.
#define IDC_KOORD_NEXT 101
#define IDC_KOORD_CANCEL 102
#define IDC_KOORD_PREVIEW 103
#define IDC_KOORD_HSCROLL 104
#define IDC_KOORD_VSCROLL 105
#define IDC_KOORD_CORR_BAR 106
#define IDC_KOORD_CORR_TEXT 107
#define IDC_KOORD_RADIUS_BAR 108
#define IDC_KOORD_LARGER 109
#define IDC_KOORD_SMALLER 110
#define IDC_KOORD_CHOOSE 111
#define IDC_KOORD_RADIUS_TEXT 112
#define IDC_KOORD_XSHIFT 113        // "Horizontaler Shift", shown only
#define IDC_KOORD_XSHIFT_SPIN 114
#define IDC_KOORD_PLUS 115
#define IDC_KOORD_MINUS 116
#define IDC_KOORD_YSHIFT 117        // "Vertikaler Shift", shown only
#define IDC_KOORD_YSHIFT_SPIN 118
#define IDC_KOORD_TIMED 119         // "zeitproportional", shown only
#define IDC_KOORD_FFT 120

// The derotation dialog.
#define IDC_DEROT_NEXT 101
#define IDC_DEROT_CANCEL 102
#define IDC_DEROT_PLUS 103
#define IDC_DEROT_MINUS 104
#define IDC_DEROT_PREVIEW 105
#define IDC_DEROT_HSCROLL 106
#define IDC_DEROT_VSCROLL 107
#define IDC_DEROT_CORR_BAR 108
#define IDC_DEROT_CORR_TEXT 109
#define IDC_DEROT_RADIUS_BAR 110
#define IDC_DEROT_RADIUS_TEXT 111
#define IDC_DEROT_HISTOGRAM1 112    // stays empty
#define IDC_DEROT_HISTOGRAM2 113    // stays empty
#define IDC_DEROT_CHOOSE 114
#define IDC_DEROT_LARGER 115
#define IDC_DEROT_SMALLER 116
#define IDC_DEROT_FFT 119
