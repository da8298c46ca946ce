// The stacking runs of the program: the engine with the settings of
// ProgramState, the dialog as host, the program's readers and the capture
// library's decoder; the result goes into the target buffer or to a file.
// The single run walks the frames on the calling thread, the threaded one
// on WorkerLimit workers; both give the same result.
#pragma once

#include <windows.h>

#include "shell/program_state.h"

// progress: the dialog whose control 104 shows the elapsed time and 105
// the step, and the owner of the run's notes. seriesName: kPathSize
// characters, the video or first picture (a re-stack, fullRun 0, puts the
// recorded name there). targetFile null: the result goes into TargetBuffer.
// The caller sets RunStartTick before and saves the settings after. 1 when
// the run finished or the user stopped it, 0 when it failed.
int RunStackingSingle(HWND progress, char* seriesName, const char* targetFile, ProgramState* ps, int fullRun);

// The same run with WorkerLimit worker threads, their handles in
// WorkerHandles while they run; the calling thread reads videos and the
// formats read one at a time, keeps the dialog alive and waits. Every
// worker has ended and its handle is closed when it returns.
int RunStackingThreaded(HWND progress, char* seriesName, const char* targetFile, ProgramState* ps, int fullRun);
