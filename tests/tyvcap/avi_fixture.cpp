#include "avi_fixture.h"

#include <cstdio>
#include <cstring>

#include "tyvcap.h"

namespace avifixture {
namespace {

struct Writer {
  std::vector<BYTE> bytes;
  void U32(DWORD v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<BYTE>(v >> (8 * i)));
  }
  void U16(WORD v) {
    bytes.push_back(static_cast<BYTE>(v));
    bytes.push_back(static_cast<BYTE>(v >> 8));
  }
  void Tag(const char* t) { bytes.insert(bytes.end(), t, t + 4); }
  // Starts a chunk (or a list) and returns where its size goes.
  size_t Open(const char* tag) {
    Tag(tag);
    U32(0);
    return bytes.size() - 4;
  }
  void Close(size_t sizeAt) {
    const DWORD size = static_cast<DWORD>(bytes.size() - sizeAt - 4);
    memcpy(&bytes[sizeAt], &size, 4);
    if (size & 1) bytes.push_back(0);
  }
};

}  // namespace

bool WriteAvi(const std::wstring& path, int width, int height, int frames, const PixelFn& pixel,
              const std::map<int, DWORD>& cut) {
  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD frameBytes = stride * static_cast<DWORD>(height);
  Writer w;
  const size_t riff = w.Open("RIFF");
  w.Tag("AVI ");
  const size_t hdrl = w.Open("LIST");
  w.Tag("hdrl");
  const size_t avih = w.Open("avih");
  w.U32(40000);                    // microseconds per frame
  w.U32(frameBytes * 25);          // max bytes per second
  w.U32(0);                        // padding granularity
  w.U32(0x10);                     // has an index
  w.U32(static_cast<DWORD>(frames));
  w.U32(0);                        // initial frames
  w.U32(1);                        // streams
  w.U32(frameBytes);               // suggested buffer
  w.U32(static_cast<DWORD>(width));
  w.U32(static_cast<DWORD>(height));
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.Close(avih);
  const size_t strl = w.Open("LIST");
  w.Tag("strl");
  const size_t strh = w.Open("strh");
  w.Tag("vids");
  w.Tag("DIB ");
  w.U32(0);                        // flags
  w.U16(0);                        // priority
  w.U16(0);                        // language
  w.U32(0);                        // initial frames
  w.U32(1);                        // scale
  w.U32(25);                       // rate
  w.U32(0);                        // start
  w.U32(static_cast<DWORD>(frames));
  w.U32(frameBytes);
  w.U32(0xFFFFFFFF);               // quality
  w.U32(0);                        // sample size
  w.U16(0);
  w.U16(0);
  w.U16(static_cast<WORD>(width));
  w.U16(static_cast<WORD>(height));
  w.Close(strh);
  const size_t strf = w.Open("strf");
  w.U32(40);
  w.U32(static_cast<DWORD>(width));
  w.U32(static_cast<DWORD>(height));
  w.U16(1);
  w.U16(24);
  w.U32(0);                        // BI_RGB
  w.U32(frameBytes);
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.Close(strf);
  w.Close(strl);
  w.Close(hdrl);

  const size_t movi = w.Open("LIST");
  const size_t moviStart = w.bytes.size();
  w.Tag("movi");
  std::vector<DWORD> offsets, sizes;
  for (int f = 0; f < frames; ++f) {
    offsets.push_back(static_cast<DWORD>(w.bytes.size() - moviStart));
    const size_t chunk = w.Open("00db");
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        BYTE bgr[3];
        pixel(f, x, y, bgr);
        w.bytes.insert(w.bytes.end(), bgr, bgr + 3);
      }
      for (DWORD p = static_cast<DWORD>(width) * 3; p < stride; ++p) w.bytes.push_back(0);
    }
    const auto shortened = cut.find(f);
    if (shortened != cut.end() && shortened->second < frameBytes) w.bytes.resize(chunk + 4 + shortened->second);
    sizes.push_back(static_cast<DWORD>(w.bytes.size() - chunk - 4));
    w.Close(chunk);
  }
  w.Close(movi);
  const size_t idx1 = w.Open("idx1");
  for (size_t i = 0; i < offsets.size(); ++i) {
    w.Tag("00db");
    w.U32(0x10);                   // key frame
    w.U32(offsets[i]);
    w.U32(sizes[i]);
  }
  w.Close(idx1);
  w.Close(riff);

  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  const bool ok = fwrite(w.bytes.data(), 1, w.bytes.size(), f) == w.bytes.size();
  return fclose(f) == 0 && ok;
}

ScratchFolder::ScratchFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int serial = 0;
  wchar_t folder[MAX_PATH];
  swprintf(folder, MAX_PATH, L"%lstyvcap-%lu-%d\\", base, GetCurrentProcessId(), ++serial);
  CreateDirectoryW(folder, nullptr);
  path_ = folder;
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((path_ + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((path_ + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(path_.c_str());
}

std::string Narrow(const std::wstring& s) {
  char out[1024];
  WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, out, sizeof out, nullptr, nullptr);
  return out;
}

Video DecodeAll(const std::wstring& path) {
  Video v;
  int frames = 0, bits = 0;
  if (TYVCAP_InitAVIDecoder2(path.c_str(), &frames, &v.width, &v.height, &bits) != S_OK) return v;
  for (int i = 0; i < frames; ++i) {
    std::vector<BYTE> frame(static_cast<size_t>(v.width) * v.height * 3 + 1064);
    if (TYVCAP_GetAVIFrame2(frame.data(), i) != S_OK) break;
    frame.resize(static_cast<size_t>(v.width) * v.height * 3);
    v.frames.push_back(std::move(frame));
  }
  TYVCAP_ExitAVIDecoder2();
  return v;
}

}  // namespace avifixture
