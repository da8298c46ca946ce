#include "section_preview.h"

#include "dialog_messages.h"
#include "shell/buffer_slots.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"
#include "shell/preview_geometry.h"

bool TakeSectionPreview(DialogFrame* frame, PreviewPane* pane, SectionPreview* view) {
  ProgramState* ps = frame->ps;
  view->section = nullptr;
  DialogFrameOwnBlock(frame, &view->section);
  GetSlotHeader(&view->header, ps->SourceBuffer, ps);
  GetSlotMetadata(&view->metadata, ps->SourceBuffer, ps);
  const SIZE size = {view->header.width, view->header.height};
  SetPreviewPicture(pane, &size);
  view->sectionHeader = view->header;
  view->sectionHeader.width = pane->viewW > 0 ? pane->viewW : 1;
  view->sectionHeader.height = pane->viewH > 0 ? pane->viewH : 1;
  if (!AllocPixels(&view->section, &view->sectionHeader)) {
    ShowMessageBox(frame->dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    CancelDialogFrame(frame);
    return false;
  }
  return true;
}

ImageResult CutPaneSection(const PreviewPane* pane, SectionPreview* view, const int16_t* samples) {
  if (!samples || !view->section) return IMG_NULL_IMAGE;
  const POINT at = PreviewSectionOrigin(pane);
  return CutPreviewSection(view->section, &view->sectionHeader, samples, &view->header, at.x, at.y, pane->viewW,
                           pane->viewH, *pane->reduction);
}

int ShowSectionPreview(PreviewPane* pane, const int16_t* samples, const ImageHeader* header) {
  HBITMAP bitmap = nullptr;
  if (samples && header && header->width > 0 && header->height > 0) {
    HDC dc = GetDC(pane->dialog);
    bitmap = CreateDisplayBitmap(dc, samples, header, &gProgramState);
    ReleaseDC(pane->dialog, dc);
  }
  SetPreviewBitmap(pane, bitmap);
  return bitmap != nullptr;
}

ImageResult ShowCorrectedSection(PreviewPane* pane, SectionPreview* view, const int16_t* samples,
                                 SectionCorrection correct) {
  ImageResult r = CutPaneSection(pane, view, samples);
  if (r == IMG_OK && correct) {
    r = correct(view->section, view->section, &view->sectionHeader);
    if (r != IMG_OK) CutPaneSection(pane, view, samples);
  }
  ShowPreviewStatus(pane, r == IMG_OK ? "" : ImageResultText(r));
  ShowSectionPreview(pane, view->section, &view->sectionHeader);
  return r;
}

ApplyOutcome InstallCorrectedPicture(DialogFrame* frame, const SectionPreview* view, SectionCorrection correct) {
  ProgramState* ps = frame->ps;
  int16_t* result = nullptr;
  if (!AllocPixels(&result, &view->header)) {
    ShowMessageBox(frame->dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return ApplyOutcome::kStay;
  }
  if (ShowImageResult(frame->dialog, correct(GetSlotPixels(ps->SourceBuffer, ps), result, &view->header)) ||
      !InstallImage(ps->TargetBuffer, ps, result, &view->header, &view->metadata)) {
    FreeMem(&result);
    return ApplyOutcome::kStay;
  }
  return ApplyOutcome::kDone;
}
