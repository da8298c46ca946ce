// Control ids of the stacking set-up pages, the practice presets and the
// one-page stacking dialog, shared by resources/stacking_setup.rc and the
// code. Each template numbers its controls from 101 on its own. Plain
// #defines: windres reads this file too.
#pragma once

// "rohbildquelle": where the raw frames come from.
#define IDC_SRC_OK 101
#define IDC_SRC_CANCEL 102
#define IDC_SRC_NTH_TEXT 103
#define IDC_SRC_NTH 104              // every n-th frame of a video
#define IDC_SRC_AVI 105              // three radio buttons: Addpicsource 0..2
#define IDC_SRC_DIRECTORY 106
#define IDC_SRC_NUMBERED 107
#define IDC_SRC_INTERLACED 108       // Interlace 1
#define IDC_SRC_PROGRESSIVE 109      // Interlace 0

// "rohbildsetup": pre-treatment. Its confirm and cancel ids are the other
// way round than on the other pages.
#define IDC_PRE_CANCEL 101
#define IDC_PRE_OK 102
#define IDC_PRE_HOT_LIST 103         // set-up buttons, each 6 below its switch
#define IDC_PRE_DARK_FILE 104
#define IDC_PRE_FLAT_FILE 105
#define IDC_PRE_RGB_SETUP 106
#define IDC_PRE_NOISE_SETUP 107
#define IDC_PRE_GAIN_SETUP 108
#define IDC_PRE_HOT 109              // switches
#define IDC_PRE_DARK 110
#define IDC_PRE_FLAT 111
#define IDC_PRE_RGB 112
#define IDC_PRE_NOISE 113
#define IDC_PRE_GAIN 114
#define IDC_PRE_BORDER 115

// "gainsetup": the pre-amplification curve.
#define IDC_GAIN_LINEAR 101          // four radio buttons: Gaintype 0..3
#define IDC_GAIN_LOG 102
#define IDC_GAIN_LOGLOG 103
#define IDC_GAIN_GAMMA 104
#define IDC_GAIN_GAMMA_BAR 105
#define IDC_GAIN_GAMMA_TEXT 106
#define IDC_GAIN_CANCEL 107
#define IDC_GAIN_OK 108
#define IDC_GAIN_AUTO 109

// "zentriersetup": the centring method.
#define IDC_CTR_OK 101
#define IDC_CTR_CANCEL 102
#define IDC_CTR_FIRST 103            // seven radio buttons: FitMethod 0..6
#define IDC_CTR_PATTERN_FULL 106
#define IDC_CTR_PATTERN_NEAR 107
#define IDC_CTR_DEROTATION 108
#define IDC_CTR_COORDINATES 109
#define IDC_CTR_FFT 110

// "subpixsetup": sub-pixel resolution.
#define IDC_SUB_OK 101
#define IDC_SUB_CANCEL 102
#define IDC_SUB_ORIGSIZE 103
#define IDC_SUB_PART 104
#define IDC_SUB_SINGLE 105           // three radio buttons: Subpixelfactor 0..2
#define IDC_SUB_DOUBLE 106
#define IDC_SUB_FOURFOLD 107

// "qualitychecksetup": the quality check.
#define IDC_QC_OK 101
#define IDC_QC_CANCEL 102
#define IDC_QC_NONE 103              // three radio buttons: CheckMethod 0..2
#define IDC_QC_PREVIEW 104
#define IDC_QC_AUTO 105
#define IDC_QC_AREA_TEXT 106
#define IDC_QC_AREA 107
#define IDC_QC_RATE_TEXT 108
#define IDC_QC_RATE 109
#define IDC_QC_MIX_TEXT 110
#define IDC_QC_MIX 111
#define IDC_QC_PRESET_FIRST 112      // twelve preset buttons
#define IDC_QC_PRESET_LAST 123

// "ergebnissetup": how the result is formed.
#define IDC_RES_OK 101
#define IDC_RES_CANCEL 102
#define IDC_RES_MEAN 103             // three radio buttons: Imagetype 0..2
#define IDC_RES_BRIGHTEST 104
#define IDC_RES_ADD 105
#define IDC_RES_PRESET_FIRST 106     // six preset buttons
#define IDC_RES_PRESET_LAST 111

// "protokollsetup": what a run writes besides its result.
#define IDC_LOG_OK 101
#define IDC_LOG_CANCEL 102
#define IDC_LOG_NAME 103
#define IDC_LOG_SORT_PATH 104
#define IDC_LOG_FILE 105
#define IDC_LOG_SORT 106
#define IDC_LOG_SAFETY 107
#define IDC_LOG_HISTOGRAM 108

// "defaultpreset": thirteen object types.
#define IDC_PRESET_MOONS 101
#define IDC_PRESET_GENERAL 103
#define IDC_PRESET_HALPHA 104
#define IDC_PRESET_PROMINENCES 105
#define IDC_PRESET_SUNSPOT 106
#define IDC_PRESET_SUN 107
#define IDC_PRESET_FLAT 108
#define IDC_PRESET_DEEPSKY 109
#define IDC_PRESET_COMETS 110
#define IDC_PRESET_CRATERS 111
#define IDC_PRESET_MOON 112
#define IDC_PRESET_PLANETS 113
#define IDC_PRESET_DARK 114

// "ueberlagermethode2": the one-page stacking dialog.
#define IDC_CL_NEXT 101              // "&Weiter ..."
#define IDC_CL_CANCEL 102            // "&Abbruch" (Esc)
#define IDC_CL_PAUSE 103             // "&Pause" / "&Beenden" / "Weiter ..." (F12)
#define IDC_CL_TIME 104
#define IDC_CL_STATUS 105
#define IDC_CL_FIT_FIRST 106         // seven radio buttons: FitMethod 0..6
#define IDC_CL_PATTERN_FULL 109
#define IDC_CL_PATTERN_NEAR 110
#define IDC_CL_DEROTATION 111
#define IDC_CL_COORDINATES 112
#define IDC_CL_NOT_CLOSE 113
#define IDC_CL_GAIN 114
#define IDC_CL_INTERLACE 115
#define IDC_CL_TARGET 116
#define IDC_CL_DARK_FILE 117
#define IDC_CL_DARK 118
#define IDC_CL_FLAT_FILE 119
#define IDC_CL_FLAT 120
#define IDC_CL_NOISE_SETUP 121
#define IDC_CL_NOISE 122
#define IDC_CL_QC_NONE 123           // three radio buttons: CheckMethod 0..2
#define IDC_CL_QC_PREVIEW 124
#define IDC_CL_QC_AUTO 125
#define IDC_CL_BORDER 126
#define IDC_CL_FFT 127
#define IDC_CL_NTH_TEXT 128
#define IDC_CL_NTH 129
#define IDC_CL_RATE 130
#define IDC_CL_RATE_TEXT 131
#define IDC_CL_RGB 132
#define IDC_CL_RGB_SETUP 133
#define IDC_CL_SUB_PART 134
#define IDC_CL_SUB_SINGLE 135        // three radio buttons: Subpixelfactor 0..2
#define IDC_CL_SUB_DOUBLE 136
#define IDC_CL_SUB_FOURFOLD 137
#define IDC_CL_SUB_ORIGSIZE 138
#define IDC_CL_AVI 143               // three radio buttons: Addpicsource 0..2
#define IDC_CL_DIRECTORY 144
#define IDC_CL_NUMBERED 145
#define IDC_CL_AREA 148
#define IDC_CL_AREA_TEXT 149
#define IDC_CL_MIX 150
#define IDC_CL_MIX_TEXT 151
#define IDC_CL_MEAN 152              // three radio buttons: Imagetype 0..2
#define IDC_CL_BRIGHTEST 153
#define IDC_CL_ADD 154
#define IDC_CL_HOT 156
#define IDC_CL_HOT_LIST 157
#define IDC_CL_GAIN_SETUP 170

// "ueberlagermethode3": the step-by-step stacking dialog.
#define IDC_WZ_PAUSE 101             // "&Pause" / "&Weitermachen" / "&Beenden" / "Weiter ..."
#define IDC_WZ_CANCEL 102            // "&Abbruch"
#define IDC_WZ_NEXT 103              // "&Weiter ..."
#define IDC_WZ_TIME 104
#define IDC_WZ_STATUS 105
#define IDC_WZ_TARGET 106
#define IDC_WZ_PRESETS 107           // "Unverbindiche Empfehlungen ..."
#define IDC_WZ_PREVIOUS 108          // "Vorige Einstellung übernehmen"
#define IDC_WZ_PROTOCOL_SETUP 109
#define IDC_WZ_PROTOCOL 110          // step switches: 7, 5, 4, 2
#define IDC_WZ_RESULT_SETUP 111
#define IDC_WZ_QUALITY_SETUP 112
#define IDC_WZ_QUALITY 113
#define IDC_WZ_SUBPIXEL_SETUP 114
#define IDC_WZ_SUBPIXEL 115
#define IDC_WZ_CENTRING_SETUP 116
#define IDC_WZ_SOURCE_SETUP 117
#define IDC_WZ_PRETREAT_SETUP 118
#define IDC_WZ_PRETREAT 119
#define IDC_WZ_LINE1 120             // summary lines, step 7 .. 2 from 121 up
#define IDC_WZ_LINE7 121
#define IDC_WZ_LINE6 122
#define IDC_WZ_LINE5 123
#define IDC_WZ_LINE4 124
#define IDC_WZ_LINE3 125
#define IDC_WZ_LINE2 126
#define IDC_WZ_NOT_CLOSE 127

// "bildanpass800", "bildanpass1024": the picture selection dialog.
#define IDC_SEL_TARGET 101
#define IDC_SEL_PREVIEW 102
#define IDC_SEL_CANCEL 103
#define IDC_SEL_GOOD 104             // "&Gut"
#define IDC_SEL_NUMBER 105           // "Bild Nr.: 1"
#define IDC_SEL_ADD 106              // "Add&ieren"
#define IDC_SEL_NEXT_TEXT 107
#define IDC_SEL_NEXT 108             // "&Nächstes !"
#define IDC_SEL_VSCROLL 114
#define IDC_SEL_HSCROLL 115
#define IDC_SEL_RATING 116
#define IDC_SEL_MINUS 117
#define IDC_SEL_PLUS 118
