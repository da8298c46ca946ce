// Control ids of the scaling and rectification dialog "vergroessern800/1024",
// the flip, mirror and rotation dialog "flipmirror800/1024", the
// shift-difference dialog "shiftdifferenz800/1024" and the cut-out
// "bildausschneiden", equal in every size of a template (the keyboard hook
// sends some of them), shared by the resource script and the code. Plain
// #defines: windres reads this file too.
#pragma once

// --- scaling and rectification
#define IDC_SCALE_PREVIEW 101
#define IDC_SCALE_CANCEL 102          // "&Abbrechen" (Esc)
#define IDC_SCALE_OK 103              // "&Gut" (F12)
#define IDC_SCALE_PICK_UP 104         // "Pick Up"; 105 "Mittelwert"
#define IDC_SCALE_MEAN 105
#define IDC_SCALE_NEAREST 106         // "Nachbar"; 107 "Bilinear", 108 "Lanczos 2"
#define IDC_SCALE_LANCZOS 108
#define IDC_SCALE_FACTOR_TEXT 109
#define IDC_SCALE_FACTOR 110          // "Größen&faktor"
#define IDC_SCALE_DOWN 111            // "Ab" (Down)
#define IDC_SCALE_RIGHT 112           // "Rechts" (Right)
#define IDC_SCALE_LEFT 113            // "Links" (Left)
#define IDC_SCALE_UP 114              // "Auf" (Up)
#define IDC_SCALE_TARGET_A 115        // "Puffer &A" .. "Puffer &D"
#define IDC_SCALE_TARGET_D 118
#define IDC_SCALE_HEIGHT 119          // "Höhe"
#define IDC_SCALE_WIDTH 120           // "Breite"
#define IDC_SCALE_CLOCKWISE 121       // "Uhr" (Ctrl+Right)
#define IDC_SCALE_ANTICLOCKWISE 122   // "! Uhr" (Ctrl+Left)
#define IDC_SCALE_VSCROLL 123
#define IDC_SCALE_HSCROLL 124
#define IDC_SCALE_SECTION 125         // "Ausschnitt"
#define IDC_SCALE_MINUS 126           // "-"
#define IDC_SCALE_PLUS 127            // "+"
#define IDC_SCALE_PIXEL_GROUP 128     // "Pixelmaß [µm]" / "Pixelverzerrung"

// Commands without a control, from the keyboard hook: Shift+arrows move the
// centre ten steps, Alt+Right and Alt+Left turn by 5 degrees.
#define IDC_SCALE_DOWN10 201
#define IDC_SCALE_RIGHT10 202
#define IDC_SCALE_LEFT10 203
#define IDC_SCALE_UP10 204
#define IDC_SCALE_CLOCKWISE5 205
#define IDC_SCALE_ANTICLOCKWISE5 206

// --- flip, mirror and rotation
#define IDC_FLIP_FIRST 101            // "Aufrichten" .. 105 "Rechts kippen"
#define IDC_FLIP_LAST 105
#define IDC_FLIP_TARGET_A 106         // "Puffer &A" .. "Puffer &D"
#define IDC_FLIP_TARGET_D 109
#define IDC_FLIP_VSCROLL 110
#define IDC_FLIP_HSCROLL 111
#define IDC_FLIP_PREVIEW 112
#define IDC_FLIP_RUN 113              // "&Ausführen"
#define IDC_FLIP_CANCEL 114           // "&Abbrechen"
#define IDC_FLIP_MINUS 115
#define IDC_FLIP_PLUS 116

// --- shift-difference
#define IDC_SHIFT_VSCROLL 101
#define IDC_SHIFT_HSCROLL 102
#define IDC_SHIFT_PREVIEW 103
#define IDC_SHIFT_CANCEL 104          // "&Abbrechen" (Esc)
#define IDC_SHIFT_OK 105              // "&Gut" (F12)
#define IDC_SHIFT_TARGET_A 106        // "Puffer &A" .. "Puffer &D"
#define IDC_SHIFT_TARGET_D 109
#define IDC_SHIFT_TURN 110            // "Winkel"; 111 "Tangente", 112 "Radius"
#define IDC_SHIFT_RADIUS 112
#define IDC_SHIFT_EFFECT_TEXT 113
#define IDC_SHIFT_EFFECT 114          // "Wirkung"
#define IDC_SHIFT_VALUE_TEXT 115
#define IDC_SHIFT_VALUE 116           // "Shiftdifferenz"
#define IDC_SHIFT_VALUE_LABEL 117     // "Winkel [°]", "Tangente [Pix]", "Radius [Pix]"
#define IDC_SHIFT_DOWN 118            // "Ab" (Down)
#define IDC_SHIFT_RIGHT 119           // "Rechts" (Right)
#define IDC_SHIFT_LEFT 120            // "Links" (Left)
#define IDC_SHIFT_UP 121              // "Auf" (Up)
#define IDC_SHIFT_MINUS 122
#define IDC_SHIFT_PLUS 123
// Shift+arrows from the keyboard hook: ten pixels.
#define IDC_SHIFT_DOWN10 201
#define IDC_SHIFT_RIGHT10 202
#define IDC_SHIFT_LEFT10 203
#define IDC_SHIFT_UP10 204

// --- cut-out
#define IDC_CUT_OK 101                // "&Gut"
#define IDC_CUT_CANCEL 102            // "&Abbruch"
#define IDC_CUT_WIDTH 103             // "Horizontal"
#define IDC_CUT_HEIGHT 104            // "Vertikal"
#define IDC_CUT_FORMAT 105            // "Speicherformat", sorted
