// Hot-pixel list files: the byte layout, a list learnt, saved, loaded and
// applied, and broken files refused before anything is allocated.
#include "stacking/frame/hot_pixel_file.h"
#include "stacking/frame/hot_pixel_learning.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/imageio/picture_fixtures.h"
#include "tests/imagelib/random_image.h"

namespace {

using pictures::Bytes;

Bytes Hpx(const char magic[4], int32_t count, int32_t w, int32_t h, const std::vector<uint16_t>& entries) {
  Bytes b(magic, magic + 4);
  for (int32_t v : {count, w, h})
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
  for (uint16_t e : entries) {
    b.push_back(uint8_t(e));
    b.push_back(uint8_t(e >> 8));
  }
  return b;
}

TEST(HotPixelFile, LearntListSavedLoadedAndApplied) {
  pictures::ScratchDir dir;
  const ImageHeader h = testimg::Header(40, 30, true);
  testimg::Samples dark = testimg::Random(h, 5, 0, 300);
  dark[(7 * 40 + 9) * 3 + 0] = 9000;    // blue
  dark[(7 * 40 + 9) * 3 + 2] = 9000;    // red
  dark[(20 * 40 + 30) * 3 + 1] = 9000;  // green
  HotPixelList* learnt = nullptr;
  ASSERT_EQ(IMG_OK, FindHotPixels(dark.data(), &h, 5000, 5000, 5000, &learnt));
  ASSERT_EQ(3, learnt->count);
  const std::string name = dir / "kamera.HPX";
  ASSERT_EQ(1, WriteHotPixelFile(name.c_str(), learnt));
  // The file is the list byte for byte: head, then blue before red in row 7.
  const Bytes expected = Hpx("HPX", 3, 40, 30, {3, 9, 7, 0, 1, 9, 7, 0, 2, 30, 20, 0});
  EXPECT_EQ(expected, pictures::ReadBytes(name));
  EXPECT_FALSE(std::filesystem::exists(name + ".part"));

  HotPixelFileList read;
  HpxError error = HpxError::kOpen;
  ASSERT_EQ(1, ReadHotPixelFile(name.c_str(), &read, &error));
  EXPECT_EQ(HpxError::kNone, error);
  EXPECT_EQ(3, read.count);
  EXPECT_EQ(40, read.width);
  EXPECT_EQ(30, read.height);
  testimg::Samples frame = testimg::Random(h, 6, 1000, 2000), reference = frame;
  RepairHotPixels(&h, frame.data(), frame.data(), reinterpret_cast<const HotPixelEntry*>(read.entries), read.count);
  RepairHotPixels(&h, reference.data(), reference.data(), HotPixelEntries(learnt), learnt->count);
  EXPECT_EQ(reference, frame);
  EXPECT_NE(testimg::Random(h, 6, 1000, 2000), frame);
  FreeMem(&read.entries);
  FreeMem(&learnt);
}

TEST(HotPixelFile, BrokenFilesAreRefused) {
  pictures::ScratchDir dir;
  const std::vector<uint16_t> one = {0, 3, 3, 0};
  Bytes shortHead = Hpx("HPX", 1, 8, 8, one);
  shortHead.resize(12);
  Bytes cutEntry = Hpx("HPX", 1, 8, 8, one);
  cutEntry.pop_back();
  struct Case {
    const char* what;
    Bytes bytes;
    HpxError error;
  } cases[] = {
      {"empty", {}, HpxError::kNotHpx},
      {"short head", shortHead, HpxError::kNotHpx},
      {"other magic", Hpx("HPY", 1, 8, 8, one), HpxError::kNotHpx},
      {"magic without its zero", Hpx("HPXX", 1, 8, 8, one), HpxError::kNotHpx},
      {"lying count", Hpx("HPX", 5, 8, 8, one), HpxError::kNotHpx},
      {"cut entry", cutEntry, HpxError::kNotHpx},
      {"huge count", Hpx("HPX", 0x7fffffff, 8, 8, one), HpxError::kNotHpx},
      {"negative count", Hpx("HPX", -1, 8, 8, one), HpxError::kNotHpx},
      {"more entries than samples", Hpx("HPX", 4, 1, 1, std::vector<uint16_t>(16, 0)), HpxError::kNotHpx},
      {"no frame size", Hpx("HPX", 0, 0, 8, {}), HpxError::kNotHpx},
  };
  for (const Case& c : cases) {
    const std::string name = dir / "broken.hpx";
    pictures::WriteBytes(name, c.bytes);
    HotPixelFileList list;
    HpxError error = HpxError::kNone;
    EXPECT_EQ(0, ReadHotPixelFile(name.c_str(), &list, &error)) << c.what;
    EXPECT_EQ(c.error, error) << c.what;
    EXPECT_EQ(nullptr, list.entries) << c.what;
    EXPECT_STREQ("Datei ist keine Hotpixelliste !", HotPixelFileMessage(error)) << c.what;
  }
  HotPixelFileList list;
  HpxError error = HpxError::kNone;
  EXPECT_EQ(0, ReadHotPixelFile((dir / "missing.hpx").c_str(), &list, &error));
  EXPECT_STREQ("Datei ist nicht zu öffnen !", HotPixelFileMessage(error));
}

TEST(HotPixelFile, UnwritableNameLeavesNothing) {
  pictures::ScratchDir dir;
  HotPixelList head = {{'H', 'P', 'X', 0}, 0, 8, 8};
  const std::string name = (dir.path() / "missing_dir" / "list.hpx").string();
  EXPECT_EQ(0, WriteHotPixelFile(name.c_str(), &head));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  // An empty list is a file of its head alone.
  ASSERT_EQ(1, WriteHotPixelFile((dir / "empty.hpx").c_str(), &head));
  EXPECT_EQ(Hpx("HPX", 0, 8, 8, {}), pictures::ReadBytes(dir / "empty.hpx"));
}

// A dark picture whose background peaks at 100: threshold 100 + 32667 / 4.
TEST(HotPixelLearning, ThresholdsFromTheBackgroundPeak) {
  for (bool colour : {false, true}) {
    const ImageHeader h = testimg::Header(64, 48, colour);
    testimg::Samples px = testimg::Random(h, 8, 90, 110);
    const size_t spp = colour ? 3 : 1;
    for (size_t i = 0; i < px.size(); ++i)
      if (i / spp % 3 == 0) px[i] = 100;   // the most frequent level, in every channel
    px[(24 * 64 + 32) * (colour ? 3 : 1)] = 30000;
    int32_t t[3] = {-1, -1, -1};
    ASSERT_EQ(1, AutomaticHotPixelThresholds(px.data(), &h, t));
    EXPECT_EQ(8266, t[0]);
    EXPECT_EQ(colour ? 8266 : -1, t[1]);
    EXPECT_EQ(colour ? 8266 : -1, t[2]);
    // 8266 is not listed, 8267 is.
    px[(10 * 64 + 10) * (colour ? 3 : 1)] = 8266;
    px[(11 * 64 + 10) * (colour ? 3 : 1)] = 8267;
    HotPixelList* list = nullptr;
    ASSERT_EQ(IMG_OK, FindHotPixels(px.data(), &h, t[0], t[1], t[2], &list));
    ASSERT_EQ(2, list->count);
    EXPECT_EQ(11, HotPixelEntries(list)[0][2]);
    FreeMem(&list);
  }
}

TEST(HotPixelLearning, PreviewReductionIsHeldTo1To32) {
  EXPECT_EQ(1, PreviewReduction(300, 400));
  EXPECT_EQ(3, PreviewReduction(1280, 400));
  EXPECT_EQ(32, PreviewReduction(20000, 400));
  EXPECT_EQ(32, PreviewReduction(640, 0));
}

}  // namespace
