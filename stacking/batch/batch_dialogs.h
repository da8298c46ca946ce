// Batch processing: the batch dialog "batchprocess" ("Stapelverarbeitung zum
// Überlagern von Bildserien") collects up to 50 stacking jobs through the
// stacking set-up dialogs and runs them one after the other; "&Pause"
// keeps the rest in "batch.tmp", which the resume dialog "batchweiter"
// ("Stapelverarbeitung zum Überlagern von Bildserien fortsetzen") runs on.
// Either can shut the computer down at the end of a finished batch.
#pragma once

#include <windows.h>

#include "shell/program_state.h"
#include "stacking/batch/batch_job.h"

// The job's copy of the stacking settings from ProgramState (source and
// target are left alone), and back.
void SettingsToJob(BatchJobRecord* job, const ProgramState* ps);
void JobToSettings(const BatchJobRecord& job, ProgramState* ps);

// The dialogs' procedures; their parameter is the ProgramState (null:
// gProgramState). Both end with 1 after a finished or paused batch and 0
// after "&Abbruch".
INT_PTR CALLBACK BatchProcessDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK BatchResumeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What shutting the computer down at the end of a batch does; tests put
// their own in place (null: the machine's own, which asks for the shutdown
// privilege, lets the frame close without asking and shuts down).
using ShutdownRequest = void (*)(ProgramState* ps);
void SetShutdownRequest(ShutdownRequest request);
