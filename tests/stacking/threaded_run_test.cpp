// The threaded walk and the threaded run natively: every item exactly once
// whether the workers read or are fed, a failure and an abort that leave no
// thread behind, frames that arrive late, and a long run of small frames
// (under the sanitizers) that gives the single run's result bit for bit.
#include "stacking/run/frame_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "imagelib/centroid.h"
#include "stack_test_host.h"
#include "stacking/run/stacking_run.h"
#include "synthetic_series.h"
#include "tests/imageio/picture_fixtures.h"

namespace {

namespace fs = std::filesystem;
using stacktest::FileBytes;
using stacktest::InDirectory;
using stacktest::NativeHost;

// Threads of this process where the system lists them (0 elsewhere).
int ThreadCount() {
  std::error_code ec;
  int n = 0;
  for (fs::directory_iterator t("/proc/self/task", ec), end; !ec && t != end; t.increment(ec)) ++n;
  return n;
}

// A pass that counts how often each item is read and worked, on which
// thread it was read, and fails or stalls where it is told to.
class CountingPass : public FramePass {
 public:
  CountingPass(int32_t count, bool anyThread) : reads(size_t(count)), works(size_t(count)), anyThread_(anyThread) {}
  void StepText(int32_t k, char* text, size_t capacity) override { std::snprintf(text, capacity, "item %d", int(k)); }
  bool ReadsOnAnyThread() const override { return anyThread_; }
  ItemResult Read(int32_t k, WalkWorkspace* ws) override {
    ++reads[size_t(k)];
    if (std::this_thread::get_id() != caller) ++readElsewhere;
    ImageHeader h;
    InitImageHeader(&h);
    h.width = 4;
    h.height = 2;
    if (!ws->frame.Reserve(&h)) return ItemResult::kFailed;
    ws->frame.samples()[0] = int16_t(k);
    std::snprintf(ws->currentName, sizeof ws->currentName, "frame %d", int(k));
    return k == skipAt ? ItemResult::kSkipped : ItemResult::kDone;
  }
  ItemResult Work(int32_t k, WalkWorkspace* ws) override {
    // The frame and name handed over belong to this item.
    char name[32];
    std::snprintf(name, sizeof name, "frame %d", int(k));
    if (ws->frame.samples()[0] != int16_t(k) || std::strcmp(ws->currentName, name) != 0) ++mixedUp;
    if (k % 97 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ++works[size_t(k)];
    return k == failAt ? ItemResult::kFailed : ItemResult::kDone;
  }
  std::vector<std::atomic<int>> reads, works;
  std::atomic<int> readElsewhere{0}, mixedUp{0};
  std::thread::id caller = std::this_thread::get_id();
  int32_t skipAt = -1, failAt = -1;

 private:
  bool anyThread_;
};

TEST(PoolExecutor, EveryItemOnceWhetherWorkersReadOrAreFed) {
  const int before = ThreadCount();
  for (bool anyThread : {true, false}) {
    for (int32_t workers : {1, 3, 8}) {
      SCOPED_TRACE(testing::Message() << (anyThread ? "workers read" : "fed") << ", " << workers << " workers");
      StdWorkerThreads threads;
      PoolExecutor pool(workers, &threads);
      CountingPass pass(3000, anyThread);
      pass.skipAt = 17;
      ASSERT_EQ(WalkResult::kCompleted, pool.Run(&pass, 0, 3000, nullptr));
      for (int32_t k = 0; k < 3000; ++k) {
        ASSERT_EQ(1, pass.reads[size_t(k)].load()) << k;
        ASSERT_EQ(k == 17 ? 0 : 1, pass.works[size_t(k)].load()) << k;
      }
      EXPECT_EQ(0, pass.mixedUp.load());
      // A fed walk reads on the calling thread only (the video's thread).
      if (!anyThread) {
        EXPECT_EQ(0, pass.readElsewhere.load());
      }
      // Part of a range, as a run's first frame is walked alone.
      CountingPass part(10, anyThread);
      ASSERT_EQ(WalkResult::kCompleted, pool.Run(&part, 3, 4, nullptr));
      for (int32_t k = 0; k < 10; ++k) EXPECT_EQ(k == 3 ? 1 : 0, part.works[size_t(k)].load()) << k;
      EXPECT_EQ(before, ThreadCount());
    }
  }
}

TEST(PoolExecutor, FailureAndAbortStopTheWalkAndEveryThread) {
  const int before = ThreadCount();
  for (bool anyThread : {true, false}) {
    StdWorkerThreads threads;
    PoolExecutor pool(4, &threads);
    CountingPass failing(5000, anyThread);
    failing.failAt = 40;
    EXPECT_EQ(WalkResult::kFailed, pool.Run(&failing, 0, 5000, nullptr));
    EXPECT_EQ(before, ThreadCount());
    EXPECT_EQ(0, failing.works[4999].load());

    NativeHost host;
    host.abortAfter = 3;
    CountingPass aborted(5000, anyThread);
    EXPECT_EQ(WalkResult::kAborted, pool.Run(&aborted, 0, 5000, &host));
    EXPECT_EQ(before, ThreadCount());
    int worked = 0;
    for (const auto& w : aborted.works) {
      EXPECT_LE(w.load(), 1);
      worked += w.load();
    }
    EXPECT_LT(worked, 5000);
  }
}

// Loads pictures late: frame 0 longest, then every fifth, so that the
// workers finish frames out of order.
class LateLoader : public NativePictureLoader {
 public:
  explicit LateLoader(std::string first) : first_(std::move(first)) {}
  int Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) override {
    const std::string name = fileName;
    if (name == first_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    } else if (name.size() > 5 && (name[name.size() - 5] - '0') % 5 == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return NativePictureLoader::Load(fileName, frame, header);
  }

 private:
  std::string first_;
};

class ThreadedRunTest : public testing::Test {
 protected:
  void Write(const synth::SeriesSpec& spec, const char* extension, int32_t truncated) {
    series_ = synth::MakeSeries(spec);
    names_ = synth::WriteNumbered(series_, dir_ / "sat_", extension, 0, truncated);
    ASSERT_EQ(size_t(spec.frames), names_.size());
    fs::create_directories(dir_.path() / "program");
  }
  // One run; workers 0 is the single run.
  int Run(int32_t workers, PictureLoader* loader) {
    std::snprintf(seriesName_, sizeof seriesName_, "%s", names_[0].c_str());
    StackSettings s = settings_;
    StdWorkerThreads threads;
    PoolExecutor pool(workers, &threads);
    StackRunInputs in;
    in.settings = &s;
    in.seriesName = seriesName_;
    const std::string program = (dir_.path() / "program").string();
    in.programDirectory = program.c_str();
    in.services.pictures = loader;
    in.services.host = &host_;
    in.executor = workers > 0 ? &pool : nullptr;
    FreeMem(&result_.samples);
    InDirectory here(dir_.path());
    return RunStacking(in, &result_);
  }
  std::vector<int16_t> Result() const {
    return result_.samples ? std::vector<int16_t>(result_.samples, result_.samples + PictureSamples(&result_.header))
                           : std::vector<int16_t>();
  }
  void TearDown() override { FreeMem(&result_.samples); }

  pictures::ScratchDir dir_;
  synth::Series series_;
  std::vector<std::string> names_;
  StackSettings settings_;
  NativeHost host_;
  char seriesName_[kSeriesPathSize] = "";
  StackRunResult result_;
};

TEST_F(ThreadedRunTest, LateFramesDoNotChangeTheResult) {
  synth::SeriesSpec spec;
  spec.frames = 16;
  settings_.Addpicsource = kSeriesNumbered;
  settings_.FitMethod = kFitDisc;
  settings_.Checkmix = 0.5;
  settings_.CheckSelection = 0.5;
  // PNG is read by the workers themselves, FITS by the calling thread.
  for (const char* extension : {".png", ".fts"}) {
    SCOPED_TRACE(extension);
    Write(spec, extension, 6);
    NativePictureLoader plain;
    ASSERT_EQ(1, Run(0, &plain));
    const std::vector<int16_t> single = Result();
    const std::vector<uint8_t> records = FileBytes(dir_.path() / "program" / "recenter.tmp");
    ASSERT_FALSE(single.empty());
    LateLoader late(names_[0]);
    host_ = NativeHost();
    ASSERT_EQ(1, Run(8, &late));
    EXPECT_TRUE(single == Result());
    EXPECT_TRUE(records == FileBytes(dir_.path() / "program" / "recenter.tmp"));
    // The note names the cut frame, as the single run's does.
    ASSERT_EQ(1u, host_.boxes.size());
    EXPECT_EQ("Bild " + names_[6] + "\nnicht ladbar !", host_.boxes[0].text);
  }
}

// Frame 0 opens the series, then cannot be read again.
class FirstFrameOnceLoader : public NativePictureLoader {
 public:
  explicit FirstFrameOnceLoader(std::string first) : first_(std::move(first)) {}
  int Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) override {
    if (first_ == fileName && loads_++ > 0) return 0;
    return NativePictureLoader::Load(fileName, frame, header);
  }

 private:
  std::string first_;
  std::atomic<int> loads_{0};
};

TEST_F(ThreadedRunTest, FirstFrameUnreadableTheNextOneSetsTheReference) {
  synth::SeriesSpec spec;
  spec.frames = 10;
  settings_.Addpicsource = kSeriesNumbered;
  settings_.FitMethod = kFitDisc;
  settings_.CheckMethod = 0;   // every frame added while it is centred
  Write(spec, ".png", -1);
  FirstFrameOnceLoader once(names_[0]);
  ASSERT_EQ(1, Run(0, &once));
  const std::vector<int16_t> single = Result();
  ASSERT_FALSE(single.empty());
  ASSERT_EQ(1u, host_.boxes.size());
  EXPECT_EQ("Bild " + names_[0] + "\nnicht ladbar !", host_.boxes[0].text);
  // The disc sits where frame 1 had it (found within the blur of frame 1).
  int32_t centre[4];
  double found;
  const ImageHeader& h = series_.header;
  const ImageRect inner = {20, 20, h.width - 40, h.height - 40};
  ASSERT_EQ(IMG_OK, FindObjectCentre(&inner, &h, single.data(), centre, &found));
  EXPECT_NEAR(h.width / 2 + series_.frames[1].dx, centre[0], 3);
  EXPECT_NEAR(h.height / 2 + series_.frames[1].dy, centre[1], 3);
  host_ = NativeHost();
  FirstFrameOnceLoader again(names_[0]);
  ASSERT_EQ(1, Run(8, &again));
  EXPECT_TRUE(single == Result());
}

TEST_F(ThreadedRunTest, AbortLeavesNoThreadNoResultAndNoFiles) {
  synth::SeriesSpec spec;
  spec.frames = 24;
  settings_.Addpicsource = kSeriesNumbered;
  settings_.FitMethod = kFitDisc;
  settings_.Checkmix = 0.5;
  Write(spec, ".png", -1);
  NativePictureLoader loader;
  const int before = ThreadCount();
  for (const char* step : {"von Bild 2 (", "Vergleiche Bild 1 (", "Addiere Bild 1 ("}) {
    SCOPED_TRACE(step);
    host_ = NativeHost();
    host_.abortAtStep = step;
    EXPECT_EQ(1, Run(4, &loader));
    EXPECT_EQ(nullptr, result_.samples);
    EXPECT_EQ(before, ThreadCount());
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(std::string::npos, name.find(".part")) << name;
      EXPECT_NE("resultcopy.fts", name);
    }
  }
}

// Many small frames, so that the workers hand frames over and add into the
// sum as often as they can; run under the sanitizers.
TEST_F(ThreadedRunTest, ManySmallFramesGiveTheSingleResult) {
  synth::SeriesSpec spec;
  spec.width = 64;
  spec.height = 48;
  spec.radius = 12;
  spec.maxShift = 4;
  spec.frames = 240;
  spec.blurScale = 0.2;
  settings_.Addpicsource = kSeriesNumbered;
  settings_.FitMethod = kFitBrightness;
  settings_.Checkmix = 0.5;
  settings_.CheckSelection = 0.3;
  for (const char* extension : {".bmp", ".fts"}) {
    SCOPED_TRACE(extension);
    spec.eightBit = std::strcmp(extension, ".bmp") == 0;
    Write(spec, extension, 100);
    NativePictureLoader loader;
    ASSERT_EQ(1, Run(0, &loader));
    const std::vector<int16_t> single = Result();
    const std::vector<uint8_t> records = FileBytes(dir_.path() / "program" / "recenter.tmp");
    ASSERT_FALSE(single.empty());
    for (int32_t workers : {2, 8}) {
      host_ = NativeHost();
      ASSERT_EQ(1, Run(workers, &loader)) << workers;
      EXPECT_TRUE(single == Result()) << workers;
      EXPECT_TRUE(records == FileBytes(dir_.path() / "program" / "recenter.tmp")) << workers;
    }
  }
}

}  // namespace
