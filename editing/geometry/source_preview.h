// What the preview dialogs of this folder do with their source when they
// open: they take the source buffer's header and metadata, show the picture
// in their pane and, where they compute into a block of their own, allocate
// it at the source's size.
#pragma once

#include <cstdint>

#include "imagelib/image.h"
#include "shell/dialogkit/dialog_kit.h"

struct SourcePreview {
  ImageHeader header;
  ImageMetadata metadata;
};

// Takes the frame's source into `source` and the pane. With `result`, a
// block of the source's size too: false after "Nicht genug Speicher !", which
// has cancelled the dialog.
bool TakeSourcePreview(DialogFrame* frame, PreviewPane* pane, SourcePreview* source, int16_t** result);

// The source's visible section in the pane again (after scrolling or "-"/"+").
void ShowSourcePreview(DialogFrame* frame, PreviewPane* pane, const SourcePreview* source);
