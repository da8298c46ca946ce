// The Windows side of the frame series reader: picture files through the
// program's readers (silent, the FITS library and the conversion library
// one at a time under LoadLock), and AVI frames through the capture
// library's decoder.
#pragma once

#include "shell/program_state.h"
#include "stacking/series/series_reader.h"

class WinPictureLoader : public PictureLoader {
 public:
  explicit WinPictureLoader(ProgramState* ps) : ps_(ps) {}
  int Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) override;
  bool LoadsConcurrently(const char* fileName) const override;

 private:
  ProgramState* ps_;
};

class AviVideoReader : public VideoReader {
 public:
  int Open(const char* fileName, int32_t* frameCount, ImageHeader* header, int showErrors) override;
  int Read(int32_t videoFrame, int16_t* samples, const ImageHeader* header) override;
  void Close() override;
};

// The loader, decoder and message host a series of the program reads with;
// FitNthPic from the settings.
struct WinSeriesServices {
  explicit WinSeriesServices(ProgramState* ps, StackHost* host);
  WinPictureLoader pictures;
  AviVideoReader video;
  SeriesServices services;
};
