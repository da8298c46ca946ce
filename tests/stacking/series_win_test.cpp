// The series reader with the program's readers under Wine: an AVI written
// from the synthetic series gives the same frames in the same order as the
// numbered FITS files and the directory of them.
#include <windows.h>

#include <gtest/gtest.h>

#include "avi_fixture.h"
#include "stack_test_host.h"
#include "stacking/win32/win_frame_sources.h"
#include "synthetic_series.h"
#include "tests/app/app_fixture.h"

namespace {

using avifixture::Narrow;

class SeriesWin : public AppTest {};

TEST_F(SeriesWin, VideoNumberedAndDirectorySeriesAgree) {
  synth::SeriesSpec spec;
  spec.width = 96;
  spec.height = 72;
  spec.radius = 24;
  spec.frames = 7;
  spec.maxShift = 8;
  spec.colour = true;
  spec.eightBit = true;   // what a video holds
  const synth::Series series = synth::MakeSeries(spec);
  const avifixture::ScratchFolder folder;
  const std::wstring video = folder / L"saturn.avi";
  ASSERT_TRUE(avifixture::WriteAvi(video, spec.width, spec.height, spec.frames, [&](int f, int x, int y, BYTE* bgr) {
    const size_t i = (size_t(spec.height - 1 - y) * spec.width + x) * 3;
    for (int c = 0; c < 3; ++c) bgr[c] = BYTE(series.frames[size_t(f)].samples[i + c] >> 7);
  }));
  const auto names = synth::WriteNumbered(series, Narrow(folder.path()) + "saturn_", ".fts", 1, 4);
  ASSERT_EQ(7u, names.size());

  stacktest::RecordingHost host;
  WinSeriesServices win(&gProgramState, &host);
  struct Source {
    std::string name;
    int32_t kind;
  } sources[] = {{Narrow(video), kSeriesAvi}, {names[0], kSeriesNumbered}, {names[3], kSeriesDirectory}};
  for (const Source& src : sources) {
    FrameSeries s;
    ASSERT_EQ(1, OpenSeries(&s, src.name.c_str(), src.kind, 1, win.services)) << src.kind;
    EXPECT_EQ(7, s.frameCount);
    EXPECT_EQ(kColourRgb, s.header.colourType);
    for (int32_t i = 0; i < s.frameCount; ++i) {
      FrameBuffer frame;
      char name[kSeriesPathSize];
      FrameReadError error = FrameReadError::kNone;
      const int read = ReadSeriesFrame(&s, s.firstNumber + i, src.kind, &frame, name, 0, &error);
      if (src.kind != kSeriesAvi && i == 4) {   // the file cut short
        EXPECT_EQ(0, read);
        EXPECT_EQ(FrameReadError::kUnreadable, error);
        continue;
      }
      ASSERT_EQ(1, read) << src.kind << " " << i;
      const auto& expected = series.frames[size_t(i)].samples;
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), frame.samples())) << src.kind << " frame " << i;
    }
    CloseSeries(&s);
  }
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
