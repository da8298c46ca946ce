// Recordings that standard tools check afterwards, outside Wine
// (check_capture_files.py): they stay in "capture_out" in the test's folder,
// or on the small disk that capture_small_disk.sh mounts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "imageio/capture/capture_ids.h"
#include "tests/imageio/capture/capture_fixture.h"
#include "testcam.h"

namespace {

// A folder of the working directory, emptied.
std::string FreshFolder(const char* name) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  const std::string out = std::string(cwd) + "\\capture_out";
  CreateDirectoryA(out.c_str(), nullptr);
  const std::string dir = out + "\\" + name + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return dir;
}

int FilesLike(const std::string& pattern) {
  int count = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do ++count;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

using CaptureRecordingTest = CaptureTest;

TEST_F(CaptureRecordingTest, TimedSequencesWithTheTimeStamp) {
  UseFolder(FreshFolder("sequences"));
  ProgramState& ps = gProgramState;
  ps.Grabbtimer = 2;
  ps.Intervall = 1000;
  ps.Framecount = 10;
  ps.Groupcount = 3;
  ps.GrabbTimeMarker = 1;
  EXPECT_EQ(1, Record("Fertig !", 30000));
  EXPECT_EQ(3, FilesLike(Dir() + "*.avi"));
  for (const char* name : {"video000.avi", "video001.avi", "video002.avi"}) {
    const RecordedVideo v = ReadRecordedVideo(File(name));
    EXPECT_GE(v.numbers.size(), 10u) << name;
    EXPECT_TRUE(Consecutive(v.numbers)) << name;
  }
}

TEST_F(CaptureRecordingTest, BmpSeriesOfOddWidth) {
  UseFolder(FreshFolder("bmp"));
  AskCameraSize(testcam::kOddWidth, testcam::kOddHeight);
  gProgramState.GrabbAVIs = 0;
  gProgramState.Framecount = 3;
  EXPECT_EQ(1, Record("Fertig !"));
  EXPECT_EQ(3, FilesLike(Dir() + "*.bmp"));
}

// Run by capture_small_disk.sh with a small disk mounted: the recording
// ends by itself before the disk is full.
TEST_F(CaptureRecordingTest, EndlessOnASmallDiskStopsByItself) {
  const char* disk = std::getenv("TYVORN_SMALL_DISK");
  if (!disk || !*disk) GTEST_SKIP() << "no small disk given";
  std::string dir = std::string("Z:") + disk + "\\";
  for (char& c : dir)
    if (c == '/') c = '\\';
  UseFolder(dir);
  DeleteFileA(File("video.avi").c_str());
  gProgramState.Grabbendless = 1;
  gProgramState.Grabb2GBLimit = 0;
  gProgramState.GrabbTimeMarker = 1;
  EXPECT_EQ(1, Record("Aufnahme abgebrochen !", 90000));
  const RecordedVideo v = ReadRecordedVideo(File("video.avi"));
  EXPECT_GE(v.numbers.size(), 10u);
  EXPECT_TRUE(Consecutive(v.numbers));
}

}  // namespace
