// Capture with the test camera: enumeration, live picture and frame getters,
// recording, file change, stopping and closing, and the window's minimising.
#include <windows.h>
#include <vfwmsgs.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "avi_fixture.h"
#include "stamp.h"
#include "testcam.h"
#include "tyvcap.h"

namespace {

using avifixture::DecodeAll;
using avifixture::Narrow;
using avifixture::ScratchFolder;

HWND g_parent;

class Camera : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(testcam::Register());
    g_parent = CreateWindowExA(0, "STATIC", "Aufnahme", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_EQ(1, TYVCAP_OpenDisplayWnd(g_parent, 0, 0, 320, 240));
  }
  static void TearDownTestSuite() {
    TYVCAP_CloseCapture();
    DestroyWindow(g_parent);
    testcam::Unregister();
  }
  void TearDown() override {
    TYVCAP_CloseCapture();
    TYVCAP_SetTimemarker(0);
  }

  HRESULT Start() { return TYVCAP_InitCapture(testcam::kFriendlyName, Narrow(folder_.substr(0, folder_.size() - 1)).c_str()); }
  std::string IniPath() const { return Narrow(folder_) + "tyvcap.ini"; }
  std::string Section() const { return Narrow(testcam::kFriendlyName); }

  // Polls the recording like the capture dialog until `frames` more samples passed the grabber.
  int WaitForCallbacks(int frames) {
    int start = Callbacks();
    const DWORD t0 = GetTickCount();
    while (Callbacks() < start + frames && GetTickCount() - t0 < 5000) Sleep(10);
    return Callbacks();
  }
  static int Callbacks() {
    int captured, dropped, callbacks, fresh;
    DWORD elapsed;
    TYVCAP_GetCaptureState(&captured, &dropped, &elapsed, &callbacks, &fresh);
    return callbacks;
  }

  // Settings file and recordings of one test.
  const ScratchFolder scratch_;
  const std::wstring& folder_ = scratch_.path();
};

// Frame numbers of a decoded video, checking each frame's picture is whole.
std::vector<int> FrameNumbers(const avifixture::Video& v) {
  std::vector<int> numbers;
  for (const auto& f : v.frames) {
    const int number = f[0];
    for (int y = 0; y < v.height; ++y)
      for (int x = 0; x < v.width; ++x) {
        const BYTE* p = &f[(static_cast<size_t>(y) * v.width + x) * 3];
        EXPECT_TRUE(p[0] == number && p[1] == (x & 255) && p[2] == (y & 255))
            << "frame " << number << " pixel " << x << ", " << y << ": " << int(p[0]) << " " << int(p[1]) << " "
            << int(p[2]);
        if (testing::Test::HasFailure()) return numbers;
      }
    numbers.push_back(number);
  }
  return numbers;
}

void ExpectConsecutive(const std::vector<int>& numbers) {
  for (size_t i = 1; i < numbers.size(); ++i)
    ASSERT_EQ((numbers[i - 1] + 1) & 255, numbers[i]) << "after frame " << i - 1;
}

TEST_F(Camera, EnumerationListsTheCameraAndCutsNamesToTheRows) {
  wchar_t** table = nullptr;
  ASSERT_EQ(1, TYVCAP_AllocWcharArray(&table, 20, 84));
  EXPECT_EQ(1, TYVCAP_EnumCaptureDevices(table));
  EXPECT_STREQ(testcam::kFriendlyName, table[0]);
  EXPECT_EQ(0, table[1][0]);
  TYVCAP_FreeWcharArray(table);

  ASSERT_EQ(1, TYVCAP_AllocWcharArray(&table, 2, 8));
  std::fill(table[1], table[1] + 8, L'#');
  EXPECT_EQ(1, TYVCAP_EnumCaptureDevices(table));
  EXPECT_EQ(std::wstring(testcam::kFriendlyName).substr(0, 7), table[0]);
  EXPECT_EQ(L'#', table[1][0]);
  TYVCAP_FreeWcharArray(table);
}

TEST_F(Camera, LiveFramesReachTheGettersInOrder) {
  ASSERT_EQ(S_OK, Start());
  int width, height, bits;
  TYVCAP_GetVideoInfo(&width, &height, &bits);
  // No size in "tyvcap.ini": asked for 1 x 1, the camera keeps its own.
  EXPECT_EQ(testcam::kNativeWidth, width);
  EXPECT_EQ(testcam::kNativeHeight, height);
  EXPECT_EQ(24, bits);

  const size_t pixels = static_cast<size_t>(width) * height;
  std::vector<BYTE> frame(pixels * 3 + 1078, 0xA5);
  ASSERT_EQ(1, TYVCAP_GetFrame(frame.data()));
  avifixture::Video v{width, height, {std::vector<BYTE>(frame.begin(), frame.begin() + pixels * 3)}};
  const int first = FrameNumbers(v).at(0);
  EXPECT_EQ(0xA5, frame[pixels * 3]);
  ASSERT_EQ(1, TYVCAP_GetFrame(frame.data()));
  EXPECT_NE(first, frame[0]) << "the second call waits for a newer frame";

  BYTE* pointer = nullptr;
  int length = 0;
  ASSERT_EQ(1, TYVCAP_GetFramePointer(&pointer, &length));
  EXPECT_EQ(static_cast<int>(pixels * 3), length);
  EXPECT_EQ(pointer[0], pointer[3 * 5]);   // blue is the frame number everywhere
  EXPECT_EQ(5, pointer[3 * 5 + 1]);

  std::vector<short> samples(pixels * 3);
  ASSERT_EQ(1, TYVCAP_GetStandardFrame(samples.data()));
  EXPECT_EQ(7 << 7, samples[3 * 7 + 1]);
  EXPECT_EQ(2 << 7, samples[3 * width * 2 + 2]);
}

TEST_F(Camera, ChannelGettersGiveOneBytePerPixel) {
  ASSERT_EQ(S_OK, Start());
  const int w = testcam::kNativeWidth, h = testcam::kNativeHeight;
  std::vector<BYTE> channel(static_cast<size_t>(w) * h + 16, 0xA5);
  // Pixel (x, y) of a camera frame: blue = frame number, green = x, red = y.
  ASSERT_EQ(1, TYVCAP_GetFrameChannel(channel.data(), 1));
  EXPECT_EQ(0, channel[0]);
  EXPECT_EQ(119, channel[static_cast<size_t>(w) * 119 + 3]);
  EXPECT_EQ(0xA5, channel[static_cast<size_t>(w) * h]);
  ASSERT_EQ(1, TYVCAP_GetFrameChannel(channel.data(), 2));
  EXPECT_EQ(159, channel[159]);
  EXPECT_EQ(37, channel[static_cast<size_t>(w) * 50 + 37]);
  ASSERT_EQ(1, TYVCAP_GetFrameChannel(channel.data(), 3));
  const int number = channel[0];
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) ASSERT_EQ(number, channel[i]);
  // Mixed channels of pixel (60, 100), whatever the frame number: within its bounds.
  const size_t at = static_cast<size_t>(w) * 100 + 60;
  ASSERT_EQ(1, TYVCAP_GetFrameChannel(channel.data(), 4));
  EXPECT_GE(channel[at], (2 * 60 + 100) / 4);
  EXPECT_LE(channel[at], (255 + 2 * 60 + 100) / 4);
  ASSERT_EQ(1, TYVCAP_GetFrameChannel(channel.data(), 0));
  EXPECT_GE(channel[at], static_cast<int>(0.299 * 100 + 0.587 * 60));
  EXPECT_LE(channel[at], static_cast<int>(0.299 * 100 + 0.587 * 60 + 0.114 * 255) + 1);

  std::fill(channel.begin(), channel.end(), 0x5A);
  EXPECT_EQ(1, TYVCAP_GetFrameChannel(channel.data(), 9));   // consumed, nothing written
  EXPECT_EQ(0x5A, channel[0]);
  EXPECT_EQ(0, TYVCAP_GetFrameChannel(nullptr, 1));
}

TEST_F(Camera, SizeFromTheSettingsFileWhenTheCameraAcceptsIt) {
  const struct {
    const char* x;
    const char* y;
    int width, height;
  } cases[] = {{"161", "90", testcam::kOddWidth, testcam::kOddHeight},
               {"161 Pixel", "90", testcam::kOddWidth, testcam::kOddHeight},
               {"640", "480", testcam::kNativeWidth, testcam::kNativeHeight}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << " x " << c.y);
    WritePrivateProfileStringA(Section().c_str(), "XSize", c.x, IniPath().c_str());
    WritePrivateProfileStringA(Section().c_str(), "YSize", c.y, IniPath().c_str());
    ASSERT_EQ(S_OK, Start());
    int width, height, bits;
    TYVCAP_GetVideoInfo(&width, &height, &bits);
    EXPECT_EQ(c.width, width);
    EXPECT_EQ(c.height, height);
    // Rows arrive padded; the caller gets width x 3 bytes per row and not a byte more.
    const size_t bytes = static_cast<size_t>(width) * height * 3;
    std::vector<BYTE> frame(bytes + 64, 0xA5);
    ASSERT_EQ(1, TYVCAP_GetFrame(frame.data()));
    const BYTE* last = &frame[bytes - 3];
    EXPECT_EQ(width - 1, last[1]);
    EXPECT_EQ(height - 1, last[2]);
    EXPECT_EQ(0xA5, frame[bytes]);
    TYVCAP_CloseCapture();
  }
}

TEST_F(Camera, FormatSetupKeepsTheCurrentSizeInTheSettingsFile) {
  WritePrivateProfileStringA(Section().c_str(), "XSize", "161", IniPath().c_str());
  WritePrivateProfileStringA(Section().c_str(), "YSize", "90", IniPath().c_str());
  ASSERT_EQ(S_OK, Start());
  WritePrivateProfileStringA(Section().c_str(), nullptr, nullptr, IniPath().c_str());
  EXPECT_EQ(S_OK, TYVCAP_SetupVideoformat(g_parent, testcam::kFriendlyName));
  EXPECT_EQ(161u, GetPrivateProfileIntA(Section().c_str(), "XSize", 0, IniPath().c_str()));
  EXPECT_EQ(90u, GetPrivateProfileIntA(Section().c_str(), "YSize", 0, IniPath().c_str()));
  std::vector<BYTE> frame(161 * 90 * 3);
  EXPECT_EQ(1, TYVCAP_GetFrame(frame.data())) << "the live picture runs again";
  // The camera has no crossbar and no property pages of its own.
  EXPECT_EQ(0, TYVCAP_IsCrossbar());
  EXPECT_TRUE(FAILED(TYVCAP_SetupCrossbar(g_parent, testcam::kFriendlyName)));
  EXPECT_TRUE(FAILED(TYVCAP_SetupVideoquali(g_parent, testcam::kFriendlyName)));
  EXPECT_EQ(1, TYVCAP_GetFrame(frame.data())) << "the live picture keeps running";
}

TEST_F(Camera, RecordingWritesEveryGrabbedFrameInOrder) {
  ASSERT_EQ(S_OK, Start());
  const std::wstring file = folder_ + L"jupiter.avi";
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, file.c_str()));
  // The capture pin's count may trail the grabber's callbacks by a frame under load.
  int captured = 0, dropped, callbacks, fresh;
  DWORD elapsed;
  for (const DWORD t0 = GetTickCount(); captured < 12 && GetTickCount() - t0 < 5000; Sleep(10))
    TYVCAP_GetCaptureState(&captured, &dropped, &elapsed, &callbacks, &fresh);
  EXPECT_GE(captured, 12);
  EXPECT_EQ(0, dropped);
  EXPECT_GT(elapsed, 0u);
  std::vector<BYTE> frame(testcam::kNativeWidth * testcam::kNativeHeight * 3);
  ASSERT_EQ(1, TYVCAP_GetFrame(frame.data()));
  const int grabbed = frame[0];
  ASSERT_EQ(S_OK, TYVCAP_StopCapture());
  // The camera counts what its capture pin delivered, which only the recording uses.
  TYVCAP_GetCaptureState(&captured, &dropped, &elapsed, &callbacks, &fresh);
  ASSERT_EQ(1, TYVCAP_GetFrame(frame.data())) << "the live picture is back";

  const auto video = DecodeAll(file);
  EXPECT_EQ(testcam::kNativeWidth, video.width);
  EXPECT_EQ(testcam::kNativeHeight, video.height);
  const auto numbers = FrameNumbers(video);
  ASSERT_GE(numbers.size(), 12u);
  EXPECT_EQ(static_cast<size_t>(captured), numbers.size()) << "every delivered frame is in the file";
  ExpectConsecutive(numbers);
  EXPECT_NE(numbers.end(), std::find(numbers.begin(), numbers.end(), grabbed))
      << "the getter's frame is one of the file's";
}

TEST_F(Camera, WithoutFrameCountsOfTheCameraCapturedFramesFollowTheClock) {
  testcam::CountFrames(false);
  ASSERT_EQ(S_OK, Start());
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, (folder_ + L"uhr.avi").c_str()));
  WaitForCallbacks(5);
  int captured, dropped, callbacks, fresh;
  DWORD elapsed;
  TYVCAP_GetCaptureState(&captured, &dropped, &elapsed, &callbacks, &fresh);
  EXPECT_EQ(0, dropped);
  EXPECT_EQ(static_cast<int>(elapsed * 50 / 1000.0 + 0.5), captured) << elapsed << " ms at 50 frames per second";
  EXPECT_EQ(S_OK, TYVCAP_StopCapture());
  testcam::CountFrames(true);
}

TEST_F(Camera, FileChangeContinuesTheRecordingInNumberedParts) {
  ASSERT_EQ(S_OK, Start());
  const std::wstring base = folder_ + L"mond";
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, (base + L".avi").c_str()));
  int before = WaitForCallbacks(5);
  // The capture dialog watches the size of the file being written this way.
  HANDLE watched = CreateFileW((base + L".avi").c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, watched) << "error " << GetLastError();
  LARGE_INTEGER size = {};
  EXPECT_TRUE(GetFileSizeEx(watched, &size));
  EXPECT_GT(size.QuadPart, 0);
  CloseHandle(watched);
  for (int part = 1; part <= 2; ++part) {
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls_%03d.avi", base.c_str(), part);
    ASSERT_EQ(S_OK, TYVCAP_RenameCapVideo(name));
    const int after = WaitForCallbacks(5);
    EXPECT_GT(after, before) << "the callback count runs on across files";
    before = after;
  }
  ASSERT_EQ(S_OK, TYVCAP_StopCapture());

  int last = -1;
  for (const std::wstring& part : {base + L".avi", base + L"_001.avi", base + L"_002.avi"}) {
    SCOPED_TRACE(Narrow(part));
    const auto numbers = FrameNumbers(DecodeAll(part));
    ASSERT_GE(numbers.size(), 3u);
    ExpectConsecutive(numbers);
    EXPECT_GT(numbers.front(), last);
    last = numbers.back();
  }
}

TEST_F(Camera, ClosingDuringARecordingLeavesACompleteFile) {
  ASSERT_EQ(S_OK, Start());
  const std::wstring file = folder_ + L"abbruch.avi";
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, file.c_str()));
  WaitForCallbacks(6);
  TYVCAP_CloseCapture();
  const auto numbers = FrameNumbers(DecodeAll(file));
  EXPECT_GE(numbers.size(), 6u);
  ExpectConsecutive(numbers);
}

// A camera thread that dawdles between filling a frame and handing it on
// still has a frame in flight when the recording ends; it must never reach
// the multiplexer after that finished its file.
TEST_F(Camera, EndingARecordingWithAFrameInFlightLeavesCompleteFiles) {
  struct StallOff {
    ~StallOff() { testcam::StallDelivery(0); }
  } stallOff;
  enum End { kStop, kClose, kChangeThenStop };
  std::vector<std::wstring> files;
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    testcam::StallDelivery(6 + round % 5);
    ASSERT_EQ(S_OK, Start());
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%lsflug%02d.avi", folder_.c_str(), round);
    files.push_back(name);
    ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, name));
    WaitForCallbacks(2 + round % 3);
    Sleep(round * 3 % 17);   // ends at every phase of the camera's frame
    switch (round % 3) {
      case kStop:
        ASSERT_EQ(S_OK, TYVCAP_StopCapture());
        break;
      case kClose:
        TYVCAP_CloseCapture();
        break;
      case kChangeThenStop:
        swprintf(name, MAX_PATH, L"%lsflug%02d_001.avi", folder_.c_str(), round);
        files.push_back(name);
        ASSERT_EQ(S_OK, TYVCAP_RenameCapVideo(name));
        WaitForCallbacks(2);
        Sleep(round % 7);
        ASSERT_EQ(S_OK, TYVCAP_StopCapture());
        break;
    }
    TYVCAP_CloseCapture();
  }
  for (const std::wstring& file : files) {
    SCOPED_TRACE(Narrow(file));
    const auto numbers = FrameNumbers(DecodeAll(file));
    EXPECT_GE(numbers.size(), 1u);
    ExpectConsecutive(numbers);
  }
}

// A recording into a folder that does not exist fails before the graph runs;
// closing afterwards must not hang.
TEST_F(Camera, AFileThatCannotBeMadeIsAFailureAndClosingStillWorks) {
  const std::wstring missing = folder_ + L"fehlt\\saturn.avi";
  std::vector<BYTE> frame(testcam::kNativeWidth * testcam::kNativeHeight * 3);
  ASSERT_EQ(S_OK, Start());
  EXPECT_TRUE(FAILED(TYVCAP_CaptureVideo(0, missing.c_str())));
  EXPECT_EQ(0, TYVCAP_GetFrame(frame.data())) << "the session is closed";
  TYVCAP_CloseCapture();
}

// A file change into nowhere fails; the recording is over with its first
// part complete, and the session is left as it says it is.
TEST_F(Camera, AFailedFileChangeEndsTheRecordingAndTheLivePictureRunsOn) {
  const std::wstring missing = folder_ + L"fehlt\\saturn_001.avi";
  std::vector<BYTE> frame(testcam::kNativeWidth * testcam::kNativeHeight * 3);
  ASSERT_EQ(S_OK, Start());
  const std::wstring file = folder_ + L"saturn.avi";
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, file.c_str()));
  WaitForCallbacks(4);
  EXPECT_TRUE(FAILED(TYVCAP_RenameCapVideo(missing.c_str())));
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(1, TYVCAP_GetFrame(frame.data())) << "the live picture runs again";
  EXPECT_LT(GetTickCount() - t0, 3000u) << "the getter answers without waiting for its time-out";
  EXPECT_EQ(VFW_E_WRONG_STATE, TYVCAP_RenameCapVideo(missing.c_str())) << "no recording to continue";
  EXPECT_EQ(S_OK, TYVCAP_StopCapture());

  // A new recording starts as after any other.
  const std::wstring next = folder_ + L"saturn2.avi";
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, next.c_str()));
  WaitForCallbacks(3);
  EXPECT_EQ(S_OK, TYVCAP_StopCapture());
  TYVCAP_CloseCapture();
  for (const std::wstring& f : {file, next}) {
    SCOPED_TRACE(Narrow(f));
    const auto numbers = FrameNumbers(DecodeAll(f));
    EXPECT_GE(numbers.size(), 3u);
    ExpectConsecutive(numbers);
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(missing.c_str()));
}

TEST_F(Camera, StampIsBurntIntoRecordedFramesAndClippedToTheirWidth) {
  TYVCAP_SetTimemarker(1);
  TYVCAP_SetPositionmarker(-7.1, 50.8, 67, 1);
  ASSERT_EQ(S_OK, Start());
  const std::wstring file = folder_ + L"stempel.avi";
  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, file.c_str()));
  WaitForCallbacks(3);
  ASSERT_EQ(S_OK, TYVCAP_StopCapture());
  TYVCAP_SetTimemarker(0);
  const auto video = DecodeAll(file);
  ASSERT_FALSE(video.frames.empty());
  const auto& f = video.frames[0];
  std::vector<uint8_t> strip(tyvcap::kGlyphStripBytes);
  tyvcap::FillGlyphStrip(strip.data());
  // The year's thousands: glyph 2 at column 64, ORed over the picture.
  const int number = f[0];
  for (int r = tyvcap::kStampFirstRow; r <= tyvcap::kStampLastRow; ++r)
    for (int c = 0; c < 8; ++c) {
      const BYTE* p = &f[(static_cast<size_t>(r) * video.width + 64 + c) * 3];
      const BYTE glyph = strip[r * tyvcap::kGlyphStripStride + (2 * 8 + c) * 3];
      ASSERT_EQ(glyph | number, p[0]) << "row " << r << ", column " << c;
      ASSERT_EQ(glyph | ((64 + c) & 255), p[1]);
      ASSERT_EQ(glyph | r, p[2]);
    }
  // Above the stamp rows the picture is untouched.
  const BYTE* above = &f[(static_cast<size_t>(20) * video.width + 64) * 3];
  EXPECT_EQ(64, above[1]);
  EXPECT_EQ(20, above[2]);
}

TEST_F(Camera, StampIsDrawnOnlyWhenTheTimeSwitchIsExactlyOne) {
  const struct {
    int time, position;
  } cases[] = {{0, 1}, {2, 1}, {-1, 0}};
  ASSERT_EQ(S_OK, Start());
  const int w = testcam::kNativeWidth, h = testcam::kNativeHeight;
  std::vector<BYTE> frame(static_cast<size_t>(w) * h * 3);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "time " << c.time << ", position " << c.position);
    TYVCAP_SetTimemarker(c.time);
    TYVCAP_SetPositionmarker(-7.1, 50.8, 67, c.position);
    ASSERT_EQ(1, TYVCAP_GetFrame(frame.data()));   // may still be an older frame
    ASSERT_EQ(1, TYVCAP_GetFrame(frame.data()));
    const auto numbers = FrameNumbers(avifixture::Video{w, h, {frame}});
    EXPECT_EQ(1u, numbers.size()) << "the picture is untouched";
  }
  TYVCAP_SetPositionmarker(0, 0, 0, 0);
}

TEST_F(Camera, MinimisingPausesTheLivePictureButNeverARecording) {
  ASSERT_EQ(S_OK, Start());
  HWND display = TYVCAP_GetDisplayWnd();
  std::vector<BYTE> frame(testcam::kNativeWidth * testcam::kNativeHeight * 3);
  ShowWindow(display, SW_MINIMIZE);
  EXPECT_EQ(0, TYVCAP_GetFrame(frame.data())) << "no live picture while minimised";
  ShowWindow(display, SW_RESTORE);
  EXPECT_EQ(1, TYVCAP_GetFrame(frame.data()));

  ASSERT_EQ(S_OK, TYVCAP_CaptureVideo(0, (folder_ + L"minimiert.avi").c_str()));
  ShowWindow(display, SW_MINIMIZE);
  const int before = Callbacks();
  EXPECT_GE(WaitForCallbacks(5), before + 5);
  EXPECT_EQ(1, TYVCAP_GetFrame(frame.data()));
  ShowWindow(display, SW_RESTORE);
  EXPECT_EQ(S_OK, TYVCAP_StopCapture());
}

TEST_F(Camera, EverythingAnswersAtOnceWithoutARunningGraph) {
  std::vector<BYTE> frame(testcam::kNativeWidth * testcam::kNativeHeight * 3);
  EXPECT_EQ(0, TYVCAP_GetFrame(frame.data()));
  EXPECT_EQ(0, TYVCAP_GetFrameChannel(frame.data(), 0));
  BYTE* pointer = reinterpret_cast<BYTE*>(1);
  int length = 1;
  EXPECT_EQ(0, TYVCAP_GetFramePointer(&pointer, &length));
  EXPECT_EQ(nullptr, pointer);
  EXPECT_EQ(0, length);
  const HRESULT noDevice = static_cast<HRESULT>(0x80000001);
  EXPECT_EQ(noDevice, TYVCAP_StopCapture());
  EXPECT_EQ(noDevice, TYVCAP_CaptureVideo(0, L"x.avi"));
  EXPECT_EQ(noDevice, TYVCAP_SetupVideoformat(g_parent, L"x"));
  EXPECT_EQ(noDevice, TYVCAP_SetupVideoquali(g_parent, L"x"));
  EXPECT_EQ(noDevice, TYVCAP_SetupCrossbar(g_parent, L"x"));
  EXPECT_EQ(0, TYVCAP_IsCrossbar());
  EXPECT_EQ(VFW_E_WRONG_STATE, TYVCAP_RenameCapVideo(L"x.avi"));
}

// Answers the library's message box from another thread and keeps its text.
struct MessageBoxAnswer {
  DWORD thread;
  std::string text;
  HANDLE worker = nullptr;
  volatile bool stop = false;

  static BOOL CALLBACK Find(HWND hwnd, LPARAM self) {
    char cls[16];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0) return TRUE;
    auto* me = reinterpret_cast<MessageBoxAnswer*>(self);
    char text[512] = {};
    // The box may be there before its text is.
    if (GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text) == 0) return TRUE;
    me->text = text;
    PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
  }
  static DWORD WINAPI Watch(void* self) {
    auto* me = static_cast<MessageBoxAnswer*>(self);
    while (!me->stop && me->text.empty()) {
      EnumThreadWindows(me->thread, Find, reinterpret_cast<LPARAM>(me));
      Sleep(20);
    }
    return 0;
  }
  MessageBoxAnswer() : thread(GetCurrentThreadId()) { worker = CreateThread(nullptr, 0, Watch, this, 0, nullptr); }
  ~MessageBoxAnswer() {
    stop = true;
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
  }
};

TEST_F(Camera, WithoutAnyDeviceTheListIsEmptyAndOpeningSaysSo) {
  testcam::Unregister();
  wchar_t** table = nullptr;
  ASSERT_EQ(1, TYVCAP_AllocWcharArray(&table, 20, 84));
  EXPECT_EQ(0, TYVCAP_EnumCaptureDevices(table));
  EXPECT_EQ(0, table[0][0]);
  TYVCAP_FreeWcharArray(table);
  {
    MessageBoxAnswer answer;
    EXPECT_EQ(static_cast<HRESULT>(0x80000001), Start());
    answer.stop = true;
    EXPECT_NE(std::string::npos, answer.text.find("No video capture device was detected."));
  }
  ASSERT_TRUE(testcam::Register());
}

}  // namespace
