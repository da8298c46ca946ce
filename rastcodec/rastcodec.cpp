// The global-memory edge of the graphics conversion library: files and
// movable blocks in, the platform-free codecs of codecs.h in between.

#include "rastcodec.h"

#include <cstring>
#include <exception>

#include "codecs.h"

namespace {

using rastcodec::Bytes;

HGLOBAL ToBlock(const Bytes& dib) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  if (h == nullptr) return nullptr;
  void* p = GlobalLock(h);
  if (p == nullptr) {
    GlobalFree(h);
    return nullptr;
  }
  std::memcpy(p, dib.data(), dib.size());
  GlobalUnlock(h);
  return h;
}

// Calls use(bytes, size) on a block locked for the call; false for a null,
// empty or invalid handle.
template <typename Use>
bool WithBlock(HGLOBAL h, Use use) {
  if (h == nullptr) return false;
  const SIZE_T size = GlobalSize(h);
  const auto* p = static_cast<const uint8_t*>(size != 0 ? GlobalLock(h) : nullptr);
  if (p == nullptr) return false;
  const bool ok = use(p, size_t(size));
  GlobalUnlock(h);
  return ok;
}

BOOL IsFormat(LPCSTR fileName, bool (*test)(const uint8_t*, size_t)) {
  try {
    Bytes head;
    return rastcodec::ReadFileHead(fileName, rastcodec::kSignatureBytes, &head) && test(head.data(), head.size());
  } catch (const std::exception&) {
    return FALSE;
  }
}

HGLOBAL ReadFormat(LPCSTR fileName, bool (*decode)(const uint8_t*, size_t, Bytes*)) {
  try {
    Bytes dib;
    {
      Bytes file;
      if (!rastcodec::ReadFileBytes(fileName, &file) || !decode(file.data(), file.size(), &dib)) return nullptr;
    }
    return ToBlock(dib);
  } catch (const std::exception&) {
    return nullptr;
  }
}

template <typename Options>
BOOL WriteFormat(LPCSTR fileName, HGLOBAL dib, const Options* options,
                 bool (*encode)(const uint8_t*, size_t, const Options&, Bytes*)) {
  if (fileName == nullptr || options == nullptr) return FALSE;
  try {
    Bytes file;
    const bool encoded =
        WithBlock(dib, [&](const uint8_t* p, size_t n) { return encode(p, n, *options, &file); });
    return encoded && rastcodec::WriteFileBytes(fileName, file);
  } catch (const std::exception&) {
    return FALSE;
  }
}

HGLOBAL ConvertDepth(HGLOBAL dib, int fromBits, int toBits) {
  try {
    Bytes out;
    const bool converted = WithBlock(dib, [&](const uint8_t* p, size_t n) {
      return rastcodec::DibBitCount(p, n) == fromBits && rastcodec::ConvertDibDepth(p, n, toBits, &out);
    });
    return converted ? ToBlock(out) : nullptr;
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

extern "C" {

BOOL WINAPI ConvertIsGIFFile(LPCSTR fileName) { return IsFormat(fileName, rastcodec::IsGif); }
BOOL WINAPI ConvertIsJPGFile(LPCSTR fileName) { return IsFormat(fileName, rastcodec::IsJpeg); }
BOOL WINAPI ConvertIsPCXFile(LPCSTR fileName) { return IsFormat(fileName, rastcodec::IsPcx); }
BOOL WINAPI ConvertIsTIFFile(LPCSTR fileName) { return IsFormat(fileName, rastcodec::IsTiff); }

HGLOBAL WINAPI ConvertGIFtoDIB(LPCSTR fileName) { return ReadFormat(fileName, rastcodec::DecodeGif); }
HGLOBAL WINAPI ConvertJPGtoDIB(LPCSTR fileName) { return ReadFormat(fileName, rastcodec::DecodeJpeg); }
HGLOBAL WINAPI ConvertPCXtoDIB(LPCSTR fileName) { return ReadFormat(fileName, rastcodec::DecodePcx); }
HGLOBAL WINAPI ConvertTIFtoDIB(LPCSTR fileName) { return ReadFormat(fileName, rastcodec::DecodeTiff); }
HGLOBAL WINAPI ReadDIB(LPCSTR fileName) { return ReadFormat(fileName, rastcodec::DecodeBmp); }

WORD WINAPI GetDIBBitPerPixel(HGLOBAL dib) {
  int bits = 0;
  WithBlock(dib, [&](const uint8_t* p, size_t n) {
    bits = rastcodec::DibBitCount(p, n);
    return true;
  });
  return WORD(bits);
}

LPSTR WINAPI GetDIBBits(LPSTR lockedDib) {
  if (lockedDib == nullptr) return nullptr;
  // A locked global block tells its size; any other pointer is taken on trust.
  HGLOBAL block = GlobalHandle(lockedDib);
  const SIZE_T blockSize = block != nullptr ? GlobalSize(block) : 0;
  const uint64_t size = blockSize != 0 ? uint64_t(blockSize) : UINT64_MAX;
  const int64_t offset = rastcodec::DibBitsOffset(reinterpret_cast<const uint8_t*>(lockedDib), size);
  return offset < 0 ? nullptr : lockedDib + offset;
}

HGLOBAL WINAPI DIB1To8(HGLOBAL dib) { return ConvertDepth(dib, 1, 8); }
HGLOBAL WINAPI DIB4To8(HGLOBAL dib) { return ConvertDepth(dib, 4, 8); }
HGLOBAL WINAPI DIB8To24(HGLOBAL dib) { return ConvertDepth(dib, 8, 24); }
HGLOBAL WINAPI DIB16To24(HGLOBAL dib) { return ConvertDepth(dib, 16, 24); }
HGLOBAL WINAPI DIB32To24(HGLOBAL dib) { return ConvertDepth(dib, 32, 24); }

BOOL WINAPI ConvertDIBtoGIFEx(LPCSTR fileName, HGLOBAL dib, const GifOptions* options) {
  return WriteFormat(fileName, dib, options, rastcodec::EncodeGif);
}
BOOL WINAPI ConvertDIBtoJPGEx(LPCSTR fileName, HGLOBAL dib, const JpegOptions* options) {
  return WriteFormat(fileName, dib, options, rastcodec::EncodeJpeg);
}
BOOL WINAPI ConvertDIBtoPCXEx(LPCSTR fileName, HGLOBAL dib, const PcxOptions* options) {
  return WriteFormat(fileName, dib, options, rastcodec::EncodePcx);
}
BOOL WINAPI ConvertDIBtoTIFEx(LPCSTR fileName, HGLOBAL dib, const TiffOptions* options) {
  return WriteFormat(fileName, dib, options, rastcodec::EncodeTiff);
}

LONG WINAPI ConvertGIFGetVersion(void) { return rastcodec::kConverterVersion; }
LONG WINAPI ConvertJPGGetVersion(void) { return rastcodec::kConverterVersion; }
LONG WINAPI ConvertPCXGetVersion(void) { return rastcodec::kConverterVersion; }
LONG WINAPI ConvertTIFGetVersion(void) { return rastcodec::kConverterVersion; }

}  // extern "C"
