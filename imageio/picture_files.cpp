// The load and save dispatchers, and the Windows edge of the platform-free
// PNG and FITS codecs.

#include "picture_files.h"

#include <cmath>
#include <cstring>

#include "avi_frames.h"
#include "fits_picture.h"
#include "picture_rendering.h"
#include "png_picture.h"
#include "shell/message_box.h"

namespace {

HWND gOwner = nullptr;

using Reader = int (*)(const char*, int16_t**, ImageHeader*);
using Writer = int (*)(const char*, const int16_t*, const ImageHeader*, ProgramState*, int32_t, int32_t, int32_t,
                       int32_t);

struct FormatRow {
  PictureFormat format;
  Reader read;
  Writer write;   // null: the format is only read
  const char* loadFailure;
  const char* saveFailure;
};

constexpr FormatRow kFormats[] = {
    {PictureFormat::Bmp, ReadBmpImage, WriteBmpImage, "Windows-Bitmap %s\nnicht ladbar !",
     "Bild %s\n als Windows-Bitmap nicht zu speichern !"},
    {PictureFormat::Gif, ReadGifImage, WriteGifImage, "GIF-Bild %s\nnicht ladbar !",
     "Bild %s\n im GIF-Format nicht zu speichern !"},
    {PictureFormat::Jpeg, ReadJpegImage, WriteJpegImage, "JPEG-Bild %s\nnicht ladbar !",
     "Bild %s\n im JPEG-Format nicht zu speichern !"},
    {PictureFormat::Pcx, ReadPcxImage, WritePcxImage, "Paintbrush-Bild %s\nnicht ladbar !",
     "Bild %s\n im Paintbrush-Format nicht zu speichern !"},
    {PictureFormat::Tiff, ReadTiffImage, WriteTiffImage, "TIFF-Bild %s\nnicht ladbar !",
     "Bild %s\n im TIFF-Format nicht zu speichern !"},
    {PictureFormat::Fits, ReadFitsImage, WriteFitsImage, "FITS-Bild %s\nnicht ladbar !",
     "Bild %s\n im FITS-Format nicht zu speichern !"},
    {PictureFormat::RawBitmap, ReadRawBitmap, nullptr, "Reine Bitmap %s\nnicht ladbar !", nullptr},
    {PictureFormat::Ppm, ReadPpmImage, nullptr, "Portable Pixelmap %s\nnicht ladbar !", nullptr},
    {PictureFormat::Png, ReadPngImage, WritePngImage, "Portable Network Graphic %s\nnicht ladbar !",
     "Bild %s\n im PNG-Format nicht zu speichern !"},
    {PictureFormat::Avi, ReadAviFrameImage, nullptr, "Einzelbild aus %s\nnicht ladbar !", nullptr},
};

const FormatRow* RowOf(const char* extension) {
  const PictureFormat format = FormatOfExtension(extension);
  for (const FormatRow& row : kFormats) {
    if (row.format == format) return &row;
  }
  return nullptr;
}

void WaitCursor() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
void ArrowCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }

void Failure(const char* format, const char* fileName) {
  ShowMessageBoxF(gOwner, kTitleError, MB_OK | MB_ICONSTOP, format, fileName);
}

void UnknownFormat(const char* fileName) {
  ShowMessageBoxF(gOwner, kTitleNote, MB_OK | MB_ICONEXCLAMATION, "%s\nhat ein unbekanntes Format !", fileName);
}

// Minutes to add to local time for UTC, as the zone stands now. Zones
// without daylight saving report neither state but still have their bias.
int32_t CurrentBias() {
  TIME_ZONE_INFORMATION zone;
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_STANDARD:
    case TIME_ZONE_ID_UNKNOWN: return zone.Bias;
    case TIME_ZONE_ID_DAYLIGHT: return zone.Bias + zone.DaylightBias;
    default: return 0;
  }
}

// The file's last write as UTC fields; false when it cannot be opened.
bool LastWriteUtc(const char* fileName, DateTimeRecord* utc) {
  HANDLE file = CreateFileA(fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written = {};
  SYSTEMTIME t = {};
  const bool known = GetFileTime(file, nullptr, nullptr, &written) && FileTimeToSystemTime(&written, &t);
  CloseHandle(file);
  *utc = DateTimeRecord{};
  if (known) {
    utc->day = int16_t(t.wDay);
    utc->month = int16_t(t.wMonth);
    utc->year = int16_t(t.wYear);
    utc->hour = int16_t(t.wHour);
    utc->minute = int16_t(t.wMinute);
    utc->second = int16_t(t.wSecond);
    utc->millisecond = int16_t(t.wMilliseconds);
  } else {
    utc->day = utc->month = 1;
    utc->year = 1601;   // the start of file time
  }
  return true;
}

}  // namespace

void SetPictureOwnerWindow(HWND frame) { gOwner = frame; }
HWND PictureOwnerWindow() { return gOwner; }

int LoadImageFile(const char* fileName, const char* extension, int showErrors, int16_t** samples,
                  ImageHeader* header, ImageMetadata* metadata) {
  if (!samples || !header || !metadata) return 0;
  *samples = nullptr;
  if (!fileName) return 0;
  ImageHeader localHeader;
  ImageMetadata localMetadata;
  InitImageHeader(&localHeader);
  InitImageMetadata(&localMetadata);
  MetadataFileName(localMetadata.fileName, sizeof localMetadata.fileName, fileName);
  char directory[MAX_PATH + 1] = "";
  const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory) directory[0] = '\0';
  MetadataPath(localMetadata.path, sizeof localMetadata.path, directory, fileName);

  DateTimeRecord utc;
  if (!LastWriteUtc(fileName, &utc)) return 0;
  WaitCursor();
  localMetadata.fileTime = LocalFileStamp(utc, CurrentBias());

  const FormatRow* row = RowOf(extension);
  if (!row) {
    ArrowCursor();
    UnknownFormat(fileName);
    return 0;
  }
  if (row->format == PictureFormat::Fits && showErrors && std::strlen(fileName) > kFitsNameLimit) {
    ArrowCursor();
    ShowMessageBoxF(gOwner, kTitleError, MB_OK | MB_ICONSTOP,
                    "Filename %s\nist für die FITS-Bibliothek zu lang !Maximal 128 Zeichen sind möglich.", fileName);
    return 0;
  }
  int16_t* pixels = nullptr;
  const int result = row->read(fileName, &pixels, &localHeader);
  if (!result) FreeMem(&pixels);   // a reader keeps its word, but no buffer may leak here
  if (!result && showErrors) {
    ArrowCursor();
    Failure(row->loadFailure, fileName);
    return 0;
  }
  *samples = pixels;
  *header = localHeader;
  *metadata = localMetadata;
  ArrowCursor();
  return result;
}

int SaveImageFile(const char* fileName, const char* extension, int showErrors, const int16_t* samples,
                  const ImageHeader* header) {
  if (!header) return 0;
  ProgramState* ps = &gProgramState;
  // The save magnification; a broken factor must not make the size undefined.
  auto scaled = [ps](int32_t side) {
    const double v = std::trunc(side * ps->Scalefactor + 0.5);
    return v >= 0 && v <= INT32_MAX ? int32_t(v) : 0;
  };
  ps->SaveRect[0] = 0;
  ps->SaveRect[1] = 0;
  ps->SaveRect[2] = scaled(header->width);
  ps->SaveRect[3] = scaled(header->height);
  WaitCursor();
  const FormatRow* row = RowOf(extension);
  if (!row || !row->write) {
    ArrowCursor();
    UnknownFormat(fileName ? fileName : "");
    return 0;
  }
  const int result =
      row->write(fileName, samples, header, ps, ps->SaveRect[0], ps->SaveRect[1], ps->SaveRect[2], ps->SaveRect[3]);
  ArrowCursor();
  if (!result && showErrors) Failure(row->saveFailure, fileName ? fileName : "");
  return result;
}

int ReadPngImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  PictureMessage m;
  const int result = ReadPngPicture(fileName, samples, header, &m);
  ShowPictureMessage(m);
  return result;
}

int WritePngImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!ps) return 0;
  const int64_t w = int64_t{x1} - x0, h = int64_t{y1} - y0;
  if (w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX) return 0;
  PictureMessage m;
  const int result = WritePngPicture(fileName, samples, header, int32_t(w), int32_t(h), ps->PngBitsPerPixel, &m);
  ShowPictureMessage(m);
  return result;
}

int ReadFitsImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  PictureMessage m;
  const int result = ReadFitsPicture(fileName, samples, header, gProgramState.FITSColorOrg != 0, &m);
  ShowPictureMessage(m);
  return result;
}

int WriteFitsImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                   int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!ps) return 0;
  const int64_t w = int64_t{x1} - x0, h = int64_t{y1} - y0;
  if (w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX) return 0;
  return WriteFitsPicture(fileName, samples, header, int32_t(w), int32_t(h), ps->FITSColorOrg, ps->FITSFrameOrg);
}
