// Control ids of the dialog "timelapse", shared by resources/time_lapse.rc
// and the code. Plain #defines only: windres reads this file too.
#pragma once

#define IDC_TL_SOURCE 101          // "Erstes Quellbild"
#define IDC_TL_SOURCE_NAME 102
#define IDC_TL_TARGET 103          // "Zielverzeichnis"
#define IDC_TL_STATUS 105          // the status line: where the stacking host writes its step
#define IDC_TL_TARGET_NAME 106
#define IDC_TL_PREPROCESS 107      // "Quellbilder vorbehandeln"
#define IDC_TL_FADE_IN 108         // "Aufblende"
#define IDC_TL_FADE_OUT 109        // "Abblende"
#define IDC_TL_SETUP 110           // "Einstellung Vorbeh..."
#define IDC_TL_INTPICT 111         // "Zwischenbilder" 0..9
#define IDC_TL_INTPICT_TEXT 112
#define IDC_TL_RESIZE 113          // "Skalierungsfaktor" 1..6
#define IDC_TL_RESIZE_TEXT 114
#define IDC_TL_OK 115              // "&Gut"
#define IDC_TL_CANCEL 116          // "&Abbruch"
