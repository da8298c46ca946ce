// The global state as the picture tests need it: saved when a test starts,
// put back when it ends, with display and [PicSave] settings that make the
// display-mapped formats store levels exactly.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "rastcodec/codecs.h"
#include "shell/program_state.h"

class PictureStateTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::make_unique<ProgramState>();
    std::memcpy(saved_.get(), &gProgramState, sizeof gProgramState);
    ProgramState& ps = gProgramState;
    ps.Palettetype = 0;
    ps.Colorstep = 256;
    ps.IsIsophots = 0;
    ps.Logscale = 0;
    ps.ScreenBitsPerPixel = 32;
    ps.Scalefactor = 1.0;
    ps.Gif = GifOptions{rastcodec::kConverterVersion, 89, 1, 0, 1};
    ps.Jpeg = JpegOptions{rastcodec::kConverterVersion, 100, 0};
    ps.Pcx = PcxOptions{rastcodec::kConverterVersion, 5, rastcodec::kConverterVersion, 1};
    ps.Tiff = TiffOptions{rastcodec::kConverterVersion, 8, 5, 1024, 8};
    ps.PngBitsPerPixel = 16;
    ps.PngGrayscale = 0;
    ps.FITSColorOrg = 0;
    ps.FITSFrameOrg = 0;
    ps.AviFrameIndex = 0;
    ps.AviFrameCount = 0;
  }
  void TearDown() override { std::memcpy(&gProgramState, saved_.get(), sizeof gProgramState); }

 private:
  std::unique_ptr<ProgramState> saved_;
};
