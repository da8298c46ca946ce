// The capture dialog on the test camera: the camera registered for the
// suite, the capture settings in a known state with the recordings going to
// a folder of their own, and the checks of what was recorded.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "avi_fixture.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"

constexpr const char* kCaptureTitle = "Bildaufnahme aus einem Videostream";
constexpr const char* kTimerTitle = "Einstellung des Aufnahmetimers";

class CaptureTest : public AppTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // Single AVI of 10 frames into <folder>\video.avi, no stamps, the camera's own size.
  void SetUp() override;
  void TearDown() override;

  // The recordings' folder, with its backslash, and a file in it.
  const std::string& Dir() const { return dir_; }
  std::string File(const char* name) const { return dir_ + name; }
  // Where the recordings go; a test may move them elsewhere before SetUp's settings are used.
  void UseFolder(const std::string& dir);
  // The size "tyvcap.ini" asks the camera for.
  void AskCameraSize(int width, int height);

  // Opens "&Aufnahme von AVIs..." and waits until the live picture stands;
  // the steps queued on the driver run after that. Returns the dialog's result.
  INT_PTR RunCaptureDialog(DialogDriver& driver, const std::function<void(DialogDriver&)>& steps);
  // Presses "Aufnahme !", waits for the status and presses "&Übernehmen".
  INT_PTR Record(const char* finalStatus, DWORD timeLimitMs = 20000);

  static bool LiveReady(HWND dialog);
  static std::string Status(HWND dialog);

 private:
  std::unique_ptr<avifixture::ScratchFolder> folder_;
  std::string dir_;
};

// A recorded video's frames: their numbers, every pixel outside the rows
// the stamp may use checked against the camera's pattern. Empty when the
// file cannot be decoded.
struct RecordedVideo {
  int width = 0, height = 0;
  std::vector<int> numbers;
};
RecordedVideo ReadRecordedVideo(const std::string& path);
// Each number one more than the one before (counting modulo 256).
bool Consecutive(const std::vector<int>& numbers);
bool FileThere(const std::string& path);
