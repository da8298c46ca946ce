// Splitting a video into numbered pictures "<target>_pic%04ld<extension>",
// one frame at a time, as a frame walk (shell/frame_walk.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "shell/frame_walk.h"

// The formats of the split in the order of the sorted format list; the
// list's index is the setting RecenterFormat.
struct SplitFormat {
  const char* listText;    // "Bitmaps (*.BMP)"
  const char* extension;   // ".bmp"
};
constexpr int kSplitFormatCount = 7;
extern const SplitFormat kSplitFormats[kSplitFormatCount];

// The extension of a list index; null outside the list.
const char* SplitExtension(int32_t index);

struct AviSplitJob {
  const char* video;
  const char* target;      // names begin with it: a directory ends in "\"
  const char* extension;   // of kSplitFormats
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
