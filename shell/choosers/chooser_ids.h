// Control ids of the picture-open chooser's templates, shared by
// resources/choosers.rc and the code. Plain #defines: windres reads them.
#pragma once

#define IDC_PICTURE_PREVIEW 101        // sunken frame the preview is drawn into
#define IDC_PICTURE_FRAME_BAR 102      // frame of a video
#define IDC_PICTURE_FRAME_NUMBER 103   // "Nr. %ld aus %ld"
#define IDC_PICTURE_FRAME_LABEL 104    // "Aus AVI:"
#define IDC_PICTURE_THUMBNAIL 105      // small layout
#define IDC_PICTURE_ORIGINAL 106       // preview 1:1
#define IDC_STANDARD_CONTROLS 1119     // where the platform puts its own controls

// Controls of the platform's explorer dialog the hooks change.
#define IDC_CHOOSER_NAME_LABEL 1090
#define IDC_CHOOSER_NAME_EDIT 1152
#define IDC_CHOOSER_NAME_COMBO 1148   // the name field of newer explorer dialogs
