// Decoding video files frame by frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "avi_fixture.h"
#include "tyvcap.h"

namespace {

using avifixture::ScratchFolder;
using avifixture::WriteAvi;

// Frame i is filled with a value of its own; green and red give the position.
void Pattern(int frame, int x, int y, BYTE* bgr) {
  bgr[0] = static_cast<BYTE>(20 * frame + 7);
  bgr[1] = static_cast<BYTE>(x * 7);
  bgr[2] = static_cast<BYTE>(y * 31 + 1);
}

struct Size {
  int width, height;
};

class Decoder : public testing::TestWithParam<Size> {
 protected:
  void TearDown() override { TYVCAP_ExitAVIDecoder2(); }
  const ScratchFolder folder_;
};

TEST_P(Decoder, FramesComeInAnyOrderAsUnpaddedBottomUpRows) {
  const Size size = GetParam();
  const std::wstring file = folder_ / L"muster.avi";
  ASSERT_TRUE(WriteAvi(file, size.width, size.height, 10, Pattern));

  int frames = -1, width = -1, height = -1, bits = -1;
  ASSERT_EQ(S_OK, TYVCAP_InitAVIDecoder2(file.c_str(), &frames, &width, &height, &bits));
  EXPECT_EQ(10, frames);
  EXPECT_EQ(size.width, width);
  EXPECT_EQ(size.height, height);
  EXPECT_EQ(24, bits);

  // The main program's staging buffer; everything after the picture must stay.
  const size_t picture = static_cast<size_t>(width) * height * 3;
  std::vector<BYTE> buffer(picture + 1064);
  for (int index : {0, 9, 3, 1}) {
    SCOPED_TRACE(testing::Message() << "frame " << index);
    std::fill(buffer.begin(), buffer.end(), 0xA5);
    ASSERT_EQ(S_OK, TYVCAP_GetAVIFrame2(buffer.data(), index));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        BYTE expected[3];
        Pattern(index, x, y, expected);
        const BYTE* got = &buffer[(static_cast<size_t>(y) * width + x) * 3];
        ASSERT_TRUE(got[0] == expected[0] && got[1] == expected[1] && got[2] == expected[2])
            << "pixel " << x << ", " << y << ": " << int(got[0]) << " " << int(got[1]) << " " << int(got[2]);
      }
    for (size_t i = picture; i < buffer.size(); ++i) ASSERT_EQ(0xA5, buffer[i]) << "byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, Decoder, testing::Values(Size{5, 4}, Size{643, 3}, Size{8, 6}),
                         [](const testing::TestParamInfo<Size>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(DecoderErrors, MissingAndUndecodableFilesGiveTheCodesTheProgramReports) {
  const ScratchFolder folder;
  const std::wstring text = folder / L"kein-video.avi";
  FILE* f = _wfopen(text.c_str(), L"wb");
  ASSERT_NE(nullptr, f);
  fputs("Das ist kein Video, nur ein Text in einer Datei mit falscher Endung.\n", f);
  fclose(f);
  const struct {
    std::wstring file;
    HRESULT expected;
  } cases[] = {{folder / L"fehlt.avi", static_cast<HRESULT>(0x80040216)},
               {folder / L"fehlt\\auch.avi", static_cast<HRESULT>(0x80040216)},
               {text, static_cast<HRESULT>(0x80040248)}};
  for (const auto& c : cases) {
    int frames = 1, width = 1, height = 1, bits = 1;
    EXPECT_EQ(c.expected, TYVCAP_InitAVIDecoder2(c.file.c_str(), &frames, &width, &height, &bits))
        << avifixture::Narrow(c.file);
    EXPECT_EQ(0, frames | width | height | bits);
    BYTE buffer[16];
    EXPECT_EQ(E_INVALIDARG, TYVCAP_GetAVIFrame2(buffer, 0));
  }
}

TEST(DecoderErrors, FramesOutsideTheVideoOrAfterClosingAreRefused) {
  const ScratchFolder folder;
  const std::wstring file = folder / L"kurz.avi";
  ASSERT_TRUE(WriteAvi(file, 4, 2, 3, Pattern));
  int frames, width, height, bits;
  ASSERT_EQ(S_OK, TYVCAP_InitAVIDecoder2(file.c_str(), &frames, &width, &height, &bits));
  std::vector<BYTE> buffer(4 * 2 * 3 + 1064);
  EXPECT_EQ(E_INVALIDARG, TYVCAP_GetAVIFrame2(buffer.data(), 3));
  EXPECT_EQ(E_INVALIDARG, TYVCAP_GetAVIFrame2(buffer.data(), -1));
  EXPECT_EQ(S_OK, TYVCAP_GetAVIFrame2(buffer.data(), 2));
  EXPECT_EQ(0, TYVCAP_ExitAVIDecoder2());
  EXPECT_EQ(E_INVALIDARG, TYVCAP_GetAVIFrame2(buffer.data(), 0));
}

// A recording's multiplexer writes an empty chunk for a dropped frame, and a
// chunk may be cut short; no other frame may come back in their place.
TEST(DecoderGaps, AnEmptyOrShortChunkIsAMissingFrame) {
  const ScratchFolder folder;
  const std::wstring file = folder / L"luecken.avi";
  const int width = 8, height = 6;
  ASSERT_TRUE(WriteAvi(file, width, height, 6, Pattern, {{1, 0}, {3, 40}, {4, 0}}));
  int frames, w, h, bits;
  ASSERT_EQ(S_OK, TYVCAP_InitAVIDecoder2(file.c_str(), &frames, &w, &h, &bits));
  ASSERT_EQ(6, frames);
  std::vector<BYTE> buffer(static_cast<size_t>(width) * height * 3 + 1064);
  for (int index : {0, 1, 2, 3, 4, 5, 4, 3, 1, 0}) {
    SCOPED_TRACE(testing::Message() << "frame " << index);
    std::fill(buffer.begin(), buffer.end(), 0xA5);
    const HRESULT hr = TYVCAP_GetAVIFrame2(buffer.data(), index);
    if (index == 1 || index == 3 || index == 4) {
      EXPECT_EQ(static_cast<HRESULT>(0x8004022B), hr) << "frame " << (buffer[0] - 7) / 20 << " came back instead";
      EXPECT_EQ(0xA5, buffer[0]) << "nothing written";
      continue;
    }
    ASSERT_EQ(S_OK, hr);
    BYTE expected[3];
    Pattern(index, 0, 0, expected);
    EXPECT_EQ(expected[0], buffer[0]);
  }
  EXPECT_EQ(0, TYVCAP_ExitAVIDecoder2());
}

TEST(DetectorDecoder, ReportsTheVideosShape) {
  const ScratchFolder folder;
  const std::wstring file = folder / L"detektor.avi";
  ASSERT_TRUE(WriteAvi(file, 6, 4, 10, Pattern));
  BSTR name = SysAllocString(file.c_str());
  int frames = -1, width = -1, height = -1, bits = -1;
  EXPECT_EQ(S_OK, TYVCAP_InitAVIDecoder(name, &frames, &width, &height, &bits));
  EXPECT_EQ(10, frames);
  EXPECT_EQ(6, width);
  EXPECT_EQ(4, height);
  EXPECT_EQ(24, bits);
  EXPECT_EQ(0, TYVCAP_ExitAVIDecoder());
  SysFreeString(name);
}

}  // namespace
