// Control ids of the masking and filter dialog "filtersetup3" and of its five
// pages "filtersheet1".."filtersheet5", shared by their resource script and
// their code. The pages reuse ids: each lives alone in the tab area. The
// noise page has the ids of "rauschfilter" (stacking/noise_filter_ids.h).
// Plain #defines: windres reads this file too.
#pragma once

// --- "filtersetup3"
#define IDC_FILTER_EDIT 101          // "&Bearbeiten" (F12)
#define IDC_FILTER_CANCEL 102        // "&Abbruch" (Esc)
#define IDC_FILTER_TABS 103
#define IDC_FILTER_NO_PREVIEW 105    // "Vorschau abschalten"
#define IDC_FILTER_HSCROLL 106
#define IDC_FILTER_MINUS 107         // "-"
#define IDC_FILTER_PLUS 108          // "+"
#define IDC_FILTER_VSCROLL 109
#define IDC_FILTER_PREVIEW 110
#define IDC_FILTER_TARGET_A 111      // "Puffer &A" .. "Puffer &D"
#define IDC_FILTER_TARGET_D 114
#define IDC_FILTER_STATUS 119

// --- pages: strength, shared by four pages
#define IDC_SHEET_ADAPTIVE 115       // "Adaptiver Filter"
#define IDC_SHEET_STRENGTH 116       // "Filterwirkung"
#define IDC_SHEET_STRENGTH_TEXT 117

// --- "filtersheet1", blur
#define IDC_BLUR_SIZE 120            // "Filtergröße"
#define IDC_BLUR_SIZE_TEXT 121
#define IDC_BLUR_MEDIAN 122          // "Median", "Mittel", "Zeilenmedian", "Zeilenmittel"

// --- "filtersheet2", sharpen
#define IDC_SHARPEN_CHAR_FIRST 126   // "Kritische Dämpfung" .. "Quadrat"
#define IDC_SHARPEN_RECT_TEXT 131
#define IDC_SHARPEN_RECT 132         // "Rechteckanteil"
#define IDC_SHARPEN_SIZE_TEXT 133
#define IDC_SHARPEN_SIZE 134         // "Filtergröße"
#define IDC_SHARPEN_FORM_FIRST 135   // "Gauss", "Rechteck", "Dreieck", "Gauss && Rect"

// --- "filtersheet4", effect filters
#define IDC_EFFECT_FIRST 139         // "Gradient Nord" .. "Phasenbild" (139..148)
#define IDC_EFFECT_LOG 149           // "Logarithmisch"
#define IDC_EFFECT_AUTO 150          // "Kontrastautomatik"

// --- "filtersheet3", Mexican hat
#define IDC_HAT_CENTRE_GAUSS 151     // "Gauss", "Rechteck" of "Rauschfilter in der Mitte"
#define IDC_HAT_CENTRE_TEXT 155
#define IDC_HAT_CENTRE 157           // "Rauschfiltergröße"
#define IDC_HAT_SIZE_TEXT 158
#define IDC_HAT_SIZE 159             // "Filtergröße"
#define IDC_HAT_RECT_TEXT 160
#define IDC_HAT_RECT 161             // "Rechteckanteil"
#define IDC_HAT_CHAR_FIRST 162       // "Kritische Dämpfung" .. "Quadrat"
#define IDC_HAT_FORM_FIRST 166       // "Gauss" .. "Gauss && Rect"

// --- sharpen and Mexican hat: corrections
#define IDC_SHEET_SPECTRUM 170       // "Sekund. Spektrum"
#define IDC_SHEET_COMA 171           // "Koma" (hidden)
#define IDC_SHEET_ASTIG 172          // "Astigmatismus"
#define IDC_SHEET_ASTIG_SIZE_LABEL 173
#define IDC_SHEET_ASTIG_ANGLE_LABEL 174
#define IDC_SHEET_ASTIG_ANGLE_TEXT 175
#define IDC_SHEET_ASTIG_ANGLE 176    // "Positionswinkel"
#define IDC_SHEET_ASTIG_SIZE_TEXT 177
#define IDC_SHEET_ASTIG_SIZE 178     // "Ausdehnung"
#define IDC_SHEET_COMA_ANGLE 182     // (hidden)
#define IDC_SHEET_COMA_SIZE 184      // (hidden)
#define IDC_SHEET_BLUE_LABEL 185
#define IDC_SHEET_RED 186            // "Rotschärfung"
#define IDC_SHEET_RED_TEXT 187
#define IDC_SHEET_RED_LABEL 188
#define IDC_SHEET_BLUE_TEXT 189
#define IDC_SHEET_BLUE 190           // "Blauschärfung"

// --- "filtersheet5", noise filters: the ids of "rauschfilter", and three hidden radios
#define IDC_NOISE_ONLY_CHROMA 120    // "Nur Chrominanz"
#define IDC_NOISE_ONLY_LUMA 121      // "Nur Luminanz"
#define IDC_NOISE_WHOLE 122          // "Gesamter Bildinhalt"
