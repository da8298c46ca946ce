// Control ids of the picture dialogs "aviripper" and "grafiksetup", shared
// by resources/picture_dialogs.rc and the code. Plain #defines only:
// windres reads this file too.
#pragma once

// --- "aviripper": splitting a video into pictures
#define IDC_AVI_CHOOSE 101        // "AVI auswählen"
#define IDC_AVI_NAME 102          // the chosen video
#define IDC_AVI_TARGET 103        // "Ziel bestimmen"
#define IDC_AVI_TARGET_NAME 104   // the chosen target
#define IDC_AVI_FORMAT 105        // format list, sorted
#define IDC_AVI_STATUS 106        // name of the picture being written
#define IDC_AVI_OK 107            // "&Gut": start
#define IDC_AVI_CANCEL 108        // "Abbruch"

// --- "grafiksetup": graphics-format options
#define IDC_FMT_GIF87 201
#define IDC_FMT_GIF89 202
#define IDC_FMT_GIF_INTERLACED 203
#define IDC_FMT_GIF_GLOBAL 204
#define IDC_FMT_GIF_GREY 205
#define IDC_FMT_JPEG_QUALITY 206       // scroll bar 1..100
#define IDC_FMT_JPEG_QUALITY_TEXT 207
#define IDC_FMT_JPEG_GREY 208
#define IDC_FMT_FITS_FIRST 209         // five consecutive buttons in the order of kFitsOrganisations
#define IDC_FMT_FITS_LAST 213
#define IDC_FMT_FITS_BZERO 214
#define IDC_FMT_TIFF_FIRST 215         // none, LZW, PackBits
#define IDC_FMT_TIFF_LAST 217
#define IDC_FMT_TIFF_8 218
#define IDC_FMT_TIFF_16 219
#define IDC_FMT_PNG_8 220
#define IDC_FMT_PNG_16 221
#define IDC_FMT_PNG_GREY 222
#define IDC_FMT_SCALE 223              // scroll bar 0..180
#define IDC_FMT_SCALE_TEXT 224
#define IDC_FMT_OK 225
#define IDC_FMT_CANCEL 226
