// Command and control ids shared by the resource scripts and the code. Plain
// #defines only: windres reads this file too.
#pragma once

// --- menu "MainMenue": commands of the frame window
#define IDM_SAVE 101              // "Bild &speichern ..."
#define IDM_LOAD 102              // "Bild &laden ..."
#define IDM_QUIT 105              // "Programm&ende ..."
#define IDM_NOISE_FILTER 107      // no menu item
#define IDM_DARK_FRAME 108
#define IDM_FLAT_FIELD 109
#define IDM_STACK_WIZARD 110
#define IDM_CONTRAST 112
#define IDM_FILTER 113
#define IDM_SCALE_RECTIFY 114
#define IDM_PALETTE 115
#define IDM_ABOUT 122
#define IDM_BUFFER_COPY 123
#define IDM_BUFFER_DELETE 124
#define IDM_BUFFER_D 125          // "Arbeitspuffer D"
#define IDM_BUFFER_C 126
#define IDM_BUFFER_B 127
#define IDM_BUFFER_A 128
#define IDM_UNDO 129
#define IDM_FLIP_MIRROR 130
#define IDM_SHIFT_DIFFERENCE 133
#define IDM_RGB_ALIGN 135         // colour pictures only
#define IDM_GRAPHICS_FORMATS 136
#define IDM_CUT_OUT 138
#define IDM_COLOUR_SEPARATION 140 // colour pictures only
#define IDM_AVI_SPLIT 142
#define IDM_TONE_COLOUR_TEMP 143  // colour pictures only
#define IDM_BATCH 146
#define IDM_MANUAL_STACK 147      // no menu item
#define IDM_DELETE_RAW 149
#define IDM_NIGHT_MODE 150
#define IDM_STACK_CLASSIC 153
#define IDM_RECENTER 154
#define IDM_DCRAW 155
#define IDM_HOT_PIXEL_APPLY 156
#define IDM_HOT_PIXEL_LEARN 157
#define IDM_REMOVE_STARS 158
#define IDM_RESTACK 159           // only while "recenter.tmp" exists
#define IDM_BATCH_RESUME 161      // only while "batch.tmp" exists
#define IDM_TIME_LAPSE 162
#define IDM_ZOOM_IN 163           // "&Größer zoomen"
#define IDM_ZOOM_OUT 164          // "&Kleiner zoomen"
#define IDM_RED_WEAKNESS 165      // colour pictures only
#define IDM_CAPTURE 301
#define IDM_NOTHING 302           // no menu item
#define IDM_GPS 303
#define IDM_CASCADE 501
#define IDM_TILE 502
#define IDM_CLOSE_ALL 506         // no menu item

// --- buffer windows
#define IDC_BUFFER_ZOOM_OUT 1001  // "-": one step smaller
#define IDC_BUFFER_ZOOM_IN 1002   // "+": one step larger
#define IDC_FIRST_MDI_CHILD 1000  // the MDI client numbers its children from here

// --- "logo"
#define IDC_LOGO_CLOSE 101

// --- "puffercopy": targets and sources A..D are consecutive
#define IDC_COPY_TARGET_A 101
#define IDC_COPY_TARGET_D 104
#define IDC_COPY_SOURCE_A 105
#define IDC_COPY_SOURCE_D 108
#define IDC_COPY_CANCEL 109
#define IDC_COPY_OK 110

// --- "pufferdelete"
#define IDC_DELETE_TARGET_A 101
#define IDC_DELETE_TARGET_D 104
#define IDC_DELETE_OK 105
#define IDC_DELETE_CANCEL 106

// --- "arbeitmeld": progress of printing
#define IDC_PROGRESS_TEXT 101
#define IDC_PROGRESS_CANCEL 102
