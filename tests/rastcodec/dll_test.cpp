// rastcodec.dll as the program sees it: its export table, files written and
// read through movable global memory blocks, and zero for every bad input.

#include "rastcodec/rastcodec.h"

#include <algorithm>
#include <string>
#include <vector>

#include "fixtures.h"

namespace {

using namespace fixtures;
using rastcodec::Bytes;

const char* const kExports[] = {
    "ConvertDIBtoGIFEx", "ConvertDIBtoJPGEx", "ConvertDIBtoPCXEx", "ConvertDIBtoTIFEx", "ConvertGIFGetVersion",
    "ConvertGIFtoDIB",   "ConvertIsGIFFile",  "ConvertIsJPGFile",  "ConvertIsPCXFile",  "ConvertIsTIFFile",
    "ConvertJPGGetVersion", "ConvertJPGtoDIB", "ConvertPCXGetVersion", "ConvertPCXtoDIB", "ConvertTIFGetVersion",
    "ConvertTIFtoDIB",   "DIB16To24",         "DIB1To8",           "DIB32To24",         "DIB4To8",
    "DIB8To24",          "GetDIBBitPerPixel", "GetDIBBits",        "ReadDIB",
};

HGLOBAL ToBlock(const Bytes& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  EXPECT_NE(nullptr, h);
  std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(GlobalLock(h)));
  GlobalUnlock(h);
  return h;
}

Bytes FromBlock(HGLOBAL h) {
  const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
  Bytes bytes(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return bytes;
}

// A block the library made must be movable: its handle is not its address.
void ExpectMovable(HGLOBAL h) {
  void* p = GlobalLock(h);
  EXPECT_NE(nullptr, p);
  EXPECT_NE(static_cast<void*>(h), p);
  GlobalUnlock(h);
}

TEST(RastcodecDll, ExportsExactlyTheCallsByPlainName) {
  HMODULE module = GetModuleHandleA("rastcodec.dll");
  ASSERT_NE(nullptr, module);
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
  std::vector<std::string> exported;
  for (DWORD i = 0; i < dir->NumberOfNames; ++i) exported.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(exported.begin(), exported.end());
  std::vector<std::string> expected(std::begin(kExports), std::end(kExports));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, exported);
  EXPECT_EQ(dir->NumberOfNames, dir->NumberOfFunctions);
  for (const char* name : kExports) EXPECT_NE(nullptr, GetProcAddress(module, name)) << name;
}

struct Format {
  const char* extension;
  BOOL (*write)(LPCSTR, HGLOBAL);
  HGLOBAL (*read)(LPCSTR);
  BOOL (*test)(LPCSTR);
  int tolerance;
};

const GifOptions kGif{0, 89, 1, 1, 0};
const JpegOptions kJpeg{0, 100, 0};
const PcxOptions kPcx{32, 5, 8, 1};
const TiffOptions kTiff{0, 8, 5, 1024, 8};

const Format kFormats[] = {
    {"gif", [](LPCSTR f, HGLOBAL d) { return ConvertDIBtoGIFEx(f, d, &kGif); }, ConvertGIFtoDIB, ConvertIsGIFFile, 0},
    {"jpg", [](LPCSTR f, HGLOBAL d) { return ConvertDIBtoJPGEx(f, d, &kJpeg); }, ConvertJPGtoDIB, ConvertIsJPGFile, 3},
    {"pcx", [](LPCSTR f, HGLOBAL d) { return ConvertDIBtoPCXEx(f, d, &kPcx); }, ConvertPCXtoDIB, ConvertIsPCXFile, 0},
    {"tif", [](LPCSTR f, HGLOBAL d) { return ConvertDIBtoTIFEx(f, d, &kTiff); }, ConvertTIFtoDIB, ConvertIsTIFFile, 0},
};

TEST(RastcodecDll, FilesThroughMovableBlocks) {
  const Bytes pictures[] = {Dib8(5, 3, IndexPattern), Dib24(3, 4)};
  for (const Format& f : kFormats) {
    for (const Bytes& dib : pictures) {
      SCOPED_TRACE(std::string(f.extension) + (dib == pictures[0] ? " palette" : " colour"));
      const TempFile file(std::string("picture.") + f.extension);
      HGLOBAL source = ToBlock(dib);
      ASSERT_TRUE(f.write(file.c_str(), source));
      EXPECT_EQ(dib, FromBlock(source));   // the caller's block stays as it was
      GlobalFree(source);
      for (const Format& other : kFormats) {
        EXPECT_EQ(&other == &f, other.test(file.c_str()) != FALSE) << "test of " << other.extension;
      }
      HGLOBAL read = f.read(file.c_str());
      ASSERT_NE(nullptr, read);
      ExpectMovable(read);
      EXPECT_LE(MaxChannelError(Colours(dib), Colours(FromBlock(read))), f.tolerance);
      EXPECT_EQ(nullptr, GlobalFree(read));
    }
  }
}

// File names travel in the ANSI code page, umlauts included.
TEST(RastcodecDll, AnsiFileNames) {
  const TempFile probe("probe_\xE4");
  HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) GTEST_SKIP() << "the host's locale cannot hold an umlaut in a file name";
  CloseHandle(h);
  const TempFile file("Bild_\xE4.tif");
  HGLOBAL dib = ToBlock(Dib24(3, 2));
  EXPECT_TRUE(ConvertDIBtoTIFEx(file.c_str(), dib, &kTiff));
  GlobalFree(dib);
  EXPECT_TRUE(ConvertIsTIFFile(file.c_str()));
  HGLOBAL read = ConvertTIFtoDIB(file.c_str());
  EXPECT_NE(nullptr, read);
  GlobalFree(read);
}

TEST(RastcodecDll, ReadDibAndItsBits) {
  const Bytes dib = Dib8(3, 2, IndexPattern);
  Bytes bmp(14 + dib.size(), 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  rastcodec::Put32(&bmp[2], uint32_t(bmp.size()));
  rastcodec::Put32(&bmp[10], 14 + 40 + 1024);
  std::copy(dib.begin(), dib.end(), bmp.begin() + 14);
  const TempFile file("read.bmp");
  ASSERT_TRUE(rastcodec::WriteFileBytes(file.c_str(), bmp));
  HGLOBAL h = ReadDIB(file.c_str());
  ASSERT_NE(nullptr, h);
  ExpectMovable(h);
  EXPECT_EQ(8, GetDIBBitPerPixel(h));
  LPSTR p = static_cast<LPSTR>(GlobalLock(h));
  EXPECT_EQ(p + 40 + 1024, GetDIBBits(p));
  EXPECT_EQ(Indices(dib), Indices(FromBlock(h)));
  GlobalUnlock(h);
  GlobalFree(h);
}

Bytes PackedDib(int bits) {
  rastcodec::DibImage img;
  EXPECT_TRUE(img.Create(5, 2, bits));
  for (int i = 0; i < (1 << std::min(bits, 8)); ++i) img.SetColour(uint32_t(i), PaletteColour(i * 7));
  for (int y = 0; y < 2; ++y) {
    for (uint64_t i = 0; i < img.stride; ++i) img.Row(y)[i] = uint8_t(0x5A + 31 * i + y);
  }
  return img.data;
}

TEST(RastcodecDll, DepthConversions) {
  const struct {
    const char* name;
    HGLOBAL (*convert)(HGLOBAL);
    int from, to;
  } cases[] = {{"DIB1To8", DIB1To8, 1, 8}, {"DIB4To8", DIB4To8, 4, 8}, {"DIB8To24", DIB8To24, 8, 24},
               {"DIB16To24", DIB16To24, 16, 24}, {"DIB32To24", DIB32To24, 32, 24}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes dib = PackedDib(c.from);
    HGLOBAL source = ToBlock(dib);
    HGLOBAL converted = c.convert(source);
    ASSERT_NE(nullptr, converted);
    ExpectMovable(converted);
    EXPECT_EQ(c.to, GetDIBBitPerPixel(converted));
    EXPECT_EQ(Colours(dib), Colours(FromBlock(converted)));
    EXPECT_EQ(dib, FromBlock(source));
    GlobalFree(converted);
    // Any other depth is not this call's to convert.
    const Bytes wrong = PackedDib(c.from == 8 ? 4 : 8);
    HGLOBAL other = ToBlock(wrong);
    EXPECT_EQ(nullptr, c.convert(other));
    GlobalFree(other);
    GlobalFree(source);
  }
}

TEST(RastcodecDll, VersionsAreFixedSixteenBitNumbers) {
  const LONG versions[] = {ConvertGIFGetVersion(), ConvertJPGGetVersion(), ConvertPCXGetVersion(), ConvertTIFGetVersion()};
  for (LONG v : versions) {
    EXPECT_GT(v, 0);
    EXPECT_LE(v, 0xFFFF);
    EXPECT_EQ(versions[0], v);
  }
  // The PCX version is the settings' default bits per pixel: it must keep a
  // colour picture in colour.
  const TempFile file("version.pcx");
  HGLOBAL dib = ToBlock(Dib24(3, 2));
  const PcxOptions options{32, 5, ConvertPCXGetVersion(), 1};
  ASSERT_TRUE(ConvertDIBtoPCXEx(file.c_str(), dib, &options));
  GlobalFree(dib);
  HGLOBAL read = ConvertPCXtoDIB(file.c_str());
  ASSERT_NE(nullptr, read);
  EXPECT_EQ(24, GetDIBBitPerPixel(read));
  GlobalFree(read);
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

TEST(RastcodecDll, BadInputGivesZeroAndLeavesNoFile) {
  const TempFile missing("missing.gif");
  const TempFile garbage("garbage.tif");
  ASSERT_TRUE(rastcodec::WriteFileBytes(garbage.c_str(), Bytes{'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F}));
  for (const Format& f : kFormats) {
    EXPECT_EQ(nullptr, f.read(missing.c_str())) << f.extension;
    EXPECT_EQ(nullptr, f.read(garbage.c_str())) << f.extension;
    EXPECT_EQ(nullptr, f.read(nullptr)) << f.extension;
    EXPECT_FALSE(f.test(missing.c_str())) << f.extension;
    EXPECT_FALSE(f.test(nullptr)) << f.extension;
  }
  EXPECT_EQ(nullptr, ReadDIB(missing.c_str()));
  EXPECT_EQ(nullptr, ReadDIB(garbage.c_str()));

  // A header that claims more rows than its block holds.
  Bytes lying = Dib24(3, 2);
  rastcodec::Put32(&lying[8], 2000);
  HGLOBAL liar = ToBlock(lying);
  const TempFile out("out.gif");
  for (const Format& f : kFormats) {
    EXPECT_FALSE(f.write(out.c_str(), liar)) << f.extension;
    EXPECT_FALSE(f.write(out.c_str(), nullptr)) << f.extension;
    EXPECT_FALSE(Exists(out.c_str())) << f.extension;
  }
  EXPECT_EQ(nullptr, DIB8To24(liar));
  LPSTR p = static_cast<LPSTR>(GlobalLock(liar));
  EXPECT_EQ(nullptr, GetDIBBits(p));
  GlobalUnlock(liar);
  GlobalFree(liar);

  HGLOBAL good = ToBlock(Dib24(3, 2));
  EXPECT_FALSE(ConvertDIBtoGIFEx(out.c_str(), good, nullptr));
  EXPECT_FALSE(ConvertDIBtoTIFEx("no_such_directory\\out.tif", good, &kTiff));
  GlobalFree(good);
  EXPECT_FALSE(Exists(out.c_str()));
  EXPECT_EQ(0, GetDIBBitPerPixel(nullptr));
  EXPECT_EQ(nullptr, DIB1To8(nullptr));
  EXPECT_EQ(nullptr, GetDIBBits(nullptr));
}

}  // namespace
