// Control ids of the point-spread-function set-up "POINTSPREADFCT800/1024",
// equal in both sizes (the keyboard hook sends them), shared by the resource
// script and the code. Plain #defines: windres reads this file too.
#pragma once

#define IDC_PSF_PREVIEW 101
#define IDC_PSF_CANCEL 102           // "&Abbrechen" (Esc)
#define IDC_PSF_OK 103               // "&Gut" (F12)
#define IDC_PSF_CHOOSE 104           // "A&uswahl"
#define IDC_PSF_MINUS 105            // "-"
#define IDC_PSF_PLUS 106             // "+"
#define IDC_PSF_MEASURE 108          // "&Messen"
#define IDC_PSF_DOWN 119             // "Ab"
#define IDC_PSF_RIGHT 120            // "Rechts"
#define IDC_PSF_LEFT 121             // "Links"
#define IDC_PSF_UP 122               // "Auf"
#define IDC_PSF_FILE 123             // "Da&tei"
#define IDC_PSF_BUFFER_A 124         // "Puffer &A" .. "Puffer &D"
#define IDC_PSF_BUFFER_D 127
#define IDC_PSF_VSCROLL 128
#define IDC_PSF_HSCROLL 129
#define IDC_PSF_STAR 130             // "Stern"
#define IDC_PSF_PLANET 131           // "Planet"
#define IDC_PSF_EDGE 132             // "Kante"
#define IDC_PSF_HEIGHT_TEXT 133
#define IDC_PSF_HEIGHT_BAR 134       // "&Höhe"
#define IDC_PSF_WIDTH_TEXT 135
#define IDC_PSF_WIDTH_BAR 136        // "&Breite"
#define IDC_PSF_CLOCKWISE 137        // "Uhr"
#define IDC_PSF_ANTICLOCKWISE 138    // "! Uhr"

// Commands without a control: the box moved by 10 pixels.
#define IDC_PSF_DOWN_10 201
#define IDC_PSF_RIGHT_10 202
#define IDC_PSF_LEFT_10 203
#define IDC_PSF_UP_10 204
