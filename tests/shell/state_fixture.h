// A fresh ProgramState on the heap, initialised as after start-up, for tests
// that must not share the program's global record.
#pragma once

#include <windows.h>

#include <cstring>
#include <memory>

#include "shell/buffer_slots.h"
#include "shell/program_state.h"

inline std::unique_ptr<ProgramState> MakeState() {
  auto ps = std::make_unique<ProgramState>();
  std::memset(ps.get(), 0, sizeof *ps);
  InitProgramState(ps.get());
  return ps;
}

inline void DisposeState(ProgramState* ps) {
  FreeProgramState(ps);
  DeleteCriticalSection(&ps->SumLock);
  DeleteCriticalSection(&ps->JobLock);
  DeleteCriticalSection(&ps->LoadLock);
}

// A picture of w x h (colour type 1 gives three samples per pixel) whose
// samples count up from `first`, and a header and metadata to go with it.
struct TestPicture {
  ImageHeader header;
  ImageMetadata metadata;
  int16_t* samples;
};

inline TestPicture MakePicture(int w, int h, int colourType, int16_t first, const char* name) {
  TestPicture p;
  InitImageHeader(&p.header);
  p.header.width = w;
  p.header.height = h;
  p.header.colourType = colourType;
  InitImageMetadata(&p.metadata);
  std::strcpy(p.metadata.path, name);
  AllocPixels(&p.samples, &p.header);
  const int n = w * h * SamplesPerPixel(&p.header);
  for (int i = 0; i < n; ++i) p.samples[i] = int16_t(first + i);
  return p;
}

// Installs a fresh picture into the slot; returns its sample pointer.
inline int16_t* LoadSlot(ProgramState* ps, int slot, int16_t first, const char* name, int w = 4, int h = 3) {
  TestPicture p = MakePicture(w, h, 1, first, name);
  InstallImage(slot, ps, p.samples, &p.header, &p.metadata);
  return p.samples;
}

// The first sample of the slot, or -1 when it holds none.
inline int FirstSample(const ProgramState* ps, int slot) {
  const int16_t* s = GetSlotPixels(slot, ps);
  return s ? s[0] : -1;
}
