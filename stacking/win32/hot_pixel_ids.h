// Control ids of the hot-pixel learning dialog ("hotpixelmask800",
// "hotpixelmask1024"), shared by resources/hot_pixels.rc and the code.
// Plain #defines: windres reads this file too.
#pragma once

#define IDC_HOT_PREVIEW 101       // the dark picture with a cross on every hot pixel
#define IDC_HOT_HSCROLL 102
#define IDC_HOT_VSCROLL 103
#define IDC_HOT_ZOOM_IN 104       // "+": reduction one smaller
#define IDC_HOT_ZOOM_OUT 105      // "-": reduction one larger
#define IDC_HOT_SAVE 106          // "&Speichern ..."
#define IDC_HOT_ACCEPT 107        // "&Übernehmen"
#define IDC_HOT_CANCEL 108        // "&Abbruch"
#define IDC_HOT_RED_TEXT 109      // the thresholds as numbers
#define IDC_HOT_RED_BAR 110       // red, or the only threshold of a grey picture
#define IDC_HOT_RED_LABEL 111     // "Rote Schwelle" / "Schwellwert"
#define IDC_HOT_GREEN_LABEL 112
#define IDC_HOT_GREEN_TEXT 113
#define IDC_HOT_GREEN_BAR 114
#define IDC_HOT_BLUE_LABEL 115
#define IDC_HOT_BLUE_BAR 116
#define IDC_HOT_BLUE_TEXT 117
#define IDC_HOT_AUTOMATIC 119     // "&Automatik"
#define IDC_HOT_PICTURE 120       // "&Hotpixelbild ..."
