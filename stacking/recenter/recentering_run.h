// The re-centring run: every frame of a series is pre-treated, centred by
// the stacking centring methods and written back as a picture shifted so
// that its centre lies on one reference point (the centre of the first
// usable frame, or the middle of the pattern); or every n frames are added,
// shifted the same way, into one picture. Platform-free: the series comes
// through the services, pictures are saved and progress shown through the
// host, frames are walked one after the other.
#pragma once

#include <cstdint>

#include "stacking/series/series_reader.h"
#include "stacking/stack_settings.h"

struct RecenterRunInputs {
  StackSettings* settings = nullptr;     // read; IsDarkcurrent and IsFlatfield cleared when their file fails
  const char* seriesName = nullptr;      // the video or a picture of the series
  const char* outputDirectory = "";      // RecenterPath
  const char* extension = ".bmp";        // of the output format
  int32_t addNPics = 1;                  // frames per output picture (limited to 1..64)
  SeriesServices services;               // loader, video, host
  int16_t** darkFrame = nullptr;         // where the run keeps its dark frame and flat field
  int16_t** flatField = nullptr;         //   (released through the host at the end)
  const int16_t* pattern = nullptr;      // template of the pattern methods
};

// 1 when the series was worked through or the user stopped it; 0 when it
// failed (after its message), also when the pictures would replace the raw
// frames they come from.
int RunRecenteringSeries(const RecenterRunInputs& in);
