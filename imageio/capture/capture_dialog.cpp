#include "capture_dialog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "capture_disk.h"
#include "capture_ids.h"
#include "capture_plan.h"
#include "capture_timer_dialog.h"
#include "directx/tyvcap/tyvcap.h"
#include "imageio/picture_files.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"
#include "shell/program_state.h"
#include "shell/scroll_bars.h"

namespace {

constexpr int kDeviceRows = 20;
constexpr int kDeviceNameLength = 84;
constexpr UINT_PTR kFrameTimer = 1;      // follows a recording every 40 ms
constexpr UINT_PTR kIntervalTimer = 2;   // next picture or sequence
constexpr UINT kFrameTimerMs = 40;
// Posted from WM_INITDIALOG: the device is set up once the dialog stands.
constexpr UINT kSetUpMessage = WM_APP + 40;
// The platform's DV driver offers a remote control where others have picture settings.
constexpr wchar_t kDvCamera[] = L"Microsoft DV Camera and VCR";
constexpr char kStartText[] = "Aufnahme !";
constexpr char kStopText[] = "Stop Aufnahme !";

// What a recording does, fixed when it starts.
enum class RunMode { kNone, kSingleAvi, kEndless, kBmpNow, kBmpLapse, kAviSequences };

// How a run ended.
enum class RunEnd { kDone, kEnded, kAborted, kNoFrame, kStopFailed };

// One capture dialog at a time; the state of it and of its recording.
struct CaptureState {
  HWND dialog;
  wchar_t** devices;                       // kDeviceRows names of kDeviceNameLength
  int deviceCount;
  wchar_t deviceName[kDeviceNameLength];   // the device in use
  int32_t captureWidth, captureHeight, captureBits;
  uint64_t frameBytes;
  uint64_t freeDiskUnits;
  uint8_t* frameBuffer;                    // BMP series: one frame, rows padded
  char currentCaptureFile[kPathSize];
  char base[kPathSize];                    // the recording's name without extension
  int32_t sequenceIndex;
  int32_t partCounter;
  bool initDone;
  RunMode mode;                            // kNone while idle
  bool stopRequested;                      // "Stop Aufnahme !" or closing
  bool sequenceRunning;                    // an AVI sequence is being written
  bool inTimer;
  bool inLoop;                             // the BMP series taken at once
  bool commitPending;                      // "&Übernehmen" came during a run
  SIZE previewClient;
  RECT savedRect;                          // the dialog, restored after full screen
  RECT previewRect;                        // the preview frame in the dialog
  HBRUSH previewBrush;
};

CaptureState gState;
DialogFrame gFrame;
uint64_t gPartLimit = kEndlessPartBytes;

// The capture dialog takes its hot key through the registry; its cancel and
// confirm are its own buttons.
constexpr DialogFrameSpec kSpec = {kHotKeyCapture, nullptr, 0, 0, 0, 0, nullptr, nullptr};

// What stays usable while a recording runs: stopping, closing (which stops
// first), the view and the stamps.
constexpr int kKeepWhileRecording[] = {IDC_CAPTURE_START, IDC_CAPTURE_OK, IDC_CAPTURE_CANCEL,
                                       IDC_CAPTURE_FULL_SCREEN, IDC_CAPTURE_ORIGINAL_SIZE, IDC_CAPTURE_TIME_STAMP,
                                       IDC_CAPTURE_PLACE_STAMP, IDC_CAPTURE_STATUS, IDC_CAPTURE_PREVIEW,
                                       IDC_CAPTURE_ESC_HINT};

ProgramState& PS() { return gProgramState; }
HWND Item(int id) { return GetDlgItem(gState.dialog, id); }
void Enable(int id, bool on) { EnableWindow(Item(id), on); }
void Check(int id, bool on) { CheckDlgButton(gState.dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void SetText(int id, const char* text) { SetDlgItemTextA(gState.dialog, id, text); }

void SetStatus(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
void SetStatus(const char* format, ...) {
  char text[128];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  SetText(IDC_CAPTURE_STATUS, text);
}

void ShowError(const char* text) { ShowMessageBox(gState.dialog, text, kTitleError, MB_OK | MB_ICONSTOP); }

bool ToWide(const char* text, wchar_t* wide, size_t capacity) {
  if (std::strlen(text) + 1 > capacity) return false;
  TYVCAP_StrToWchar(wide, text);
  return true;
}

// --- frame count

int32_t ReadFrameCountEdit() {
  BOOL ok = FALSE;
  const UINT value = GetDlgItemInt(gState.dialog, IDC_CAPTURE_FRAMES_EDIT, &ok, FALSE);
  if (!ok || value < 1) return 1;
  const int32_t limit = PS().MaxCaptureFrames > 0 ? PS().MaxCaptureFrames : kMaxCaptureFrames;
  return value > UINT(limit) ? limit : int32_t(value);
}

void ShowFrameCount() {
  SetScrollRange(Item(IDC_CAPTURE_FRAMES_BAR), SB_CTL, 1, PS().MaxCaptureFrames, FALSE);
  SetScrollPos(Item(IDC_CAPTURE_FRAMES_BAR), SB_CTL, PS().Framecount, TRUE);
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(PS().Framecount));
  SetText(IDC_CAPTURE_FRAMES_EDIT, text);
}

// MaxCaptureFrames from the free space and the frame size; the frame count
// within it.
void UpdateFrameLimit() {
  ProgramState& ps = PS();
  ps.MaxCaptureFrames = CaptureFrameLimit(gState.freeDiskUnits, gState.frameBytes);
  if (ps.Framecount > ps.MaxCaptureFrames) ps.Framecount = ps.MaxCaptureFrames;
  if (ps.Framecount < 1) ps.Framecount = 1;
  ShowFrameCount();
}

// The disk the recording goes to.
void ReadFreeSpace(const char* file) { gState.freeDiskUnits = GetFreeDiskSpace(file); }

// --- controls by the settings

void ShowFileButton(bool avis, int32_t timer) {
  const char* text = "AVI-Datei ...";
  if (timer == 2) {
    text = "AVI-Reihe ...";
  } else if (timer == 1 || !avis) {
    text = "BMP-Reihe ...";
  }
  SetText(IDC_CAPTURE_FILE, text);
}

void ShowOutputRadio(bool avis) {
  CheckRadioButton(gState.dialog, IDC_CAPTURE_AS_AVI, IDC_CAPTURE_AS_BMP,
                   avis ? IDC_CAPTURE_AS_AVI : IDC_CAPTURE_AS_BMP);
}

// The timer check box, its set-up button, the radios and the file button by
// Grabbtimer: a time-lapse writes BMPs, sequences write AVIs.
void ShowTimerMode() {
  ProgramState& ps = PS();
  const int32_t timer = ps.Grabbtimer;
  ps.IsGrabbTimer = timer != 0;
  Check(IDC_CAPTURE_TIMER, timer != 0);
  Enable(IDC_CAPTURE_TIMER_SETUP, timer != 0);
  Enable(IDC_CAPTURE_AS_AVI, timer != 1);
  Enable(IDC_CAPTURE_AS_BMP, timer != 2);
  ShowOutputRadio(timer == 0 ? ps.GrabbAVIs != 0 : timer == 2);
  ShowFileButton(ps.GrabbAVIs != 0, timer);
}

void ShowEndlessControls() {
  const ProgramState& ps = PS();
  const bool endless = ps.Grabbendless != 0;
  Check(IDC_CAPTURE_ENDLESS, endless);
  Enable(IDC_CAPTURE_FRAMES_BAR, !endless);
  Enable(IDC_CAPTURE_FRAMES_EDIT, !endless);
  Enable(IDC_CAPTURE_LIMIT, endless);
  Check(IDC_CAPTURE_LIMIT, ps.Grabb2GBLimit != 0);
}

void ShowStamps() {
  const ProgramState& ps = PS();
  Check(IDC_CAPTURE_TIME_STAMP, ps.GrabbTimeMarker != 0);
  TYVCAP_SetTimemarker(ps.GrabbTimeMarker != 0);
  Enable(IDC_CAPTURE_PLACE_STAMP, ps.GrabbTimeMarker != 0);
  Check(IDC_CAPTURE_PLACE_STAMP, ps.GrabbPlaceMarker != 0);
  TYVCAP_SetPositionmarker(ps.Longitude, ps.Latitude, ps.GeoHeight, ps.GrabbPlaceMarker != 0);
}

// --- the live picture

void ReadVideoInfo() {
  TYVCAP_GetVideoInfo(&gState.captureWidth, &gState.captureHeight, &gState.captureBits);
  gState.frameBytes = CaptureFrameBytes(gState.captureWidth, gState.captureHeight);
}

void ShowDeviceButtons() {
  Enable(IDC_CAPTURE_CROSSBAR, TYVCAP_IsCrossbar() == 1);
  const bool dv = std::wcscmp(gState.deviceName, kDvCamera) == 0;
  SetText(IDC_CAPTURE_PICTURE, dv ? "Fernsteuerung" : "Bildeinstellung");
}

int PictureWidth() { return gState.captureWidth; }
int PictureHeight() { return gState.captureHeight < 0 ? -gState.captureHeight : gState.captureHeight; }

// The part of the screen the live picture gets in the dialog, by the screen's lines.
SIZE LiveBox() {
  const int32_t lines = PS().ScreenHeight;
  if (lines < 600) return SIZE{480, 360};
  if (lines < 768) return SIZE{640, 480};
  if (lines < 1024) return SIZE{768, 576};
  return SIZE{1024, 768};
}

void ShowSizeButton() { SetText(IDC_CAPTURE_ORIGINAL_SIZE, PS().OriginalSize ? "Im Fenster" : "Originalgröße"); }

// The picture in its own size centred in the box, or filling the box.
void PlaceLiveWindow() {
  ReadVideoInfo();
  ShowSizeButton();
  const SIZE box = LiveBox();
  if (PS().OriginalSize && PictureWidth() > 0 && PictureHeight() > 0)
    TYVCAP_SetDisplayWndPos((box.cx - PictureWidth()) / 2, (box.cy - PictureHeight()) / 2, PictureWidth(),
                            PictureHeight());
  else
    TYVCAP_SetDisplayWndPos(0, 0, box.cx, box.cy);
  TYVCAP_SetDisplayWndOnTop();
}

// The whole screen with the picture's proportions.
void FitToScreen() {
  const int sw = PS().ScreenWidth, sh = PS().ScreenHeight, w = PictureWidth(), h = PictureHeight();
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  if (double(w) / h <= double(sw) / sh) {
    const int width = int(double(sh) / h * w);
    TYVCAP_SetDisplayWndPos((sw - width) / 2, 0, width, sh);
  } else {
    const int height = int(double(sw) / w * h);
    TYVCAP_SetDisplayWndPos(0, (sh - height) / 2, sw, height);
  }
}

// --- devices

void SelectDevice(int index) {
  std::memset(gState.deviceName, 0, sizeof gState.deviceName);
  if (index >= 0 && index < gState.deviceCount)
    std::wcsncpy(gState.deviceName, gState.devices[index], kDeviceNameLength - 1);
  WideCharToMultiByte(CP_ACP, 0, gState.deviceName, -1, PS().Drivername, sizeof PS().Drivername - 1, nullptr,
                      nullptr);
  PS().Drivername[sizeof PS().Drivername - 1] = '\0';
}

// The device list; the stored device, else the first, is chosen.
int FillDeviceList() {
  const HWND list = Item(IDC_CAPTURE_DEVICE);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  gState.deviceCount = TYVCAP_EnumCaptureDevices(gState.devices);
  int chosen = 0;
  for (int i = 0; i < gState.deviceCount; ++i) {
    char name[kDeviceNameLength * 2];
    WideCharToMultiByte(CP_ACP, 0, gState.devices[i], -1, name, sizeof name - 1, nullptr, nullptr);
    name[sizeof name - 1] = '\0';
    const LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(list, CB_SETITEMDATA, WPARAM(item), i);
    if (std::strcmp(name, PS().Drivername) == 0) chosen = i;
  }
  SendMessageA(list, CB_SETCURSEL, WPARAM(chosen), 0);
  return chosen;
}

void EndWithError(const char* text) {
  ShowError(text);
  CancelDialogFrame(&gFrame);
}

// Once the dialog stands: the device, its live picture and the frame limit.
void SetUpDevice() {
  if (gState.initDone) return;
  gState.initDone = true;
  const int chosen = FillDeviceList();
  if (gState.deviceCount == 0) return EndWithError("Kamera läßt sich nicht ansprechen.");
  SelectDevice(chosen);
  RECT client;
  GetClientRect(Item(IDC_CAPTURE_PREVIEW), &client);
  gState.previewClient = SIZE{client.right, client.bottom};
  if (!TYVCAP_OpenDisplayWnd(Item(IDC_CAPTURE_PREVIEW), 0, 0, client.right, client.bottom))
    return EndWithError("Livebild steht nicht zur Verfügung.");
  if (TYVCAP_InitCapture(gState.deviceName, PS().ProgramDirectory) != S_OK)
    return EndWithError("Kamera läßt sich nicht ansprechen.");
  ReadVideoInfo();
  ShowDeviceButtons();
  UpdateFrameLimit();
  PlaceLiveWindow();
}

void ChangeDevice() {
  const LRESULT item = SendDlgItemMessageA(gState.dialog, IDC_CAPTURE_DEVICE, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return;
  SelectDevice(int(SendDlgItemMessageA(gState.dialog, IDC_CAPTURE_DEVICE, CB_GETITEMDATA, WPARAM(item), 0)));
  TYVCAP_CloseCapture();
  if (TYVCAP_InitCapture(gState.deviceName, PS().ProgramDirectory) != S_OK)
    ShowError("Kamera läßt sich nicht ansprechen.");
  ReadVideoInfo();
  ShowDeviceButtons();
  UpdateFrameLimit();
  PlaceLiveWindow();
  InvalidateRect(gState.dialog, nullptr, TRUE);
}

// --- full screen

void EnterFullScreen() {
  ProgramState& ps = PS();
  ps.CaptureFullScreen = 1;
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  SetWindowPos(gState.dialog, nullptr, -4, -4 - caption, ps.ScreenWidth + 8, ps.ScreenHeight + caption + 8,
               SWP_NOZORDER);
  SetWindowPos(Item(IDC_CAPTURE_PREVIEW), nullptr, 0, 0, ps.ScreenWidth + 4, ps.ScreenHeight + 4, SWP_NOZORDER);
  TYVCAP_SetDisplayWndPos(0, 0, ps.ScreenWidth, ps.ScreenHeight);
  TYVCAP_SetDisplayWndOnTop();
  ReadVideoInfo();
  FitToScreen();
}

void LeaveFullScreen() {
  SetActiveWindow(gState.dialog);
  PS().CaptureFullScreen = 0;
  const RECT& p = gState.previewRect;
  SetWindowPos(Item(IDC_CAPTURE_PREVIEW), nullptr, p.left, p.top, p.right - p.left, p.bottom - p.top,
               SWP_NOZORDER);
  PlaceLiveWindow();
  const RECT& r = gState.savedRect;
  SetWindowPos(gState.dialog, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW);
  InvalidateRect(gState.dialog, nullptr, TRUE);
}

// --- the recording

void KillRunTimers() {
  KillTimer(gState.dialog, kFrameTimer);
  KillTimer(gState.dialog, kIntervalTimer);
}

void CommitNow() {
  PS().Framecount = ReadFrameCountEdit();
  CommitDialogFrame(&gFrame, nullptr, nullptr);
}

// The run is over: timers, button and status; a close that waited for it is done now.
void EndRun(RunEnd end) {
  static const char* const kStatus[] = {"Fertig !", "Beendet !", "Aufnahme abgebrochen !",
                                        "Kein Bild von der Kamera !", "Kamera läßt sich nicht ansprechen."};
  KillRunTimers();
  gState.mode = RunMode::kNone;
  gState.stopRequested = false;
  gState.sequenceRunning = false;
  gState.partCounter = 0;
  SetText(IDC_CAPTURE_START, kStartText);
  SetText(IDC_CAPTURE_STATUS, kStatus[int(end)]);
  if (end == RunEnd::kStopFailed) ShowError("Kamera läßt sich nicht ansprechen.");
  if (EndDialogRun(&gFrame)) return;   // a held cancel has ended the dialog
  if (gState.commitPending) {
    gState.commitPending = false;
    CommitNow();
  }
}

// Ends the AVI being written; the run ends with `end`, or with the failure.
void StopAviAndEnd(RunEnd end) {
  KillRunTimers();
  gState.sequenceRunning = false;
  EndRun(SUCCEEDED(TYVCAP_StopCapture()) ? end : RunEnd::kStopFailed);
}

// Starts writing an AVI file; false (the message shown) when it cannot.
bool StartAvi(const char* file) {
  wchar_t wide[kPathSize];
  if (!ToWide(file, wide, kPathSize)) return false;
  DeleteFileA(file);
  // A file that cannot be made is found here, before the library tears the
  // live picture down over it.
  const HANDLE probe = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    DeleteFileA(file);
  }
  std::snprintf(gState.currentCaptureFile, sizeof gState.currentCaptureFile, "%s", file);
  if (probe == INVALID_HANDLE_VALUE || FAILED(TYVCAP_CaptureVideo(PS().Framecount, wide))) {
    // Nothing runs: the live picture is back, or the camera is gone.
    ShowError("Die Aufnahme läßt sich nicht starten.");
    return false;
  }
  SetTimer(gState.dialog, kFrameTimer, kFrameTimerMs, nullptr);
  return true;
}

bool NameInSeries(char* out, SeriesName kind, int32_t number) {
  return FormatSeriesName(out, kPathSize, gState.base, kind, number);
}

// The overwrite question, once for the whole run; false when it is not to start.
bool MayOverwrite(RunMode mode) {
  const ProgramState& ps = PS();
  bool exists = false;
  switch (mode) {
    case RunMode::kSingleAvi:
      exists = FileExists(ps.GrabbFile);
      break;
    case RunMode::kEndless:
      exists = ps.Grabb2GBLimit ? SeriesFileExists(gState.base, SeriesName::kPart, 0, kEndlessLastPart + 1)
                                : FileExists(ps.GrabbFile) != 0;
      break;
    case RunMode::kBmpNow:
    case RunMode::kBmpLapse:
      exists = SeriesFileExists(gState.base, SeriesName::kBmp, 0, ps.Framecount);
      break;
    case RunMode::kAviSequences:
      exists = SeriesFileExists(gState.base, SeriesName::kAvi, 0, ps.Groupcount);
      break;
    case RunMode::kNone:
      break;
  }
  if (!exists) return true;
  const bool bmp = mode == RunMode::kBmpNow || mode == RunMode::kBmpLapse;
  const char* question = bmp ? "BMP-Dateien existiert schon. Soll sie überschrieben werden ?"
                             : "AVI-Datei existiert schon. Soll sie überschrieben werden ?";
  return ShowMessageBox(gState.dialog, question, kTitleQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

RunMode ModeOfSettings() {
  const ProgramState& ps = PS();
  if (ps.Grabbtimer == 1) return RunMode::kBmpLapse;
  if (ps.Grabbtimer == 2) return RunMode::kAviSequences;
  if (!ps.GrabbAVIs) return RunMode::kBmpNow;
  return ps.Grabbendless ? RunMode::kEndless : RunMode::kSingleAvi;
}

// A frame buffer of the current size, rows padded for the bitmap file.
bool MakeFrameBuffer() {
  ReadVideoInfo();
  FreeMem(&gState.frameBuffer);
  const size_t padded = BmpRowStride(PictureWidth(), 24) * size_t(PictureHeight());
  const size_t bytes = padded > gState.frameBytes ? padded : size_t(gState.frameBytes);
  if (bytes == 0) {
    ShowError("Kamera läßt sich nicht ansprechen.");
    return false;
  }
  gState.frameBuffer = static_cast<uint8_t*>(AllocArray(bytes, 1));
  if (!gState.frameBuffer) {
    ShowError("Nicht genug Speicher !");
    return false;
  }
  return true;
}

enum class Shot { kWritten, kNoFrame, kFailed };

// One picture of a BMP series from the latest frame.
Shot TakePicture(int32_t number) {
  char name[kPathSize];
  const int bits = gState.captureBits <= 8 ? 8 : 24;
  uint64_t free = 0;
  if (!NameInSeries(name, SeriesName::kBmp, number) ||
      (FreeBytesForFile(name, &free) && free < BmpReserveBytes(PictureWidth(), PictureHeight(), bits)))
    return Shot::kFailed;
  const int got = bits == 8 ? TYVCAP_GetFrameChannel(gState.frameBuffer, 2) : TYVCAP_GetFrame(gState.frameBuffer);
  if (got != 1) return Shot::kNoFrame;
  PadRowsInPlace(gState.frameBuffer, PictureHeight(), size_t(PictureWidth()) * (bits / 8),
                 BmpRowStride(PictureWidth(), bits));
  DeleteFileA(name);
  return WriteBmpFile(name, gState.frameBuffer, PictureWidth(), PictureHeight(), bits) ? Shot::kWritten
                                                                                       : Shot::kFailed;
}

void BeginRun(RunMode mode) {
  gState.mode = mode;
  gState.stopRequested = false;
  BeginDialogRun(&gFrame, kKeepWhileRecording, int(sizeof kKeepWhileRecording / sizeof kKeepWhileRecording[0]));
  SetText(IDC_CAPTURE_START, kStopText);
}

// The BMP series taken at once, with the dialog kept alive between pictures.
void RunBmpSeriesNow() {
  const int32_t count = PS().Framecount;
  RunEnd end = RunEnd::kDone;
  gState.inLoop = true;
  for (int32_t i = 0; i < count; ++i) {
    if (gState.stopRequested) break;
    const Shot shot = TakePicture(i);
    if (shot != Shot::kWritten) {
      end = shot == Shot::kNoFrame ? RunEnd::kNoFrame : RunEnd::kAborted;
      break;
    }
    SetStatus("Einzelframe %ld", long(i));
    PumpDialogMessages();
    MSG quit;
    if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) break;
  }
  gState.inLoop = false;
  EndRun(end);
}

void StartRecording() {
  ProgramState& ps = PS();
  ps.Framecount = ReadFrameCountEdit();
  if (!CaptureBaseName(ps.GrabbFile, gState.base, sizeof gState.base)) return ShowError("Dateiname zu lang !");
  const RunMode mode = ModeOfSettings();
  if (!MayOverwrite(mode)) return;
  ReadVideoInfo();
  ReadFreeSpace(ps.GrabbFile);
  gState.sequenceIndex = 0;
  gState.partCounter = 0;
  char file[kPathSize];
  switch (mode) {
    case RunMode::kSingleAvi:
    case RunMode::kEndless:
      if (mode == RunMode::kEndless && ps.Grabb2GBLimit) {
        if (!NameInSeries(file, SeriesName::kPart, 0)) return ShowError("Dateiname zu lang !");
      } else {
        std::snprintf(file, sizeof file, "%s", ps.GrabbFile);
      }
      if (!StartAvi(file)) return;
      BeginRun(mode);
      return;
    case RunMode::kBmpNow:
      if (!MakeFrameBuffer()) return;
      BeginRun(mode);
      return RunBmpSeriesNow();
    case RunMode::kBmpLapse:
      if (!MakeFrameBuffer()) return;
      BeginRun(mode);
      SetTimer(gState.dialog, kIntervalTimer, UINT(ps.Intervall > 0 ? ps.Intervall : 1), nullptr);
      return;
    case RunMode::kAviSequences:
      if (!NameInSeries(file, SeriesName::kAvi, 0)) return ShowError("Dateiname zu lang !");
      if (!StartAvi(file)) return;
      gState.sequenceRunning = true;
      BeginRun(mode);
      SetTimer(gState.dialog, kIntervalTimer, UINT(ps.Intervall > 0 ? ps.Intervall : 1), nullptr);
      return;
    case RunMode::kNone:
      return;
  }
}

// A stop asked for: the run ends now, unless a timer or the picture loop is
// busy with it and ends it on its way out.
void RequestStop() {
  gState.stopRequested = true;
  if (gState.inTimer || gState.inLoop) return;
  switch (gState.mode) {
    case RunMode::kSingleAvi:
      return StopAviAndEnd(RunEnd::kDone);
    case RunMode::kEndless:
      return StopAviAndEnd(RunEnd::kEnded);
    case RunMode::kAviSequences:
      if (gState.sequenceRunning) return StopAviAndEnd(RunEnd::kAborted);
      return EndRun(RunEnd::kAborted);
    case RunMode::kBmpLapse:
      return EndRun(RunEnd::kAborted);
    case RunMode::kBmpNow:
    case RunMode::kNone:
      return;
  }
}

// The disk is nearly full: the recording ends while its index still fits.
bool DiskNearlyFull(int32_t callbacks) {
  uint64_t free = 0;
  return FreeBytesForFile(gState.currentCaptureFile, &free) && free < AviReserveBytes(callbacks, gState.frameBytes);
}

// The endless recording moves on to its next part when the file is full.
void NextPartWhenFull() {
  uint64_t size = 0;
  // A size that cannot be read is no reason to cut.
  if (!PS().Grabb2GBLimit || !ReadFileSize(gState.currentCaptureFile, &size) || size <= gPartLimit) return;
  if (gState.partCounter >= kEndlessLastPart) {
    gState.stopRequested = true;
    return;
  }
  char next[kPathSize];
  wchar_t wide[kPathSize];
  if (!NameInSeries(next, SeriesName::kPart, gState.partCounter + 1) || !ToWide(next, wide, kPathSize)) {
    gState.stopRequested = true;
    return;
  }
  DeleteFileA(next);
  if (FAILED(TYVCAP_RenameCapVideo(wide))) {
    // The recording ended complete in the old part, whose name stays.
    MessageBeep(MB_OK);
    StopAviAndEnd(RunEnd::kAborted);
    return;
  }
  ++gState.partCounter;
  std::snprintf(gState.currentCaptureFile, sizeof gState.currentCaptureFile, "%s", next);
}

void OnFrameTimer() {
  int captured = 0, dropped = 0, callbacks = 0, fresh = 0;
  DWORD elapsed = 0;
  TYVCAP_GetCaptureState(&captured, &dropped, &elapsed, &callbacks, &fresh);
  const ProgramState& ps = PS();
  switch (gState.mode) {
    case RunMode::kEndless:
      SetStatus("Frame %ld ( %ld:%02ld:%02ld.%ld )", long(callbacks), long(elapsed / 3600000),
                long(elapsed / 60000 % 60), long(elapsed / 1000 % 60), long(elapsed / 100 % 10));
      if (DiskNearlyFull(callbacks)) return StopAviAndEnd(RunEnd::kAborted);
      NextPartWhenFull();
      if (gState.mode == RunMode::kEndless && gState.stopRequested) StopAviAndEnd(RunEnd::kEnded);
      return;
    case RunMode::kSingleAvi:
      SetStatus("Frame %ld ( %ld.%ld sec )", long(callbacks), long(elapsed / 1000), long(elapsed / 100 % 10));
      if (DiskNearlyFull(callbacks)) return StopAviAndEnd(RunEnd::kAborted);
      if (callbacks >= ps.Framecount || gState.stopRequested) StopAviAndEnd(RunEnd::kDone);
      return;
    case RunMode::kAviSequences:
      if (!gState.sequenceRunning) return;
      SetStatus("Frame %ld von Sequenz %ld", long(callbacks), long(gState.sequenceIndex + 1));
      if (gState.stopRequested || DiskNearlyFull(callbacks)) {
        ++gState.sequenceIndex;
        return StopAviAndEnd(RunEnd::kAborted);
      }
      // Full once the file has its frames, whatever the camera counted.
      if (callbacks < ps.Framecount) return;
      KillTimer(gState.dialog, kFrameTimer);
      gState.sequenceRunning = false;
      ++gState.sequenceIndex;
      if (FAILED(TYVCAP_StopCapture())) return EndRun(RunEnd::kStopFailed);
      if (gState.sequenceIndex >= ps.Groupcount) EndRun(RunEnd::kDone);
      return;
    default:
      return;
  }
}

void OnIntervalTimer() {
  const ProgramState& ps = PS();
  if (gState.mode == RunMode::kBmpLapse) {
    if (gState.stopRequested) return EndRun(RunEnd::kAborted);
    const Shot shot = TakePicture(gState.sequenceIndex);
    if (shot == Shot::kFailed) return EndRun(RunEnd::kAborted);
    // Without a frame this turn the picture is taken at the next.
    if (shot == Shot::kWritten) SetStatus("Einzelframe %ld", long(++gState.sequenceIndex));
    if (gState.sequenceIndex >= ps.Framecount) EndRun(RunEnd::kDone);
    return;
  }
  if (gState.mode != RunMode::kAviSequences) return;
  if (gState.sequenceRunning) {
    // The interval is over before the sequence was full.
    KillTimer(gState.dialog, kFrameTimer);
    gState.sequenceRunning = false;
    ++gState.sequenceIndex;
    if (FAILED(TYVCAP_StopCapture())) return EndRun(RunEnd::kStopFailed);
    if (gState.sequenceIndex >= ps.Groupcount) return EndRun(RunEnd::kDone);
  }
  if (gState.stopRequested) return EndRun(RunEnd::kAborted);
  char file[kPathSize];
  if (!NameInSeries(file, SeriesName::kAvi, gState.sequenceIndex)) return EndRun(RunEnd::kAborted);
  KillTimer(gState.dialog, kIntervalTimer);   // no second start while the message shows
  if (!StartAvi(file)) return EndRun(RunEnd::kAborted);
  SetTimer(gState.dialog, kIntervalTimer, UINT(ps.Intervall > 0 ? ps.Intervall : 1), nullptr);
  gState.sequenceRunning = true;
}

void OnTimer(UINT_PTR id) {
  // A message box or a long frame wait inside a tick must not start another.
  if (gState.inTimer || gState.mode == RunMode::kNone) return;
  gState.inTimer = true;
  if (id == kFrameTimer) OnFrameTimer();
  if (id == kIntervalTimer) OnIntervalTimer();
  gState.inTimer = false;
  // A stop that came during the tick.
  if (gState.mode != RunMode::kNone && gState.stopRequested) RequestStop();
}

// --- commands

void ChooseFile() {
  ProgramState& ps = PS();
  FileChoice& f = gFileChoice;
  std::snprintf(f.Path, sizeof f.Path, "%s", ps.GrabbFile);
  if (ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps.CurrentPath,
                         "AVI-Videos\0*.AVI\0Alle Dateien\0*.*\0", "AVI für Aufnahme bestimmen", gState.dialog) == 1) {
    std::snprintf(ps.GrabbFile, sizeof ps.GrabbFile, "%s", f.Path);
    ReadFreeSpace(ps.GrabbFile);
    UpdateFrameLimit();
  }
  InvalidateRect(gState.dialog, nullptr, TRUE);
}

void ToggleOriginalSize() {
  PS().OriginalSize = !PS().OriginalSize;
  ReadVideoInfo();
  ShowSizeButton();
  if (PictureWidth() == gState.previewClient.cx && PictureHeight() == gState.previewClient.cy) return;
  if (PS().CaptureFullScreen) return;
  PlaceLiveWindow();
  InvalidateRect(gState.dialog, nullptr, TRUE);
}

void ToggleTimer() {
  ProgramState& ps = PS();
  ps.IsGrabbTimer = !ps.IsGrabbTimer;
  Check(IDC_CAPTURE_TIMER, ps.IsGrabbTimer != 0);
  Enable(IDC_CAPTURE_TIMER_SETUP, ps.IsGrabbTimer != 0);
  if (ps.IsGrabbTimer) return;
  ps.Grabbtimer = 0;
  ShowTimerMode();
}

void OpenTimerSetup() {
  PS().Framecount = ReadFrameCountEdit();
  if (DialogBoxParamA(GetModuleHandleA(nullptr), "aufnahmetimer", gState.dialog, CaptureTimerDlgProc, 0) == 1)
    ShowTimerMode();
  ShowFrameCount();
  InvalidateRect(gState.dialog, nullptr, TRUE);
}

void ChooseOutput(bool avis) {
  PS().GrabbAVIs = avis;
  ShowOutputRadio(avis);
  ShowFileButton(avis, PS().Grabbtimer);
}

void OnCommand(int id, int notification) {
  ProgramState& ps = PS();
  switch (id) {
    case IDC_CAPTURE_DEVICE:
      if (notification == CBN_SELCHANGE && gState.mode == RunMode::kNone) ChangeDevice();
      return;
    case IDC_CAPTURE_PICTURE:
    case IDC_CAPTURE_FORMAT:
    case IDC_CAPTURE_CROSSBAR:
      if (gState.mode != RunMode::kNone) return;
      if (id == IDC_CAPTURE_PICTURE) TYVCAP_SetupVideoquali(gState.dialog, gState.deviceName);
      if (id == IDC_CAPTURE_FORMAT) TYVCAP_SetupVideoformat(gState.dialog, gState.deviceName);
      if (id == IDC_CAPTURE_CROSSBAR) TYVCAP_SetupCrossbar(gState.dialog, gState.deviceName);
      // The format may have changed the picture's size.
      ReadVideoInfo();
      UpdateFrameLimit();
      if (!ps.CaptureFullScreen) PlaceLiveWindow();
      InvalidateRect(gState.dialog, nullptr, TRUE);
      return;
    case IDC_CAPTURE_FILE:
      if (gState.mode == RunMode::kNone) ChooseFile();
      return;
    case IDC_CAPTURE_ORIGINAL_SIZE:
      return ToggleOriginalSize();
    case IDC_CAPTURE_FULL_SCREEN:
      return EnterFullScreen();
    case IDC_CAPTURE_BACK:
      return LeaveFullScreen();
    case IDC_CAPTURE_ENDLESS:
      if (gState.mode != RunMode::kNone) return;
      ps.Grabbendless = !ps.Grabbendless;
      return ShowEndlessControls();
    case IDC_CAPTURE_LIMIT:
      if (gState.mode != RunMode::kNone) return;
      ps.Grabb2GBLimit = !ps.Grabb2GBLimit;
      return Check(IDC_CAPTURE_LIMIT, ps.Grabb2GBLimit != 0);
    case IDC_CAPTURE_TIMER:
      if (gState.mode == RunMode::kNone) ToggleTimer();
      return;
    case IDC_CAPTURE_TIMER_SETUP:
      if (gState.mode == RunMode::kNone) OpenTimerSetup();
      return;
    case IDC_CAPTURE_AS_AVI:
    case IDC_CAPTURE_AS_BMP:
      if (gState.mode == RunMode::kNone) ChooseOutput(id == IDC_CAPTURE_AS_AVI);
      return;
    case IDC_CAPTURE_TIME_STAMP:
      ps.GrabbTimeMarker = !ps.GrabbTimeMarker;
      return ShowStamps();
    case IDC_CAPTURE_PLACE_STAMP:
      ps.GrabbPlaceMarker = !ps.GrabbPlaceMarker;
      return ShowStamps();
    case IDC_CAPTURE_START:
      if (gState.mode != RunMode::kNone) return RequestStop();
      return StartRecording();
    case IDC_CAPTURE_OK:
      if (gState.mode == RunMode::kNone) return CommitNow();
      // Closing stops the recording first.
      gState.commitPending = true;
      return RequestStop();
    case IDC_CAPTURE_CANCEL:
      CancelDialogFrame(&gFrame);   // held back while a run is going
      if (gState.mode != RunMode::kNone) RequestStop();
      return;
  }
}

void OnFrameBar(WPARAM request) {
  ProgramState& ps = PS();
  ps.Framecount = ReadFrameCountEdit();
  UpdateScrollPos(&ps.Framecount, 64, ps.MaxCaptureFrames, 1, 0, request);
  ShowFrameCount();
}

// Everything the dialog holds goes on every way out.
void ReleaseCapture(void*) {
  KillRunTimers();
  TYVCAP_CloseCapture();
  if (gState.devices) TYVCAP_FreeWcharArray(gState.devices);
  gState.devices = nullptr;
  gState.mode = RunMode::kNone;
  PS().CaptureFullScreen = 0;
}

void Open(HWND dialog) {
  ProgramState& ps = PS();
  gState = CaptureState{};
  gState.dialog = dialog;
  // The dialog works on no buffer: the frame's choice of source and target is undone.
  const int source = ps.SourceBuffer, target = ps.TargetBuffer;
  OpenDialogFrame(&gFrame, &kSpec, dialog);
  ps.SourceBuffer = source;
  ps.TargetBuffer = target;
  DialogFrameOwnBlock(&gFrame, &gState.frameBuffer);
  gState.previewBrush = CreateSolidBrush(RGB(64, 64, 64));
  DialogFrameOwnGdi(&gFrame, &gState.previewBrush);
  DialogFrameAtExit(&gFrame, ReleaseCapture, nullptr);

  std::snprintf(gFileChoice.Directory, sizeof gFileChoice.Directory, "%s", ps.CurrentPath);
  GetWindowRect(dialog, &gState.savedRect);
  GetWindowRect(Item(IDC_CAPTURE_PREVIEW), &gState.previewRect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&gState.previewRect), 2);
  ps.CaptureFullScreen = 0;
  ReadFreeSpace(ps.GrabbFile);
  std::snprintf(gState.currentCaptureFile, sizeof gState.currentCaptureFile, "%s", ps.GrabbFile);
  if (!TYVCAP_AllocWcharArray(&gState.devices, kDeviceRows, kDeviceNameLength)) {
    gState.devices = nullptr;
    return EndWithError("Nicht genug Speicher !");
  }
  ShowTimerMode();
  ShowEndlessControls();
  ShowStamps();
  ShowSizeButton();
  gState.frameBytes = 0;   // until the device tells
  UpdateFrameLimit();
  PostMessageA(dialog, kSetUpMessage, 0, 0);
}

}  // namespace

void SetEndlessPartLimit(uint64_t bytes) { gPartLimit = bytes ? bytes : kEndlessPartBytes; }

INT_PTR CALLBACK CaptureDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case kSetUpMessage:
      SetUpDevice();
      return TRUE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == Item(IDC_CAPTURE_FRAMES_BAR)) OnFrameBar(wParam);
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // The live picture's frame is dark grey where the picture does not reach.
      if (reinterpret_cast<HWND>(lParam) == Item(IDC_CAPTURE_PREVIEW) && gState.previewBrush)
        return reinterpret_cast<INT_PTR>(gState.previewBrush);
      return FALSE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
