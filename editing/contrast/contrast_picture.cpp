#include "editing/contrast/contrast_picture.h"

#include "editing/contrast/contrast_curves.h"
#include "imagelib/statistics.h"
#include "shell/buffer_slots.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"
#include "shell/preview_geometry.h"
#include "shell/settings.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyContrast,  "Kontrasteinstellung von %s",
    kSectionContrast, 131,   // "Puffer A" .. "Puffer D" in both templates
    101,              kFrameNeedsPicture | kFrameEndsOnRefusal | kFrameUndoTarget,
    nullptr,          nullptr,
};

bool Refuse(ContrastPicture* p, const char* text) {
  ShowMessageBox(p->frame.dialog, text, kTitleError, MB_OK | MB_ICONSTOP);
  CancelDialogFrame(&p->frame);
  return false;
}

// The tables and histograms, each only when not yet there.
bool AllocWorkAreas(ContrastPicture* p, int tableCount, int histogramCount) {
  ProgramState* ps = p->frame.ps;
  bool ok = true;
  for (int c = 0; c < tableCount; ++c) {
    DialogFrameOwnBlock(&p->frame, &ps->ContrastLuts[c]);
    if (!ps->ContrastLuts[c]) ps->ContrastLuts[c] = static_cast<uint16_t*>(AllocArray(kContrastLevels, 2));
    ok = ok && ps->ContrastLuts[c];
  }
  for (int c = 0; c < histogramCount; ++c) {
    DialogFrameOwnBlock(&p->frame, &ps->ContrastHistograms[c]);
    DialogFrameOwnBlock(&p->frame, &p->results[c]);
    if (!ps->ContrastHistograms[c])
      ps->ContrastHistograms[c] = static_cast<uint32_t*>(AllocArray(kContrastLevels, 4));
    p->results[c] = static_cast<uint32_t*>(AllocArray(kContrastLevels, 4));
    ok = ok && ps->ContrastHistograms[c] && p->results[c];
  }
  return ok;
}

}  // namespace

bool OpenContrastPicture(ContrastPicture* p, HWND dialog, const PreviewPaneSpec* pane, int tableCount,
                         int histogramCount) {
  p->header = ImageHeader{};
  if (OpenDialogFrame(&p->frame, &kSpec, dialog) != FrameSource::kOk) return false;
  ProgramState* ps = p->frame.ps;
  ps->ProgressWindow = dialog;
  InitPreviewPane(&p->pane, pane, dialog, &p->reduction);
  DialogFrameOwnPane(&p->frame, &p->pane);
  DialogFrameOwnBlock(&p->frame, &p->preview);
  GetSlotHeader(&p->header, ps->SourceBuffer, ps);
  GetSlotMetadata(&p->metadata, ps->SourceBuffer, ps);
  RECT client;
  GetClientRect(GetDlgItem(dialog, pane->preview), &client);
  const int32_t reduction = client.right > 0 ? p->header.width / client.right : 1;
  p->reduction = reduction < 1 ? 1 : reduction > kMaxReduction ? kMaxReduction : reduction;
  const SIZE size = {p->header.width, p->header.height};
  SetPreviewPicture(&p->pane, &size);
  p->previewHeader = p->header;
  p->previewHeader.width = p->pane.viewW;
  p->previewHeader.height = p->pane.viewH;
  if (!AllocPixels(&p->preview, &p->previewHeader)) return Refuse(p, "Nicht genug Speicher !");
  ImageRect centre;
  MakeRect(&centre, p->header.width / 8, p->header.height / 8, 6 * p->header.width / 8, 6 * p->header.height / 8);
  int32_t used, red, green, blue, zero, negative, highest;
  const int16_t* source = SourceSamples(p);
  if (ComputeRegionStatistics(&centre, &p->header, source, &used, &red, &green, &blue, &zero, &negative,
                              &highest) != IMG_OK)
    return Refuse(p, "Bild enthält nur negative oder zuwenig Werte !");
  if (!AllocWorkAreas(p, tableCount, histogramCount)) {
    // The settings stay as they are now.
    ShowMessageBox(dialog, "Zu wenig Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    EndDialogFrame(&p->frame, 0);
    return false;
  }
  ComputeRegionHistogram(&centre, &p->header, source, ps->ContrastHistograms[0]);
  if (IsColourPicture(p) && histogramCount == 4)
    ComputeRegionHistogramsRgb(&centre, &p->header, source, ps->ContrastHistograms[1], ps->ContrastHistograms[2],
                               ps->ContrastHistograms[3]);
  return true;
}

bool IsColourPicture(const ContrastPicture* p) { return p->header.colourType == kColourRgb; }

const int16_t* SourceSamples(const ContrastPicture* p) {
  return GetSlotPixels(p->frame.ps->SourceBuffer, p->frame.ps);
}

void ShowContrastPreview(ContrastPicture* p, ContrastMap map) {
  if (!p->frame.open || !p->preview) return;
  const POINT at = PreviewSectionOrigin(&p->pane);
  HBITMAP bitmap = nullptr;
  if (CutPreviewSection(p->preview, &p->previewHeader, SourceSamples(p), &p->header, at.x, at.y, p->pane.viewW,
                        p->pane.viewH, p->reduction) == IMG_OK &&
      (!map || map(&p->previewHeader, p->preview, p->preview) == IMG_OK) && p->previewHeader.width > 0 &&
      p->previewHeader.height > 0) {
    HDC dc = GetDC(p->frame.dialog);
    bitmap = CreateDisplayBitmap(dc, p->preview, &p->previewHeader, p->frame.ps);
    ReleaseDC(p->frame.dialog, dc);
  }
  SetPreviewBitmap(&p->pane, bitmap);
}

ApplyOutcome InstallMappedPicture(ContrastPicture* p, ContrastMap map) {
  ProgramState* ps = p->frame.ps;
  int16_t* result = nullptr;
  if (!AllocPixels(&result, &p->header)) return ApplyOutcome::kStay;
  if (map(&p->header, SourceSamples(p), result) != IMG_OK) {
    FreeMem(&result);
    return ApplyOutcome::kStay;
  }
  InstallImage(ps->TargetBuffer, ps, result, &p->header, &p->metadata);
  // [Contrast] Backgroundlevel and BackgroundLevel are one entry of the file.
  ps->ContrastBackgroundLevel = ps->ContrastChannels[0].Backgroundlevel;
  return ApplyOutcome::kDone;
}
