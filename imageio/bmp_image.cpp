// Windows bitmaps: read through the conversion library, written as the
// display shows the picture.

#include <cstdio>

#include "rastcodec/rastcodec.h"
#include "dib_picture.h"
#include "picture_files.h"
#include "picture_rendering.h"
#include "shell/display_mapping.h"
#include "shell/display_palette.h"
#include "shell/message_box.h"

int RenderPictureRows(uint8_t* rows, const int16_t* samples, const ImageHeader* h, const ProgramState* ps,
                      int32_t w, int32_t height) {
  if (!rows || !samples || !h || !ps) return 0;
  // The mapping as on a screen of the file's depth; the state itself stays.
  DisplaySettings s = DisplaySettingsOf(ps);
  const bool colour = h->colourType == kColourRgb;
  s.screenBits = colour ? 24 : 8;
  if (w == h->width && height == h->height) return MapImageRows(rows, samples, h, s);
  return ScaleImageRows(rows, samples, w, height, h->height, s.screenBits, h, s);
}

void PictureFileColours(Bgr table[256], const ProgramState* ps) {
  const LevelColourSettings colours = LevelColourSettingsOf(ps);
  for (int i = 0; i < 256; ++i) table[i] = LevelColour(i, ps->Palettetype, colours);
}

void ShowPictureMessage(const PictureMessage& m) {
  if (m.text[0]) ShowMessageBox(nullptr, m.text, kTitleError, MB_OK | MB_ICONSTOP);
}

int ReadBmpImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  if (!samples || *samples || !header) return 0;
  HGLOBAL dib = ReadDIB(fileName);
  if (!dib) return 0;
  // Palette depths become 8 bits of indices (taken as grey, the colours are
  // not applied), the others 24 bits of colour.
  HGLOBAL (WINAPI* convert)(HGLOBAL) = nullptr;
  DibSamples kind = DibSamples::Grey;
  switch (GetDIBBitPerPixel(dib)) {
    case 1: convert = DIB1To8; break;
    case 4: convert = DIB4To8; break;
    case 8: break;
    case 16: convert = DIB16To24; kind = DibSamples::Colour; break;
    case 32: convert = DIB32To24; kind = DibSamples::Colour; break;
    case 24: kind = DibSamples::Colour; break;
    default: GlobalFree(dib); return 0;
  }
  if (convert) {
    HGLOBAL converted = convert(dib);
    GlobalFree(dib);
    dib = converted;
    if (!dib) return 0;
  }
  int result = 0;
  if (auto* base = static_cast<uint8_t*>(GlobalLock(dib))) {
    const auto* rows = reinterpret_cast<const uint8_t*>(GetDIBBits(reinterpret_cast<LPSTR>(base)));
    const size_t size = GlobalSize(dib);
    if (rows && rows >= base && size_t(rows - base) <= size) {
      const DibBlock block{base, rows, size - size_t(rows - base)};
      result = DibToSamples(block, kind, kind == DibSamples::Grey ? 8 : 24, samples, header, nullptr);
    }
    GlobalUnlock(dib);
  }
  GlobalFree(dib);
  return result;
}

int WriteBmpImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!samples || !header || !ps) return 0;
  const int64_t w = int64_t{x1} - x0, h = int64_t{y1} - y0;
  if (w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX) return 0;
  const bool colour = header->colourType == kColourRgb;
  // As much as the mapping writes: whole padded rows of the saved size.
  const size_t size = DibRowsSize(int32_t(w), int32_t(h), colour);
  auto* rows = size ? static_cast<uint8_t*>(AllocMem(uint32_t(size))) : nullptr;
  if (!rows) return 0;
  int result = 0;
  if (RenderPictureRows(rows, samples, header, ps, int32_t(w), int32_t(h))) {
    Bgr table[256];
    PictureFileColours(table, ps);
    result = WriteBmpFileRows(fileName, rows, int32_t(w), int32_t(h), colour ? 24 : 8, table);
  }
  FreeMem(&rows);
  return result;
}

int WriteLogImage(const char* name, const int16_t* samples, const ImageHeader* header) {
  if (!name || !header) return 0;
  char path[kPathSize + 32];
  const int n = std::snprintf(path, sizeof path, "%s\\%s", gProgramState.ProgramDirectory, name);
  if (n < 0 || n >= int(sizeof path)) return 0;
  return WriteBmpImage(path, samples, header, &gProgramState, 0, 0, header->width, header->height);
}

int WriteBmpFile(const char* fileName, const uint8_t* rows, int32_t width, int32_t height, int bitsPerPixel) {
  Bgr table[256];
  PictureFileColours(table, &gProgramState);
  return WriteBmpFileRows(fileName, rows, width, height, bitsPerPixel, table);
}

int ReadBmpPlain(const char* fileName, uint8_t** buffer, int32_t* width, int32_t* height, int32_t* bits) {
  PictureMessage m;
  const int result = ReadBmpPlainFile(fileName, buffer, width, height, bits, &m);
  ShowPictureMessage(m);
  return result;
}
