#include "stacking/win32/win_stack_host.h"

#include <cstdio>
#include <cstring>

#include "imageio/picture_files.h"
#include "shell/menu_ids.h"
#include "shell/message_box.h"
#include "shell/workers.h"

namespace {

constexpr DWORD kPauseStepMs = 200;

void CopyText(char* dst, const char* src) { std::snprintf(dst, kSettingsPathSize, "%s", src); }

// The program's frame window ("HauptFenster") of this process, whose menu
// holds the re-stack command.
BOOL CALLBACK FindFrame(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[32] = "";
  if (process != GetCurrentProcessId() || !GetClassNameA(window, name, sizeof name) ||
      std::strcmp(name, "HauptFenster") != 0)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}


}  // namespace

WinStackHost::WinStackHost(ProgramState* ps, HWND progress)
    : ps_(ps), progress_(progress), thread_(GetCurrentThreadId()) {}

void WinStackHost::Message(HostMessage kind, const char* text) {
  const HWND owner = progress_ ? progress_ : ProgramFrame();
  if (kind == HostMessage::kError)
    ShowMessageBox(owner, text, kTitleError, MB_OK | MB_ICONSTOP);
  else
    ShowMessageBox(owner, text, kTitleNote, MB_OK | MB_ICONEXCLAMATION);
}

void WinStackHost::ShowStep(const char* text) {
  if (progress_ && GetCurrentThreadId() == thread_) SetDlgItemTextA(progress_, kProgressStepId, text);
}

void WinStackHost::ShowElapsed() {
  // Long operators call this from worker threads too; only the dialog's
  // own thread writes into it.
  if (!progress_ || GetCurrentThreadId() != thread_) return;
  char text[64];
  FormatElapsed(text, sizeof text, GetTickCount(), ps_->RunStartTick);
  SetDlgItemTextA(progress_, kProgressElapsedId, text);
}

bool WinStackHost::Poll() {
  PumpPendingMessages();
  while (ps_->PauseRequested && !ps_->AbortRequested) {
    Sleep(kPauseStepMs);
    PumpPendingMessages();
  }
  ShowElapsed();
  return ps_->AbortRequested != 0;
}

int WinStackHost::SavePicture(const char* name, const char* extension, int showErrors, const int16_t* samples,
                              const ImageHeader* h) {
  return SaveImageFile(name, extension, showErrors, samples, h);
}

void WinStackHost::ReleaseBuffer(int16_t** samples) { ReleaseStateBuffer(ps_, samples); }

void WinStackHost::SetRestackAvailable(bool available) {
  if (const HMENU menu = GetMenu(ProgramFrame()))
    EnableMenuItem(menu, IDM_RESTACK, MF_BYCOMMAND | (available ? MF_ENABLED : MF_GRAYED));
}

void WinStackHost::EnterSumLock() { EnterCriticalSection(&ps_->SumLock); }
void WinStackHost::LeaveSumLock() { LeaveCriticalSection(&ps_->SumLock); }

HWND ProgramFrame() {
  HWND frame = nullptr;
  EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&frame));
  return frame;
}

void FormatElapsed(char* text, size_t capacity, DWORD now, DWORD start) {
  const DWORD s = (now - start) / 1000;
  std::snprintf(text, capacity, "%ld : %02ld : %02ld", long(s / 3600), long((s / 60) % 60), long(s % 60));
}

StackSettings StackSettingsOf(const ProgramState* ps) {
  StackSettings s;
  CopyText(s.Flatfield, ps->Flatfield);
  s.IsFlatfield = ps->IsFlatfield;
  CopyText(s.Darkcurrent, ps->Darkcurrent);
  s.IsDarkcurrent = ps->IsDarkcurrent;
  s.IsNoisefilter = ps->IsNoisefilter;
  s.Filtertype = ps->Filtertype;
  s.Pseudomedian = ps->Pseudomedian;
  s.Sigmaradius = ps->Sigmaradius;
  s.RGBCorrBlueXshift = ps->RGBCorrBlueXshift;
  s.RGBCorrBlueYshift = ps->RGBCorrBlueYshift;
  s.BlueSize = ps->BlueSize;
  s.RGBCorrRedXshift = ps->RGBCorrRedXshift;
  s.RGBCorrRedYshift = ps->RGBCorrRedYshift;
  s.RedSize = ps->RedSize;
  s.FitMethod = ps->FitMethod;
  s.PatternRect = ps->PatternRect;
  s.FitColor = ps->FitColor;
  s.Searchradius = ps->Searchradius;
  s.MinCorrelation = ps->MinCorrelation;
  s.Interlace = ps->Interlace;
  s.ExcludeBorder = ps->ExcludeBorder;
  s.FitImageEqualizing = ps->FitImageEqualizing;
  s.RGBCorrection = ps->RGBCorrection;
  s.DynamikCorrection = ps->DynamikCorrection;
  s.CheckMethod = ps->CheckMethod;
  s.CheckSharpness = ps->CheckSharpness;
  s.CheckDistortion = ps->CheckDistortion;
  s.CheckSelection = ps->CheckSelection;
  s.Safetycopy = ps->Safetycopy;
  s.SafeSort = ps->SafeSort;
  s.Logfile = ps->Logfile;
  CopyText(s.Logfilename, ps->Logfilename);
  CopyText(s.SortPicPath, ps->SortPicPath);
  s.Checkarea = ps->Checkarea;
  s.Checkmix = ps->Checkmix;
  s.Subpixelfactor = ps->Subpixelfactor;
  s.SubpixPart = ps->SubpixPart;
  s.SubpixOrigsize = ps->SubpixOrigsize;
  s.Addpicsource = ps->Addpicsource;
  s.Imagetype = ps->Imagetype;
  s.FitNthPic = ps->FitNthPic;
  s.Turbo = ps->Turbo;
  s.Gaintype = ps->Gaintype;
  s.Gaingamma = ps->Gaingamma;
  s.Gainauto = ps->Gainauto;
  s.Superres = ps->Superres;
  s.Preprocess = ps->Preprocess;
  s.Qualitycheck = ps->Qualitycheck;
  s.Protokoll = ps->Protokoll;
  const HotPixelListBlock& hot = ps->HotPixelList;
  s.hotPixels.on = hot.RemoveHotPixel != 0;
  s.hotPixels.width = hot.Width;
  s.hotPixels.height = hot.Height;
  if (hot.Entries && hot.Count > 0) {
    const auto* e = static_cast<const uint16_t*>(hot.Entries);
    s.hotPixels.entries.assign(e, e + size_t(hot.Count) * 4);
  }
  return s;
}

void StoreRunSettings(const StackSettings& s, ProgramState* ps) {
  ps->CheckSharpness = s.CheckSharpness;
  ps->CheckDistortion = s.CheckDistortion;
  ps->CheckMethod = s.CheckMethod;
  ps->Qualitycheck = s.Qualitycheck;
  ps->Interlace = s.Interlace;
  ps->Superres = s.Superres;
  ps->Subpixelfactor = s.Subpixelfactor;
  ps->SubpixPart = s.SubpixPart;
  ps->SubpixOrigsize = s.SubpixOrigsize;
  ps->ExcludeBorder = s.ExcludeBorder;
  ps->IsDarkcurrent = s.IsDarkcurrent;
  ps->IsFlatfield = s.IsFlatfield;
}
