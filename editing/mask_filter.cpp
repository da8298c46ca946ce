#include "mask_filter.h"

#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_messages.h"
#include "shell/message_box.h"

namespace {

ProgressCounter gCounter;
double gPasses = 1.0;   // rows counted per picture row in the current run

void Report(const ProgramState* ps, int final, const char* text) {
  if (final)
    ShowMessageBox(GetWindow(ps->ProgressWindow, GW_OWNER), text, kTitleError, MB_OK | MB_ICONSTOP);
  else if (ps->ProgressWindow)
    SetDlgItemTextA(ps->ProgressWindow, kFilterStatusId, text);
}

}  // namespace

MaskFilterSettings MaskFilterSettingsOf(const ProgramState* ps) {
  MaskFilterSettings s;
  s.Masktype = ps->Masktype;
  s.Maskeffect0 = ps->Maskeffect0;
  s.Maskeffect1 = ps->Maskeffect1;
  s.IsAdaptiv = ps->IsAdaptiv;
  s.Lowpasstype = ps->Lowpasstype;
  s.LowCutoff = ps->LowCutoff;
  s.Highpasstype = ps->Highpasstype;
  s.HighCutoff = ps->HighCutoff;
  s.HighRectpart = ps->HighRectpart;
  s.Highpasschar = ps->Highpasschar;
  s.EffectFilter = ps->EffectFilter;
  s.EffectLog = ps->EffectLog;
  s.AutoContrast = ps->AutoContrast;
  s.Bandpassamptype = ps->Bandpassamptype;
  s.Bandpassfilttype = ps->Bandpassfilttype;
  s.Bandpassampradius = ps->Bandpassampradius;
  s.Bandpassrectpart = ps->Bandpassrectpart;
  s.Bandpassfiltradius = ps->Bandpassfiltradius;
  s.Bandpasschar = ps->Bandpasschar;
  s.SekSpectrum = ps->SekSpectrum;
  s.RedRadius = ps->RedRadius;
  s.BlueRadius = ps->MaskingBlueRadius;
  s.Astigmatism = ps->Astigmatism;
  s.Astigsize = ps->Astigsize;
  s.Astigposwin = ps->Astigposwin;
  s.Filtertype = ps->Filtertype;
  s.Pseudomedian = ps->Pseudomedian;
  s.Sigmaradius = ps->Sigmaradius;
  s.WorkerLimit = ps->WorkerLimit;
  return s;
}

int ApplyMaskFilter(const int16_t* samples, int16_t** result, ImageHeader* header, ProgramState* ps, int32_t factor,
                    int final) {
  *result = nullptr;
  if (!samples || !header) {
    Report(ps, final, "Kein Bild zum Verarbeiten !");
    return 0;
  }
  const MaskFilterSettings s = MaskFilterSettingsOf(ps);
  gPasses = MaskFilterPasses(s, header);
  ImageHeader resultHeader;
  int16_t* block = nullptr;
  const ImageResult r = RunMaskFilter(samples, header, s, final ? 1 : factor, final != 0, FilterProgress, &block,
                                      &resultHeader);
  if (r != IMG_OK) {
    Report(ps, final, ImageResultText(r));
    return 0;
  }
  *header = resultHeader;
  if (final) {
    ImageMetadata metadata;
    if (!GetSlotMetadata(&metadata, ps->SourceBuffer, ps)) InitImageMetadata(&metadata);
    if (!InstallImage(ps->TargetBuffer, ps, block, header, &metadata)) {
      FreeMem(&block);
      Report(ps, final, ImageResultText(IMG_BAD_PARAMETER));
      return 0;
    }
  }
  *result = block;
  return 1;
}

void FilterProgress(int32_t total, int32_t first) {
  const double percent = CountProgress(&gCounter, total, first, gPasses);
  if (percent >= 0) ShowProgressPercent(gProgramState.ProgressWindow, kFilterStatusId, "%1.0lf %% gefiltert", percent);
}
