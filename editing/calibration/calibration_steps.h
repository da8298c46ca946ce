// What the flat-field and the dark-frame dialog share: the picture of the
// buffer they correct, blocks of its size, the file choosers they load and
// save through, and the commit that writes a block over the picture.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "shell/dialogkit/dialog_frame.h"

// The picture a calibration dialog corrects: the target buffer's header and
// samples (the buffer keeps owning them).
struct LightPicture {
  ImageHeader header;
  const int16_t* samples;
};
// 1 when the target buffer holds a picture.
int ReadLightPicture(const ProgramState* ps, LightPicture* light);

// A zero-filled block of the light picture's size, or null.
int16_t* NewBlock(const LightPicture* light);
// Frees *field and puts block there.
void ReplaceBlock(int16_t** field, int16_t* block);

// The picture chooser with "Bildformate", an empty proposal and CurrentPath:
// 1 with the choice in gFileChoice.
int ChoosePictureFile(HWND owner, const char* title);
// The save chooser with "Bildformate", the proposal and CurrentPath.
int ChooseSaveFile(HWND owner, const char* title, const char* proposal);

// The commit of both dialogs: block (null: nothing) written over the target
// buffer's samples in place.
ApplyOutcome WriteBlockOverPicture(DialogFrame* frame, const int16_t* block);
