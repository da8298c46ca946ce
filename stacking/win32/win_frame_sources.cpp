#include "stacking/win32/win_frame_sources.h"

#include <cstring>

#include "imageio/avi_frames.h"
#include "imageio/fits_picture.h"
#include "imageio/picture_files.h"
#include "imageio/png_picture.h"

namespace {

using Reader = int (*)(const char*, int16_t**, ImageHeader*);

const char* ExtensionOf(const char* name) {
  const char* start = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
  const char* dot = std::strrchr(start, '.');
  return dot ? dot : "";
}

// The readers that show no message box of their own, and whether their
// library may serve one thread at a time only.
struct FrameFormat {
  PictureFormat format;
  Reader read;
  bool oneAtATime;
};

int ReadPngSilently(const char* name, int16_t** samples, ImageHeader* header) {
  PictureMessage m;
  return ReadPngPicture(name, samples, header, &m);
}

int ReadFitsSilently(const char* name, int16_t** samples, ImageHeader* header) {
  PictureMessage m;
  return ReadFitsPicture(name, samples, header, gProgramState.FITSColorOrg != 0, &m);
}

constexpr FrameFormat kFrameFormats[] = {
    {PictureFormat::Bmp, ReadBmpImage, false},       {PictureFormat::Png, ReadPngSilently, false},
    {PictureFormat::Fits, ReadFitsSilently, true},   {PictureFormat::Gif, ReadGifImage, true},
    {PictureFormat::Jpeg, ReadJpegImage, true},      {PictureFormat::Pcx, ReadPcxImage, true},
    {PictureFormat::Tiff, ReadTiffImage, true},      {PictureFormat::Ppm, ReadPpmImage, false},
    {PictureFormat::RawBitmap, ReadRawBitmap, false},
};

}  // namespace

int WinPictureLoader::Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) {
  if (!fileName || !frame || !header) return 0;
  const PictureFormat format = FormatOfExtension(ExtensionOf(fileName));
  for (const FrameFormat& f : kFrameFormats) {
    if (f.format != format) continue;
    int16_t* samples = nullptr;
    InitImageHeader(header);
    if (f.oneAtATime) EnterCriticalSection(&ps_->LoadLock);
    const int ok = f.read(fileName, &samples, header);
    if (f.oneAtATime) LeaveCriticalSection(&ps_->LoadLock);
    if (!ok) {
      FreeMem(&samples);
      return 0;
    }
    frame->Adopt(samples, PictureSamples(header));
    return 1;
  }
  return 0;
}

bool WinPictureLoader::LoadsConcurrently(const char* fileName) const {
  if (!fileName) return false;
  const PictureFormat format = FormatOfExtension(ExtensionOf(fileName));
  for (const FrameFormat& f : kFrameFormats)
    if (f.format == format) return !f.oneAtATime;
  return false;
}

int AviVideoReader::Open(const char* fileName, int32_t* frameCount, ImageHeader* header, int showErrors) {
  return OpenAviFile(fileName, frameCount, header, showErrors);
}

int AviVideoReader::Read(int32_t videoFrame, int16_t* samples, const ImageHeader* header) {
  return ReadAviFrame(samples, header, videoFrame);
}

void AviVideoReader::Close() { CloseAviFile(); }

WinSeriesServices::WinSeriesServices(ProgramState* ps, StackHost* host) : pictures(ps) {
  services.pictures = &pictures;
  services.video = &video;
  services.host = host;
  services.fitNthPic = ps->FitNthPic;
}
