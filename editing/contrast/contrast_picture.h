// What both contrast dialogs hold of the picture they map, on their frame:
// the source buffer's picture, the preview of its visible section, the
// curve tables and histograms of ProgramState with their result histograms,
// all freed by the frame on every way out.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/dialogkit/dialog_frame.h"
#include "shell/dialogkit/preview_pane.h"

struct ContrastPicture {
  DialogFrame frame;
  PreviewPane pane;
  int32_t reduction;                 // set anew at each opening
  ImageHeader header;
  ImageMetadata metadata;
  ImageHeader previewHeader;
  int16_t* preview;                  // the visible section, reduced
  uint32_t* results[4];              // result histograms beside ContrastHistograms
};

// Samples of a header through the dialog's curve(s) from source into result
// (may be the same).
using ContrastMap = ImageResult (*)(const ImageHeader* header, const int16_t* source, int16_t* result);

// Opens the frame, takes the dialog as ProgressWindow, fits the preview's
// reduction to the picture's width and cuts nothing yet; then the statistics
// and histograms of the picture's centre into ContrastHistograms (luminance,
// and red, green and blue of a colour picture) with tableCount tables and
// histogramCount histograms allocated. false when the dialog has ended (an
// empty buffer or a failure, each with its box).
bool OpenContrastPicture(ContrastPicture* picture, HWND dialog, const PreviewPaneSpec* pane, int tableCount,
                         int histogramCount);
bool IsColourPicture(const ContrastPicture* picture);
const int16_t* SourceSamples(const ContrastPicture* picture);

// The visible section, through map unless it is null, as the preview; black
// when cutting or mapping fails.
void ShowContrastPreview(ContrastPicture* picture, ContrastMap map);

// "&Bearbeiten": the whole picture through map into a new block installed
// into the target buffer; the common black point goes to the file's one
// Backgroundlevel entry. kStay when the block or the mapping fails.
ApplyOutcome InstallMappedPicture(ContrastPicture* picture, ContrastMap map);
