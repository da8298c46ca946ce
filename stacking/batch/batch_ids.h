// Control ids of the batch dialog "batchprocess" and the resume dialog
// "batchweiter", shared by resources/stacking_runs.rc and the code. Plain
// #defines: windres reads this file too.
#pragma once

#define IDC_BATCH_CANCEL 101         // "&Abbruch" / "&Beenden" (Esc)
#define IDC_BATCH_RUN 102            // "&Batch abarbeiten"
#define IDC_BATCH_CLEAR 103          // "&Löschen"
#define IDC_BATCH_TIME 104
#define IDC_BATCH_STATUS 105
#define IDC_BATCH_MULTI 106          // "&Job definieren ..."
#define IDC_BATCH_LIST 107
#define IDC_BATCH_TARGET 108
#define IDC_BATCH_SHUTDOWN 109
#define IDC_BATCH_STEP1 110          // six step texts, 110..115
#define IDC_BATCH_CLASSIC 116
#define IDC_BATCH_PAUSE 117
#define IDC_BATCH_SINGLE 118         // "&Einzeljob definieren ..."
#define IDC_BATCH_FORMAT 119
