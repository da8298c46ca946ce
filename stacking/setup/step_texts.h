// The six summary lines of a stacking set-up ("1. Bilder aus AVI, Vollbildmodus"),
// one per step of the step-by-step dialog, built from the settings a run
// reads. Platform-free; the set-up pages write them into ProgramState.
#pragma once

#include <cstddef>

#include "stacking/stack_settings.h"

constexpr int kStepTextSize = 256;   // with the terminator

// The line of step 1..6 into out (cut to capacity, always terminated); an
// empty text for any other step. A setting outside what its page offers is
// read as the page's first choice.
void FormatStepText(int step, const StackSettings& s, char* out, size_t capacity);
