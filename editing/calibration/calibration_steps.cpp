#include "editing/calibration/calibration_steps.h"

#include <cstdio>
#include <cstring>

#include "imageio/picture_formats.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"

int ReadLightPicture(const ProgramState* ps, LightPicture* light) {
  light->samples = nullptr;
  if (!IsSlotLoaded(ps->TargetBuffer, ps) || !GetSlotHeader(&light->header, ps->TargetBuffer, ps)) return 0;
  light->samples = GetSlotPixels(ps->TargetBuffer, ps);
  return light->samples != nullptr;
}

int16_t* NewBlock(const LightPicture* light) {
  int16_t* block = nullptr;
  AllocPixels(&block, &light->header);
  return block;
}

void ReplaceBlock(int16_t** field, int16_t* block) {
  if (*field == block) return;
  FreeMem(field);
  *field = block;
}

int ChoosePictureFile(HWND owner, const char* title) {
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  return ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, gProgramState.CurrentPath,
                               kPictureOpenFilter, title, owner) == 1;
}

int ChooseSaveFile(HWND owner, const char* title, const char* proposal) {
  FileChoice& f = gFileChoice;
  std::snprintf(f.Path, sizeof f.Path, "%s", proposal);
  return ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, gProgramState.CurrentPath,
                            kPictureSaveFilter, title, owner) == 1;
}

ApplyOutcome WriteBlockOverPicture(DialogFrame* frame, const int16_t* block) {
  LightPicture light;
  if (block && ReadLightPicture(frame->ps, &light))
    std::memcpy(GetSlotPixels(frame->ps->TargetBuffer, frame->ps), block, SampleBytes(&light.header));
  return ApplyOutcome::kDone;
}
