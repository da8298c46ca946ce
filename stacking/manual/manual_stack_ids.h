// Control ids of the manual overlay dialog "handanpass800/1024", equal in
// both sizes (the keyboard hook sends them), shared by the resource script
// and the code. Plain #defines: windres reads this file too.
#pragma once

#define IDC_MAN_ADD 101             // "Add&ieren"
#define IDC_MAN_OK 102              // "&Gut" (F12)
#define IDC_MAN_CLOCKWISE 103       // "&Uhr"
#define IDC_MAN_ANTICLOCKWISE 104   // "! Uh&r"
#define IDC_MAN_DOWN 105            // "Ab" (Down)
#define IDC_MAN_RIGHT 106           // "Rechts" (Right)
#define IDC_MAN_LEFT 107            // "Links" (Left)
#define IDC_MAN_UP 108              // "Auf" (Up)
#define IDC_MAN_NUMBER 109          // "Bild Nr.: 1"
#define IDC_MAN_NAME 110            // the loaded picture's name, "Keines"
#define IDC_MAN_NEXT 111            // "&Nächstes !"
#define IDC_MAN_PREVIEW 112
#define IDC_MAN_CANCEL 113          // "&Abbruch" (Esc)
#define IDC_MAN_TARGET 114          // under "Ziel :"
#define IDC_MAN_VSCROLL 120
#define IDC_MAN_HSCROLL 121
