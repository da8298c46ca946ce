// One record per frame (or per field of an interlaced frame) of a stacking
// run: where the frame came from, where its centre lies, how good it is and
// how well it matches the reference. In memory an ordinary aligned record;
// "recenter.tmp" stores it as 1152 bytes at fixed offsets (record_file.h).
#pragma once

#include <cstdint>

#include "imagelib/image.h"

constexpr int kRecordNameSize = 1024;
constexpr int kQualityMeasures = 7;

// Field kinds.
enum FieldKind : int32_t { kWholeFrame = 0, kFirstField = 1, kSecondField = 2 };

struct FrameRecord {
  double sortValue;                        // rank value; 0 rejected or not ranked
  double distortion;                       // correlation with the last reference compared with
  char seriesName[kRecordNameSize];        // the file the frame came from
  int32_t fieldKind;
  int32_t sourceFrame;                     // position in the series, from 0
  int32_t recordFrame;                     // sourceFrame, or 2 x it (+ 1) for the fields
  int32_t centreX;                         // in pixels of the sum (enlarged frame)
  int32_t centreY;
  int32_t centreWidth;
  int32_t centreHeight;
  ImageRect qualityBox;                    // where the quality was measured and compared
  double qualityMeasures[kQualityMeasures];
  double matchValue;                       // 0: not centred or unreadable, never added
  int32_t pixelCount;                      // pixels that entered the measures
};
