// What the tests of the stacking dialogs share: the program's windows, the
// settings of a plain run, a small series of a shifted disc on disk and the
// means a test compares the target buffer with.
#pragma once

#include <string>
#include <vector>

#include "shell/program_state.h"
#include "synthetic_series.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"

class StackDialogTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // frames pictures of width x height, written as prefix000.ext .. in the
  // scratch folder; the name of the first.
  std::string WriteSeries(int frames, const char* extension, int width = 64, int height = 48,
                          const char* prefix = "disc_");
  // The per-pixel mean of the given frames of the last series (rounded down).
  std::vector<int16_t> MeanOf(const std::vector<int>& frames) const;
  static std::vector<int16_t> BufferSamples(int buffer);
  static std::string IniValue(const char* key);
  // Largest difference of two sample lists of one size (-1 when the sizes differ).
  static int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b);

  pictures::ScratchDir dir_;
  synth::Series series_;
  int savedWorkerLimit_ = 1;
};
