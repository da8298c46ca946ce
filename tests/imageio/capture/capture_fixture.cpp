#include "capture_fixture.h"

#include <cstdio>

#include "imageio/capture/capture_dialog.h"
#include "imageio/capture/capture_ids.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "stamp.h"
#include "testcam.h"

void CaptureTest::SetUpTestSuite() {
  AppTest::SetUpTestSuite();
  ASSERT_TRUE(testcam::Register());
}

void CaptureTest::TearDownTestSuite() { testcam::Unregister(); }

void CaptureTest::SetUp() {
  AppTest::SetUp();
  folder_ = std::make_unique<avifixture::ScratchFolder>();
  UseFolder(avifixture::Narrow(folder_->path()));
  ProgramState& ps = gProgramState;
  ps.Drivername[0] = '\0';
  ps.Framecount = 10;
  ps.Groupcount = 1;
  ps.Intervall = 1000;
  ps.Grabbtimer = 0;
  ps.IsGrabbTimer = 0;
  ps.GrabbAVIs = 1;
  ps.GrabbIntegrated = 0;
  ps.Grabbendless = 0;
  ps.Grabb2GBLimit = 1;
  ps.GrabbTimeMarker = 0;
  ps.GrabbPlaceMarker = 0;
  ps.OriginalSize = 1;
  ps.CaptureFullScreen = 0;
  ps.Longitude = -7.1;
  ps.Latitude = 50.8;
  ps.GeoHeight = 67;
  AskCameraSize(0, 0);
  SetEndlessPartLimit(0);
}

void CaptureTest::TearDown() {
  SetEndlessPartLimit(0);
  AskCameraSize(0, 0);
  folder_.reset();
  AppTest::TearDown();
}

void CaptureTest::UseFolder(const std::string& dir) {
  dir_ = dir;
  std::snprintf(gProgramState.GrabbFile, kPathSize, "%svideo.avi", dir_.c_str());
  std::snprintf(gProgramState.CurrentPath, kPathSize, "%s", dir_.c_str());
}

void CaptureTest::AskCameraSize(int width, int height) {
  char ini[kPathSize + 16], section[128];
  std::snprintf(ini, sizeof ini, "%s\\tyvcap.ini", gProgramState.ProgramDirectory);
  WideCharToMultiByte(CP_ACP, 0, testcam::kFriendlyName, -1, section, sizeof section, nullptr, nullptr);
  if (width <= 0) {
    WritePrivateProfileStringA(section, nullptr, nullptr, ini);
    return;
  }
  WritePrivateProfileStringA(section, "XSize", std::to_string(width).c_str(), ini);
  WritePrivateProfileStringA(section, "YSize", std::to_string(height).c_str(), ini);
}

bool CaptureTest::LiveReady(HWND dialog) {
  return SendDlgItemMessageA(dialog, IDC_CAPTURE_DEVICE, CB_GETCOUNT, 0, 0) > 0;
}

std::string CaptureTest::Status(HWND dialog) { return DialogDriver::ItemText(dialog, IDC_CAPTURE_STATUS); }

INT_PTR CaptureTest::RunCaptureDialog(DialogDriver& driver, const std::function<void(DialogDriver&)>& steps) {
  INT_PTR result = -2;
  // The frame window's dispatch opens the dialog; its result comes through an opener.
  struct Opener {
    static INT_PTR Open(void* context, HWND owner, const char* name, DLGPROC procedure) {
      const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, procedure, 0);
      *static_cast<INT_PTR*>(context) = r;
      return r;
    }
  };
  SetDialogOpener(&Opener::Open, &result);
  driver.Until(kCaptureTitle, LiveReady);
  steps(driver);
  SendCommand(IDM_CAPTURE);
  SetDialogOpener(nullptr, nullptr);
  EXPECT_TRUE(driver.Done()) << "steps left when the dialog closed";
  return result;
}

INT_PTR CaptureTest::Record(const char* finalStatus, DWORD timeLimitMs) {
  DialogDriver driver(timeLimitMs);
  const std::string expected = finalStatus;
  return RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CAPTURE_START); });
    d.Until(kCaptureTitle, [expected](HWND dlg) {
      if (Status(dlg) != expected) return false;
      EXPECT_EQ("Aufnahme !", DialogDriver::ItemText(dlg, IDC_CAPTURE_START));
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
}

RecordedVideo ReadRecordedVideo(const std::string& path) {
  RecordedVideo out;
  const std::wstring wide(path.begin(), path.end());
  const avifixture::Video v = avifixture::DecodeAll(wide);
  out.width = v.width;
  out.height = v.height;
  for (const auto& f : v.frames) {
    const int number = f[3 * v.width * 20];   // blue of a pixel above the stamp
    for (int y = 0; y < v.height; ++y) {
      if (y >= tyvcap::kStampFirstRow && y <= tyvcap::kStampLastRow) continue;
      for (int x = 0; x < v.width; ++x) {
        const BYTE* p = &f[(size_t(y) * v.width + x) * 3];
        if (p[0] != number || p[1] != (x & 255) || p[2] != (y & 255)) {
          ADD_FAILURE() << path << " frame " << out.numbers.size() << " pixel " << x << ", " << y << ": " << int(p[0])
                        << " " << int(p[1]) << " " << int(p[2]);
          return out;
        }
      }
    }
    out.numbers.push_back(number);
  }
  return out;
}

bool Consecutive(const std::vector<int>& numbers) {
  for (size_t i = 1; i < numbers.size(); ++i)
    if (((numbers[i - 1] + 1) & 255) != numbers[i]) return false;
  return true;
}

bool FileThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
