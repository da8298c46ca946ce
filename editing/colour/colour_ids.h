// Control ids of the palette dialog "farbpalette" and the colour separation
// "farbentrennen", shared by the resource script and the code. Plain
// #defines: windres reads this file too.
#pragma once

// --- palette
#define IDC_PAL_STRIP 101             // the palette strip
#define IDC_PAL_GREY 102              // "Graustufen"; the palette buttons are listed in palette_dialog.cpp
#define IDC_PAL_RED_TINT 103          // "Rottönung"
#define IDC_PAL_GREEN_TINT 104        // "Grüntönung"
#define IDC_PAL_BLUE_TINT 105         // "Blautönung"
#define IDC_PAL_VIOLET_TINT 106       // "Violettönung"
#define IDC_PAL_GLOW 107              // "Glühfarben"
#define IDC_PAL_PLANCK 108            // "Planckkurve"
#define IDC_PAL_RAINBOW 110           // "Regenbogen"
#define IDC_PAL_OWN 111               // "eigene Skala"
#define IDC_PAL_STEPS_8 112           // "8" .. 117 "256" in "&Farbstufen"
#define IDC_PAL_STEPS_256 117
#define IDC_PAL_ISOPHOTES 118         // "&Isophoten"
#define IDC_PAL_ISO_FIRST 119         // "Erste Farbe"
#define IDC_PAL_ISO_GREEN 120         // "Grün"
#define IDC_PAL_ISO_RED 121           // "Rot"
#define IDC_PAL_ISO_BLUE 122          // "Blau"
#define IDC_PAL_EVERY_32 123          // "alle 32"; 124 "alle 64", 125 "alle 128"
#define IDC_PAL_EVERY_128 125
#define IDC_PAL_FIRST_R 126           // first colour: red bar and its value 127
#define IDC_PAL_FIRST_R_TEXT 127
#define IDC_PAL_FIRST_G 128
#define IDC_PAL_FIRST_G_TEXT 129
#define IDC_PAL_OK 130                // "&Gut" (F12)
#define IDC_PAL_CANCEL 131            // "&Abbruch" (Esc)
#define IDC_PAL_LAST_B_TEXT 132
#define IDC_PAL_LAST_B 133            // last colour: blue bar
#define IDC_PAL_LAST_G_TEXT 134
#define IDC_PAL_LAST_G 135
#define IDC_PAL_LAST_R_TEXT 136
#define IDC_PAL_LAST_R 137
#define IDC_PAL_LAST_SWATCH 138
#define IDC_PAL_FIRST_SWATCH 139
#define IDC_PAL_FIRST_B 140
#define IDC_PAL_FIRST_B_TEXT 141
#define IDC_PAL_COLOUR_CIRCLE 142     // "Farbkreis"
#define IDC_PAL_MAP2 143              // "Landkarte 2"
#define IDC_PAL_MAP1 144              // "Landkarte 1"
#define IDC_PAL_GREEN_STAIRS 145      // "Grüntreppe"
#define IDC_PAL_INVERSE 146           // "Invers"
#define IDC_PAL_LOG 147               // "Logarithmis&ch"
#define IDC_PAL_TOPOGRAPHY 148        // "Topografie"
#define IDC_PAL_SEA 149               // "Seekarte"
#define IDC_PAL_POLAR 150             // "Polarkarte"
#define IDC_PAL_THERMO 151            // "Thermografie"
#define IDC_PAL_RED_STAIRS 152        // "Rottreppe"
#define IDC_PAL_PLUS_MINUS 153        // "Plus / Minus"

// --- colour separation
#define IDC_SEP_OK 101                // "&Gut"
#define IDC_SEP_CANCEL 102            // "&Abbruch"
#define IDC_SEP_TARGET_A 103          // "Puffer A" .. "Puffer D"
#define IDC_SEP_TARGET_D 106
#define IDC_SEP_RGB 107               // "RGB separieren"; 108 "Rot-Kanal" .. 111 "Luminanz nach IEC"
#define IDC_SEP_LUMINANCE 111
