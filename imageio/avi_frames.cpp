#include "avi_frames.h"

#include <cstring>
#include <vector>

#include "directx/tyvcap/tyvcap.h"
#include "picture_files.h"
#include "picture_io.h"
#include "shell/message_box.h"
#include "shell/program_state.h"

namespace {

constexpr HRESULT kAviNotFound = HRESULT(0x80040216);
constexpr HRESULT kAviUnknownFormat = HRESULT(0x80040248);
constexpr int32_t kSpareRows = 32;
constexpr size_t kStagingSpare = 1064;   // beyond the frame, for the decoder

// Starts the decoder on the video with stamping off; its result (0 success).
HRESULT StartDecoder(const char* fileName, int* frames, int* width, int* height, int* bits) {
  TYVCAP_SetTimemarker(0);
  std::vector<wchar_t> wide(std::strlen(fileName) + 1);
  TYVCAP_StrToWchar(wide.data(), fileName);
  return TYVCAP_InitAVIDecoder2(wide.data(), frames, width, height, bits);
}

}  // namespace

int ProbeAviFile(const char* fileName, int32_t* frameCount) {
  if (!fileName || !frameCount) return 0;
  int frames = 0, width = 0, height = 0, bits = 0;
  const HRESULT hr = StartDecoder(fileName, &frames, &width, &height, &bits);
  TYVCAP_ExitAVIDecoder2();
  if (hr != 0) return 0;
  *frameCount = frames;
  return 1;
}

int OpenAviFile(const char* fileName, int32_t* frameCount, ImageHeader* header, int showErrors) {
  if (!fileName || !frameCount || !header) return 0;
  int frames = 0, width = 0, height = 0, bits = 0;
  const HRESULT hr = StartDecoder(fileName, &frames, &width, &height, &bits);
  const bool colour = bits > 8;
  if (hr != 0 || !PictureFits(width, height, colour, kSpareRows)) {
    if (showErrors && hr == kAviNotFound) {
      ShowMessageBox(PictureOwnerWindow(), "AVI-Datei nicht gefunden !", kTitleError, MB_OK | MB_ICONSTOP);
    } else if (showErrors && hr == kAviUnknownFormat) {
      ShowMessageBox(PictureOwnerWindow(), "AVI-Format unbekannt !", kTitleError, MB_OK | MB_ICONSTOP);
    }
    TYVCAP_ExitAVIDecoder2();
    return 0;
  }
  SetReaderHeader(header, width, height, colour, colour ? 24 : 8);
  header->pixelAspect = double(width) * 4 / (double(height) * 3);
  header->xScale = 8.0 * header->pixelAspect;
  header->yScale = 8.0;
  *frameCount = frames;
  return 1;
}

int ReadAviFrame(int16_t* samples, const ImageHeader* header, int32_t frameIndex) {
  if (!samples || !header || !PictureFits(header->width, header->height, true)) return 0;
  const size_t width = size_t(header->width), height = size_t(header->height);
  const size_t rowBytes = width * 3;
  auto* staging = static_cast<uint8_t*>(AllocArray(rowBytes * height + kStagingSpare, 1));
  if (!staging) return 0;
  const bool decoded = TYVCAP_GetAVIFrame2(staging, frameIndex) == 0;
  if (decoded) {
    // Rows arrive bottom-up as blue, green, red without padding.
    const bool colour = header->colourType == kColourRgb;
    for (size_t r = 0; r < height; ++r) {
      const uint8_t* src = staging + (height - 1 - r) * rowBytes;
      if (colour) {
        int16_t* dst = samples + r * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i) dst[i] = int16_t(src[i] << 7);
      } else {
        int16_t* dst = samples + r * width;
        for (size_t x = 0; x < width; ++x) dst[x] = int16_t(src[3 * x] << 7);
      }
    }
  }
  FreeMem(&staging);
  return decoded ? 1 : 0;
}

int CloseAviFile() {
  TYVCAP_ExitAVIDecoder2();
  return 1;
}

int ReadAviFrameImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  if (!samples || !header) return 0;
  if (*samples) {
    ShowMessageBox(nullptr, "BufferPtr != NULL !", kTitleError, MB_OK | MB_ICONSTOP);
    return 0;
  }
  int32_t count = 0;
  if (!OpenAviFile(fileName, &count, header, 1)) return 0;
  gProgramState.AviFrameCount = count;
  if (gProgramState.AviFrameIndex < 0) {
    CloseAviFile();
    return 0;
  }
  int16_t* buffer = AllocPictureSamples(header->width, header->height, header->colourType == kColourRgb, kSpareRows);
  if (!buffer) {
    CloseAviFile();
    ShowMessageBox(nullptr, "Zuwenig Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return 0;
  }
  if (!ReadAviFrame(buffer, header, gProgramState.AviFrameIndex)) {
    FreeMem(&buffer);
    CloseAviFile();
    return 0;
  }
  CloseAviFile();
  *samples = buffer;
  return 1;
}
