// The filter dispatcher of the masking and filter dialog: ApplyMaskFilter
// runs the filter that ProgramState holds (mask_filter_core.h) on a preview
// section or on the whole source picture, reports a failure, and installs a
// final result into the target buffer. FilterProgress shows its progress.
#pragma once

#include <windows.h>

#include <cstdint>

#include "editing/mask_filter_core.h"
#include "shell/program_state.h"

// The status control of the filter dialog that shows progress and preview failures.
constexpr int kFilterStatusId = 119;

MaskFilterSettings MaskFilterSettingsOf(const ProgramState* ps);

// final 1: filters the whole picture and installs the result, with the
// source buffer's metadata, into TargetBuffer (*result then points to the
// installed block, owned by the slot); a failure shows its text in a box
// ("Kein Bild zum Verarbeiten !" without samples) and leaves the buffers.
// final 0: the preview of a section reduced by factor; *result receives a new
// block owned by the caller, and a failure is written into the status
// control of ProgressWindow instead of a box. header becomes the result's
// header (grey for the Sobel operator, type 11 for the phase image).
// 1 on success, 0 on failure.
int ApplyMaskFilter(const int16_t* samples, int16_t** result, ImageHeader* header, ProgramState* ps, int32_t factor,
                    int final);

// ProgressCallback of the filters: "%1.0lf %% gefiltert" into the status
// control of ProgressWindow; first = 1 resets the count.
void FilterProgress(int32_t total, int32_t first);
