#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/message_box.h"
#include "stacking/pattern/pattern_dialogs.h"
#include "stacking/pattern/pattern_geometry.h"

int PreparePatternTemplate(int32_t source, const char* fileName, const char* extension, ProgramState* ps) {
  if (!ps) return 0;
  // A template of an earlier dialog is never left behind unowned.
  ReleaseStateBuffer(ps, &ps->PatternSamples);
  ImageHeader header;
  InitImageHeader(&header);
  const int16_t* samples = nullptr;
  int16_t* loaded = nullptr;
  if (source >= 1 && source <= kBufferCount) {
    if (!IsSlotLoaded(source, ps) || !GetSlotHeader(&header, source, ps)) return 0;
    samples = GetSlotPixels(source, ps);
  } else {
    ImageMetadata metadata;
    InitImageMetadata(&metadata);
    const char* name = fileName ? fileName : "";
    if (!LoadImageFile(name, extension ? extension : "", 1, &loaded, &header, &metadata)) {
      ShowMessageBoxF(GetActiveWindow(), kTitleError, MB_OK | MB_ICONSTOP, "Bild %s nicht ladbar !", name);
      return 0;
    }
    samples = loaded;
  }
  const int32_t factor = PatternGridFactor(ps->Superres != 0, ps->Subpixelfactor);
  int16_t* cut = nullptr;
  const ImageResult result = CutPatternTemplate(samples, &header, ps->PatternRect, factor, &cut);
  FreeMem(&loaded);
  if (result != IMG_OK) return 0;
  ps->PatternSamples = cut;
  return 1;
}
