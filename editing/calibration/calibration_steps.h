// What the flat-field and the dark-frame dialog share: the picture of the
// buffer they correct, the preview that shows the picture or one of the
// dialog's blocks, long work with the controls held, the file choosers they
// load and save through, and the commit that writes what the preview shows
// over the picture.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "shell/dialogkit/dialog_frame.h"
#include "shell/dialogkit/dialog_messages.h"
#include "shell/dialogkit/preview_pane.h"

// The picture a calibration dialog corrects: the target buffer's header and
// samples (the buffer keeps owning them).
struct LightPicture {
  ImageHeader header;
  const int16_t* samples;
};
// 1 when the target buffer holds a picture.
int ReadLightPicture(const ProgramState* ps, LightPicture* light);

// A calibration dialog on its frame: the picture, and the preview showing it
// or one of the dialog's blocks, which is what its confirm button writes.
struct CalibrationView {
  DialogFrame frame;
  PreviewPane pane;
  LightPicture light;
  bool havePicture;
  int16_t* const* shown;   // the address of the block shown; null: the picture
};

// Opens the frame, takes the dialog as ProgressWindow and sets up the pane,
// showing the picture; the frame owns the blocks (null-terminated list of
// addresses). false when the buffer is empty: the box has been shown, the
// focus is on cancelId and the dialog stays open.
bool OpenCalibrationView(CalibrationView* view, const DialogFrameSpec* spec, const PreviewPaneSpec* pane,
                         int32_t* reduction, HWND dialog, int cancelId, int16_t** const* blocks);
// The block at that address (null: the picture) shown from its start.
void ShowBlock(CalibrationView* view, int16_t* const* block);
// The same block again after a scroll or a change of reduction.
void RefreshView(CalibrationView* view);
// The block the preview shows, null while it shows the picture.
const int16_t* ShownBlock(const CalibrationView* view);

// A zero-filled block of the picture's size, or null after "Nicht genug
// Speicher !".
int16_t* NewBlock(CalibrationView* view);
// Frees *field and puts block there.
void ReplaceBlock(int16_t** field, int16_t* block);

// Long work on the picture: the wait cursor, the dialog's controls held and
// its messages pumped by the progress texts. false when the dialog was
// cancelled meanwhile and has ended.
template <typename Work>
bool RunCalibrationWork(CalibrationView* view, Work work) {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  BeginDialogRun(&view->frame);
  work();
  SetCursor(previous);
  return !EndDialogRun(&view->frame);
}

// The percentage of a progress callback that counts passes x total steps,
// with format into the status control of ProgressWindow.
void ShowCalibrationProgress(ProgressCounter* counter, int32_t total, int32_t first, double passes, int status);

// The picture chooser with "Bildformate", an empty proposal and CurrentPath:
// 1 with the choice in gFileChoice.
int ChoosePictureFile(HWND owner, const char* title);
// The save chooser with "Bildformate", the proposal and CurrentPath.
int ChooseSaveFile(HWND owner, const char* title, const char* proposal);
// A picture file of the chooser into a new block, the header and metadata
// filled: null when it cannot be loaded.
int16_t* LoadChosenPicture(int showErrors, ImageHeader* header);

// A click both dialogs handle alike: the cancel buttons always, the zoom
// buttons while no long work runs. false for a click that is the dialog's
// own, or for anything else while work runs (*handled says which).
bool HandleViewCommand(CalibrationView* view, int id, int notification, int cancelId, BOOL* handled);

// The commit of both dialogs: the block shown written over the target
// buffer's samples in place (nothing while the picture itself is shown).
ApplyOutcome WriteShownBlock(DialogFrame* frame, void* view);
