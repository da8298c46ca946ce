// Control ids of "rauschfilter", the noise-filter set-up, shared by its
// resource script and its code; the noise page "filtersheet5" of the filter
// dialog uses the same ids. Plain #defines: windres reads this file too.
#pragma once

#define IDC_NOISE_CANCEL 101         // "&Abbruch" (Esc)
#define IDC_NOISE_OK 102             // "&Gut" (F12)
#define IDC_NOISE_PSEUDOMEDIAN 103   // "&Pseudomedian"
#define IDC_NOISE_SIGMA_TEXT 104
#define IDC_NOISE_SIGMA 105          // "&Sigmaschwelle"
#define IDC_NOISE_EFFECT_TEXT 107
#define IDC_NOISE_EFFECT 108         // "&Filterwirkung"
#define IDC_NOISE_TYPE_FIRST 110     // ten radio buttons for filter types 0..9
#define IDC_NOISE_TYPE_LAST 119
