#include "source_preview.h"

#include "shell/buffer_slots.h"
#include "shell/message_box.h"

bool TakeSourcePreview(DialogFrame* frame, PreviewPane* pane, SourcePreview* source, int16_t** result) {
  ProgramState* ps = frame->ps;
  GetSlotHeader(&source->header, ps->SourceBuffer, ps);
  GetSlotMetadata(&source->metadata, ps->SourceBuffer, ps);
  if (result && !AllocPixels(result, &source->header)) {
    ShowMessageBox(frame->dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    CancelDialogFrame(frame);
    return false;
  }
  const SIZE size = {source->header.width, source->header.height};
  SetPreviewPicture(pane, &size);
  ShowSourcePreview(frame, pane, source);
  return true;
}

void ShowSourcePreview(DialogFrame* frame, PreviewPane* pane, const SourcePreview* source) {
  ShowPreviewSamples(pane, GetSlotPixels(frame->ps->SourceBuffer, frame->ps), &source->header);
}
