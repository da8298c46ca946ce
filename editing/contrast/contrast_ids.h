// Control ids of the contrast dialog "kontrastierung2", of its page
// "kontrastsheet" and of the large contrast dialog "KONTRASTIERUNG1",
// shared by their resource script and their code. Plain #defines: windres
// reads this file too.
#pragma once

// --- "kontrastierung2"
#define IDC_CONTRAST_EDIT 101          // "&Bearbeiten" (F12)
#define IDC_CONTRAST_CANCEL 102        // "&Abbruch" (Esc)
#define IDC_CONTRAST_NO_PREVIEW 103    // "Vorschau abschalten"
#define IDC_CONTRAST_MINUS 104         // "-"
#define IDC_CONTRAST_PLUS 105          // "+"
#define IDC_CONTRAST_PREVIEW 106
#define IDC_CONTRAST_VSCROLL 107
#define IDC_CONTRAST_HSCROLL 108
#define IDC_CONTRAST_RESULT 112        // result histogram
#define IDC_CONTRAST_TARGET_A 131      // "Puffer A" .. "Puffer D"
#define IDC_CONTRAST_TARGET_D 134
#define IDC_CONTRAST_TABS 165

// --- "kontrastsheet"
#define IDC_SHEET_BLACK 101            // slider below the histogram: black point / 32
#define IDC_SHEET_WHITE 102            // slider above the histogram: white point / 32
#define IDC_SHEET_HISTOGRAM 103
#define IDC_SHEET_CURVE 104
#define IDC_SHEET_POINT_1 105          // curve points 1..7: 105..111
#define IDC_SHEET_POINT_7 111
#define IDC_SHEET_RANGE_ALL 112        // "100 %"
#define IDC_SHEET_RANGE_FIRST 113      // "99.8 %" .. "90 %": 113..118
#define IDC_SHEET_RANGE_LAST 118
#define IDC_SHEET_RANGE_NONE 119       // "Keine"
#define IDC_SHEET_GAMMA_TEXT 120
#define IDC_SHEET_GAMMA 121
#define IDC_SHEET_LOG_UPDOWN 122
#define IDC_SHEET_LOG_MULTI 123
#define IDC_SHEET_LINEAR 124           // "Linear" .. "Gamma": 124..128
#define IDC_SHEET_GAMMA_CURVE 128
#define IDC_SHEET_RANGE_BACKGROUND 129 // "Untergrund"

// --- "KONTRASTIERUNG1"
#define IDC_SINGLE_EDIT 101            // "&Bearbeiten" (F12)
#define IDC_SINGLE_CANCEL 102          // "&Abbruch" (Esc)
#define IDC_SINGLE_NO_PREVIEW 103      // "Vorschau abschalten"
#define IDC_SINGLE_MINUS 104
#define IDC_SINGLE_PLUS 105
#define IDC_SINGLE_PREVIEW 106
#define IDC_SINGLE_VSCROLL 107
#define IDC_SINGLE_HSCROLL 108
#define IDC_SINGLE_RESULT_LUM 109      // result histograms: luminance, blue, green, red
#define IDC_SINGLE_RESULT_BLUE 110
#define IDC_SINGLE_RESULT_GREEN 111
#define IDC_SINGLE_RESULT_RED 112
#define IDC_SINGLE_INPUT_LUM 113       // input histograms: luminance, blue, green, red
#define IDC_SINGLE_INPUT_BLUE 114
#define IDC_SINGLE_INPUT_GREEN 115
#define IDC_SINGLE_INPUT_RED 116
#define IDC_SINGLE_CURVE 117
#define IDC_SINGLE_GAMMA_TEXT 118
#define IDC_SINGLE_GAMMA 119
#define IDC_SINGLE_ALGORITHM 120       // "L&inear" .. "S-Schlag": 120..125
#define IDC_SINGLE_STRETCH 126         // "Ausführen"
#define IDC_SINGLE_TARGET_A 131        // "Puffer A" .. "Puffer D"
#define IDC_SINGLE_LOW_GAMMA_TEXT 135
#define IDC_SINGLE_LOW_GAMMA 136
#define IDC_SINGLE_HIGH_GAMMA_TEXT 137
#define IDC_SINGLE_HIGH_GAMMA 138
#define IDC_SINGLE_TURNING_TEXT 139
#define IDC_SINGLE_TURNING 140
#define IDC_SINGLE_RANGE 141           // " Alles" .. " 80 %": 141..148
#define IDC_SINGLE_HOT_TEXT 149
#define IDC_SINGLE_HOT 150
#define IDC_SINGLE_DEAD_TEXT 151
#define IDC_SINGLE_DEAD 152
#define IDC_SINGLE_REJECT_DEAD 153     // "Deadpixel"
#define IDC_SINGLE_REJECT_HOT 154      // "Hotpixel"
#define IDC_SINGLE_REJECT_BACKGROUND 155   // "Untergrund"
#define IDC_SINGLE_AUTOMATIC 156       // "Automatik"
#define IDC_SINGLE_BACKGROUND_TEXT 157
#define IDC_SINGLE_BACKGROUND 158
#define IDC_SINGLE_TOP_TEXT 159
#define IDC_SINGLE_TOP 160
#define IDC_SINGLE_LIMIT_TOP 161       // "Toplevel"
#define IDC_SINGLE_LOG_MULTI 162
#define IDC_SINGLE_LOG_UPDOWN 163
#define IDC_SINGLE_HSI 164             // "Mit HSI-Transformation"
