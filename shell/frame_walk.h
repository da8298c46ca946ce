// The shape every long job over the frames of a series takes on the main
// thread (AVI splitting, re-centring, picture series, stacking): opened
// once, advanced one frame at a time with the windows kept alive between
// frames, and closed on every path. The job supplies the three steps; the
// walk supplies the message pump and the abort.
#pragma once

#include <windows.h>

#include <cstdint>

struct FrameWalk {
  void* job;
  // Prepares the job and tells how many frames it has. 1/0; after 0 the job
  // has said why and nothing else is called.
  int (*open)(void* job, int32_t* count);
  // Frame `index` (from 0). 1 goes on; 0 stops the walk (the job has said why).
  int (*frame)(void* job, int32_t index);
  // Releases what open took; called once after every successful open.
  void (*close)(void* job);
};

enum class WalkEnd { NotOpened, Done, Aborted, Failed };

// Opens the job, then before each frame dispatches the waiting messages
// and stops when *abortFlag has become non-zero; closes the job at the end.
WalkEnd RunFrameWalk(const FrameWalk& walk, const volatile BOOL* abortFlag);
