// The stacking run: a whole series becomes one result image. Every frame is
// read, pre-treated, centred and measured; the records go to "recenter.tmp";
// the frames are ranked, optionally compared with reference images made
// from the best of them, and the chosen ones are added shifted onto the
// reference point and normalised. Platform-free: the series comes through
// the services, the program through the host, and the frames are walked by
// an executor (one thread or a pool, with the same result).
#pragma once

#include <cstdint>
#include <vector>

#include "imagelib/image.h"
#include "stacking/run/frame_walk.h"
#include "stacking/series/series_reader.h"
#include "stacking/stack_settings.h"

struct StackRunInputs {
  StackSettings* settings = nullptr;      // read and, as a run does, partly changed
  char* seriesName = nullptr;             // kSeriesPathSize; a re-stack puts the recorded name here
  const char* targetFile = nullptr;       // null: the result is handed back
  int fullRun = 1;                        // 0: re-stack from "recenter.tmp"
  const char* programDirectory = "";      // where "recenter.tmp" lives
  SeriesServices services;                // loader, video, host; FitNthPic comes from the settings
  int16_t** darkFrame = nullptr;          // where the run keeps its dark frame and flat field
  int16_t** flatField = nullptr;          //   (released through the host at the end)
  const int16_t* pattern = nullptr;       // template of the pattern methods
  FrameExecutor* executor = nullptr;      // null: one thread
};

struct StackRunResult {
  int16_t* samples = nullptr;             // AllocMem; the caller owns it
  ImageHeader header{};
  ImageMetadata metadata{};               // "Resultatbild", "Summenbild"
  std::vector<FrameRecord> records;       // the records in their final order
};

// 1 when the run finished (the result in *out, or saved to the target file)
// or was stopped by the user (no result); 0 when it failed (after its
// message). Frames that could not be used give one note at the end.
int RunStacking(const StackRunInputs& in, StackRunResult* out);
