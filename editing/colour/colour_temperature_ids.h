// Control ids of the tone and colour temperature dialog "farbtemp800/1024",
// equal in both sizes, shared by the resource script and the code. Plain
// #defines: windres reads this file too.
#pragma once

#define IDC_CT_VSCROLL 101
#define IDC_CT_HSCROLL 102
#define IDC_CT_PREVIEW 103
#define IDC_CT_RED_BAR 104            // labelled "Rotkanal" in red by the dialog
#define IDC_CT_RED_VALUE 105
#define IDC_CT_GREEN_BAR 106          // "Grünkanal" in green
#define IDC_CT_GREEN_VALUE 107
#define IDC_CT_BLUE_BAR 108           // "Blaukanal" in blue
#define IDC_CT_BLUE_VALUE 109
#define IDC_CT_TARGET_A 110           // "&A" .. "&D"
#define IDC_CT_TARGET_D 113
#define IDC_CT_APPLY 114              // "&Übernehmen"
#define IDC_CT_CANCEL 115             // "&Abbrechen"
#define IDC_CT_MINUS 116              // "-"
#define IDC_CT_PLUS 117               // "+"
#define IDC_CT_TEMPERATURE_VALUE 118
#define IDC_CT_TEMPERATURE_BAR 119    // "Farbtemperatur"
#define IDC_CT_ANGLE_VALUE 120
#define IDC_CT_ANGLE_BAR 121          // "Farbkreis"
#define IDC_CT_SATURATION_VALUE 122
#define IDC_CT_SATURATION_BAR 123     // "Farbsättigung"
#define IDC_CT_NOISE 124              // "Farbe rauschfiltern"
#define IDC_CT_NOISE_LABEL 125        // "Filterwirkung"
#define IDC_CT_NOISE_VALUE 126
#define IDC_CT_NOISE_BAR 127
#define IDC_CT_STATUS 128             // preview failures
