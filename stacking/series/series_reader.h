// The frame series reader: one way through the raw frames of a run, whether
// they are the frames of a video, the pictures of one type in a directory
// or a numbered picture series. Opening counts the frames and judges the
// first one; reading hands out frame j of the series, the same file for
// every pass and every thread; frames of another size or colour type than
// the first count as unreadable. Platform-free: files are loaded through
// the PictureLoader, videos read through the VideoReader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/image.h"
#include "stacking/series/frame_source.h"
#include "stacking/series/series_naming.h"
#include "stacking/stack_host.h"

// Rows a video frame's buffer holds beyond the frame, for the decoder.
constexpr int32_t kVideoSpareRows = 32;

// What a series reads with, handed to OpenSeries.
struct SeriesServices {
  PictureLoader* pictures = nullptr;
  VideoReader* video = nullptr;      // null where there is no decoder
  StackHost* host = nullptr;         // receives the reader's messages
  int32_t fitNthPic = 1;             // video frames: every n-th; below 1 counts as 1
};

// State of an open series, owned by the caller.
struct FrameSeries {
  int32_t frameCount = 0;
  ImageHeader header{};              // of the first frame; every frame must match it
  char prefix[kSeriesPathSize] = "";
  int32_t numberWidth = 0;
  int32_t firstNumber = 0;
  char currentName[kSeriesPathSize] = "";   // the file of the first frame after opening
  char extension[kSeriesPathSize] = "";
  int32_t sourceKind = -1;
  std::vector<std::string> files;    // directory series: the pictures, sorted by name
  SeriesServices services;
  bool videoOpen = false;
};

// Why a frame was not read.
enum class FrameReadError { kNone, kUnreadable, kMismatch, kMemory };

// Opens the series seriesName (the video, or any picture of the series) of
// sourceKind 0..2 and judges its first frame; messages only with showErrors.
// 1 usable (also after a note on little contrast), 0 not. A video stays open
// until CloseSeries, also after a failure.
int OpenSeries(FrameSeries* series, const char* seriesName, int32_t sourceKind, int showErrors,
               const SeriesServices& services);

// Reads a frame into frame: frameNumber is the first number plus the
// position (the position alone for videos, directories and kind 3). Kind 3
// loads the picture named by currentName, or for a video's extension frame
// frameNumber of the open video. Other kinds store the file read in
// currentName (kSeriesPathSize characters, the caller's own buffer when
// several threads read). Video frames get kVideoSpareRows spare rows.
// showErrors names the frame in an error box. 1 read, 0 not (why in *error
// when given).
int ReadSeriesFrame(FrameSeries* series, int32_t frameNumber, int32_t sourceKind, FrameBuffer* frame,
                    char* currentName, int showErrors, FrameReadError* error = nullptr);

// Whether frames of the open series may be read on several threads at
// once: never for a video (its decoder belongs to the thread that opened
// it), for pictures as their loader says.
bool SeriesReadsConcurrently(const FrameSeries* series);

// Closes the video of a kind-0 series; 1.
int CloseSeries(FrameSeries* series);

// Judges the first frame of a series by its statistics; shows the note or
// error through host when it is given. 1 usable, 0 not.
int JudgeSeriesContent(const int16_t* samples, const ImageHeader* h, StackHost* host);

// The pictures of directory `directory` ("" for the current one) whose
// names end in extension (any case), full names sorted by name.
std::vector<std::string> ListPictures(const char* directory, const char* extension);
