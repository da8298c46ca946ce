#include "avi_split.h"

#include <cstdio>

#include "avi_frames.h"
#include "picture_files.h"
#include "picture_io.h"
#include "shell/message_box.h"

namespace {

constexpr int32_t kSpareRows = 32;

int OpenSplit(void* context, int32_t* count) {
  auto* job = static_cast<AviSplitJob*>(context);
  ImageHeader opened;
  // The frame reader's way in switches the capture stamps off.
  if (!OpenAviFile(job->video, count, &opened, 1)) return 0;
  InitImageHeader(&job->header);
  job->header.width = opened.width;
  job->header.height = opened.height;
  job->header.colourType = opened.colourType;
  const bool colour = opened.colourType == kColourRgb;
  job->samples = AllocPictureSamples(opened.width, opened.height, colour, kSpareRows);
  if (!job->samples) {
    CloseAviFile();
    ShowMessageBox(PictureOwnerWindow(), "Zuwenig Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return 0;
  }
  return 1;
}

int SplitFrame(void* context, int32_t index) {
  auto* job = static_cast<AviSplitJob*>(context);
  char name[kPathSize + 32];
  std::snprintf(name, sizeof name, "%s_pic%04ld%s", job->target, long(index), job->extension);
  if (job->statusDialog) SetDlgItemTextA(job->statusDialog, job->statusId, name);
  if (!ReadAviFrame(job->samples, &job->header, index)) {
    ShowMessageBoxF(PictureOwnerWindow(), kTitleError, MB_OK | MB_ICONSTOP, "Einzelbild %ld aus %s\nnicht ladbar !",
                    long(index), job->video);
    return 0;
  }
  // The save dispatcher names a failure itself.
  return SaveImageFile(name, job->extension, 1, job->samples, &job->header) ? 1 : 0;
}

void CloseSplit(void* context) {
  auto* job = static_cast<AviSplitJob*>(context);
  CloseAviFile();
  FreeMem(&job->samples);
}

}  // namespace

FrameWalk AviSplitWalk(AviSplitJob* job) {
  job->samples = nullptr;
  return FrameWalk{job, OpenSplit, SplitFrame, CloseSplit};
}
