// Splitting a video into numbered pictures "<target>_pic%04ld<extension>",
// one frame at a time, as a frame walk (shell/frame_walk.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "shell/frame_walk.h"

struct AviSplitJob {
  const char* video;
  const char* target;      // names begin with it: a directory ends in "\"
  const char* extension;   // of kRecenterFormats (recenter_formats.h)
  HWND statusDialog;       // shows each picture's name in statusId; may be null
  int statusId;
  // Held between open and close.
  ImageHeader header;
  int16_t* samples;
};

// The three steps over `job`. Opening shows why a video cannot be read or
// the buffer not had; a frame that cannot be read or saved stops the walk
// with one message.
FrameWalk AviSplitWalk(AviSplitJob* job);
