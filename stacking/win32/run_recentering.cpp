#include "stacking/win32/run_recentering.h"

#include "shell/workers.h"

#include "imageio/recenter_formats.h"
#include "stacking/recenter/recentering_run.h"
#include "stacking/win32/win_frame_sources.h"
#include "stacking/win32/win_stack_host.h"

int RunRecentering(HWND owner, const char* seriesName, ProgramState* ps) {
  if (!seriesName || !ps) return 0;
  WorkerStopFlag = 0;
  ps->ProgressWindow = owner;
  ps->CheckSharpness = 0;
  ps->CheckDistortion = 0;
  WinStackHost host(ps, owner);
  WinSeriesServices win(ps, &host);
  StackSettings settings = StackSettingsOf(ps);
  RecenterRunInputs in;
  in.settings = &settings;
  in.seriesName = seriesName;
  in.outputDirectory = ps->RecenterPath;
  in.extension = RecenterFormatExtension(ValidRecenterFormat(ps->RecenterFormat));
  in.addNPics = ps->AddNPics;
  in.services = win.services;
  in.darkFrame = &ps->DarkFrameSamples;
  in.flatField = &ps->FlatFieldSamples;
  in.pattern = ps->PatternSamples;
  const int ok = RunRecenteringSeries(in);
  if (ps->AbortRequested) WorkerStopFlag = 1;
  ps->IsDarkcurrent = settings.IsDarkcurrent;
  ps->IsFlatfield = settings.IsFlatfield;
  // The pattern is prepared again before every run.
  host.ReleaseBuffer(&ps->PatternSamples);
  return ok;
}
