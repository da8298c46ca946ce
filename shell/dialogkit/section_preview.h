// The preview of dialogs that work on the visible section only: the source
// buffer's picture is cut at the pane's reduction into a block of the view's
// size, the dialog changes that block (a correction, a star mask) and shows
// it at 1:1. The frame frees the block on every way out.
//
//   ImageResult Correct(const int16_t* source, int16_t* result, const ImageHeader* header);
//   WM_INITDIALOG:  if (!TakeSectionPreview(&gFrame, &gPane, &gView)) return TRUE;   // cancelled
//   each change:    ShowCorrectedSection(&gPane, &gView, source, Correct);
//   "&Übernehmen":  CommitDialogFrame(&gFrame, [](DialogFrame* f, void*) {
//                     return InstallCorrectedPicture(f, &gView, Correct); }, nullptr);
#pragma once

#include <windows.h>

#include "dialog_frame.h"
#include "imagelib/image.h"
#include "preview_pane.h"

struct SectionPreview {
  ImageHeader header;           // the source buffer's picture
  ImageMetadata metadata;
  ImageHeader sectionHeader;    // the visible section as last cut
  int16_t* section;             // room for the pane's view
};

// Takes the frame's source buffer into `view` and the pane (its picture size)
// and allocates the section block. false after "Nicht genug Speicher !",
// which has cancelled the dialog.
bool TakeSectionPreview(DialogFrame* frame, PreviewPane* pane, SectionPreview* view);

// The pane's visible section of samples (a picture of view->header's size)
// into view->section; 4 without samples or block.
ImageResult CutPaneSection(const PreviewPane* pane, SectionPreview* view, const int16_t* samples);

// A section block as the pane's bitmap at 1:1 (the pane's scroll position
// already chose it): 1, or 0 with the pane black.
int ShowSectionPreview(PreviewPane* pane, const int16_t* samples, const ImageHeader* header);

// What a dialog does to a picture: source into result (may be the same) of
// the header's size.
using SectionCorrection = ImageResult (*)(const int16_t* source, int16_t* result, const ImageHeader* header);

// The visible section of samples through correct (null: as it is) as the
// pane's bitmap. A failure is named in the pane's status line over the
// section as it is, and never in a box; success clears the line. The
// correction's result.
ImageResult ShowCorrectedSection(PreviewPane* pane, SectionPreview* view, const int16_t* samples,
                                 SectionCorrection correct);

// The apply step of such a dialog: the frame's source through correct into
// a new picture installed into the target buffer with the source's header
// and metadata. A failed correction installs nothing: kStay after the box
// that says why.
ApplyOutcome InstallCorrectedPicture(DialogFrame* frame, const SectionPreview* view, SectionCorrection correct);
