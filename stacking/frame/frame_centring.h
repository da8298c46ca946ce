// The work a run does on one frame (or field) after reading and calibrating
// it: noise filter and pre-amplification, the sub-pixel enlargement, the
// centre by the chosen method, the quality in a box around it, and the
// addition, shifted onto the reference point, into the run's sum.
// Platform-free; frames of a run may be processed on several threads, each
// with its own FrameWorkspace.
#pragma once

#include <atomic>
#include <cstdint>

#include "imagelib/image.h"
#include "stacking/frame/frame_record.h"
#include "stacking/run_notes.h"
#include "stacking/series/frame_source.h"
#include "stacking/stack_host.h"
#include "stacking/stack_settings.h"

// Modes of ProcessFrame.
enum FrameMode : int32_t {
  kCentreAndMeasure = 0,
  kCentreMeasureAdd = 1,
  kAddStored = 2,       // add with the centre stored in the record
};

// What all frames of a run share. Everything is set up before the first
// frame; during a pass only the sum and count change (under the host's
// summation lock), and the reference point is set once, by the first frame
// that is centred (a run finishes that frame before it processes others).
struct FrameRunContext {
  const StackSettings* settings = nullptr;
  StackHost* host = nullptr;
  RunNotes* notes = nullptr;
  ImageHeader frameHeader{};     // the series' frames
  ImageHeader workHeader{};      // the frames enlarged by factor; also the sum's
  int32_t factor = 1;            // SumFactor of the settings
  const int16_t* pattern = nullptr;   // template of the pattern methods
  int32_t* sum = nullptr;
  uint32_t* count = nullptr;
  int32_t referencePoint[4] = {0, 0, 0, 0};   // x, y in sum pixels; two reserved words
  std::atomic<bool> referenceSet{false};
  std::atomic<int32_t> framesAdded{0};          // additions into the sum since it was cleared
  int32_t walk = 0;              // the run's walk over the frames now going (orders the notes)
};

// What one thread keeps from frame to frame.
struct FrameWorkspace {
  FrameBuffer enlarged;
  FrameBuffer scratch;           // RGB alignment
};

// Sets up the work header and factor from the frame header and settings,
// and for the pattern methods the reference point (the middle of
// PatternRect, in sum pixels). Call once per run.
void SetupFrameRun(FrameRunContext* ctx, const ImageHeader* frameHeader, const StackSettings* settings);

// Centre of an (enlarged) frame by FitMethod: 0 the middle; 1 the
// brightness centroid and 2 the bright disc inside the frame less 20 pixels
// (a centre within 20 pixels of an edge gives the middle and match 0); 3 and
// 4 the pattern (with Turbo first within Searchradius of the pattern's
// place in the reference frame, then over the whole frame; every frame
// starts from the same place, so the result does not depend on the order in
// which frames are processed); other methods the middle with match 1.0. 1 centred; 0 failed with the reason in *failure (centre the middle,
// match 0).
int CentreFrame(const FrameRunContext& ctx, FrameWorkspace* ws, const int16_t* image, int32_t centre[4],
                double* match, const char** failure);

// The quality box around a centre in sum pixels: Checkarea of the frame's
// width and height, kept 4 (with ExcludeBorder 20) pixels from the left and
// top and 5 (21) from the right and bottom. 1 with a box of positive size,
// 0 when the frame leaves none (the quality then picks its own region).
int PlaceQualityBox(ImageRect* box, const int32_t centre[2], const ImageHeader* frame, const StackSettings& s);

// Processes a frame (pre-treated by PretreatFrame) in place: noise filter,
// RGB alignment and pre-amplification, enlargement, then by mode centre
// (and the first centred frame sets the reference point), quality (when the
// run ranks by sharpness) and addition. records (null without ranking)
// receive the centre, match value and measures of recordIndex. A frame
// that cannot be centred or measured gets match 0 and a note. 1 done, 0
// when memory for the enlarged frame failed ("Out of memory !" noted).
int ProcessFrame(FrameRunContext* ctx, FrameWorkspace* ws, int16_t* frame, int32_t recordIndex, int32_t mode,
                 FrameRecord* records);
