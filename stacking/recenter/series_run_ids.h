// Control ids of the re-centring dialog "rezentrieren" and the re-stacking
// dialog "bildseriereadding", shared by resources/stacking_runs.rc and the
// code. Both number alike what they share. Plain #defines: windres reads
// this file too.
#pragma once

#define IDC_SR_NEXT 101              // "&Weiter ..."
#define IDC_SR_CANCEL 102            // "&Abbruch" (Esc)
#define IDC_SR_CLOSE 103             // "&Beenden"; re-stacking: "&Pause" during a run (F12)
#define IDC_SR_TIME 104
#define IDC_SR_STATUS 105
#define IDC_SR_FIT_FIRST 106         // five radio buttons: FitMethod 0..4
#define IDC_SR_PATTERN_FULL 109
#define IDC_SR_PATTERN_NEAR 110
#define IDC_SR_NOT_CLOSE 113
#define IDC_SR_GAIN 114              // pre-treatment switches and their set-up buttons
#define IDC_SR_INTERLACE 115
#define IDC_SR_PATH_TEXT 116         // re-centring: RecenterPath
#define IDC_SR_TARGET 116            // re-stacking: the target buffer
#define IDC_SR_DARK_FILE 117
#define IDC_SR_DARK 118
#define IDC_SR_FLAT_FILE 119
#define IDC_SR_FLAT 120
#define IDC_SR_NOISE_SETUP 121
#define IDC_SR_NOISE 122
#define IDC_SR_BORDER 126
#define IDC_SR_NTH_TEXT 128
#define IDC_SR_NTH 129
#define IDC_SR_RATE 130
#define IDC_SR_RATE_TEXT 131
#define IDC_SR_RGB 132
#define IDC_SR_RGB_SETUP 133
#define IDC_SR_AVI 143               // three radio buttons: Addpicsource 0..2
#define IDC_SR_DIRECTORY 144
#define IDC_SR_NUMBERED 145
#define IDC_SR_AREA 148
#define IDC_SR_AREA_TEXT 149
#define IDC_SR_MIX 150
#define IDC_SR_MIX_TEXT 151
#define IDC_SR_MEAN 152              // three radio buttons: Imagetype 0..2
#define IDC_SR_HOT 156
#define IDC_SR_HOT_LIST 157
#define IDC_SR_GAIN_SETUP 170
#define IDC_SR_PATH 171              // "Pfad festlegen ..."
#define IDC_SR_FORMAT 172            // RecenterFormat
#define IDC_SR_SERIES 173            // re-stacking: the series of "recenter.tmp"
#define IDC_SR_GROUP 174             // AddNPics
#define IDC_SR_GROUP_SPIN 175
