#include "stacking/win32/run_stacking_single.h"

#include "shell/buffer_slots.h"
#include "shell/workers.h"
#include "stacking/run/stacking_run.h"
#include "stacking/win32/win_frame_sources.h"
#include "stacking/win32/win_stack_host.h"

int RunStackingSingle(HWND progress, char* seriesName, const char* targetFile, ProgramState* ps, int fullRun) {
  if (!seriesName || !ps) return 0;
  WorkerStopFlag = 0;
  ps->ProgressWindow = progress;
  WinStackHost host(ps, progress);
  WinSeriesServices win(ps, &host);
  StackSettings settings = StackSettingsOf(ps);
  StackRunInputs in;
  in.settings = &settings;
  in.seriesName = seriesName;
  in.targetFile = targetFile;
  in.fullRun = fullRun;
  in.programDirectory = ps->ProgramDirectory;
  in.services = win.services;
  in.darkFrame = &ps->DarkFrameSamples;
  in.flatField = &ps->FlatFieldSamples;
  in.pattern = ps->PatternSamples;
  StackRunResult result;
  const int ok = RunStacking(in, &result);
  if (ps->AbortRequested) WorkerStopFlag = 1;
  StoreRunSettings(settings, ps);
  if (result.samples && !InstallImage(ps->TargetBuffer, ps, result.samples, &result.header, &result.metadata))
    FreeMem(&result.samples);
  // The pattern is prepared again before every run.
  host.ReleaseBuffer(&ps->PatternSamples);
  return ok;
}
