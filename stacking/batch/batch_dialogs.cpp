#include "stacking/batch/batch_dialogs.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imageio/picture_formats.h"
#include "imageio/recenter_formats.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/menu_ids.h"
#include "shell/message_box.h"
#include "shell/settings.h"
#include "shell/workers.h"
#include "stacking/batch/batch_ids.h"
#include "stacking/pattern/pattern_dialogs.h"
#include "stacking/recenter/recenter_naming.h"
#include "stacking/setup/classic_stack_dialog.h"
#include "stacking/setup/setup_pages.h"
#include "stacking/setup/stack_wizard_dialog.h"
#include "stacking/stack_settings.h"
#include "stacking/win32/run_stacking.h"
#include "stacking/win32/win_stack_host.h"

namespace {

void CopyText(char* dst, const char* src, size_t capacity) { std::snprintf(dst, capacity, "%s", src); }

// --- the machine's shutdown

void ShutDownMachine(ProgramState* ps) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  const bool found = LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) != 0;
  const bool adjusted =
      found && AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) && GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  if (!adjusted) return;
  ps->QuitWithoutAsking = 1;
  ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0);
}

ShutdownRequest gShutdown = ShutDownMachine;

// --- one dialog's batch

struct Batch {
  explicit Batch(bool resumes) : resume(resumes) {}
  const bool resume;
  DialogFrame frame{};
  std::vector<BatchJobRecord> jobs;
  int32_t first = 0;          // first job of the last definition
  int32_t inProgress = 0;     // the job running, or where the next run starts
  bool shutdown = false;
  bool finished = false;
  bool paused = false;        // "&Pause" kept the rest in "batch.tmp"
};

Batch gBatch(false);
Batch gResume(true);

constexpr DialogFrameSpec kSpec = {kHotKeyBatch, nullptr, 0, 0, 0, kFrameKeepsBuffers, nullptr, nullptr};
constexpr char kTooMany[] = "Mehr als 50 Einzeljobs geht nicht.";
constexpr char kOverwrites[] = "Das Ergebnis %s\nwürde ein Rohbild überschreiben !\nDieser Job wird nicht angelegt.";

void BatchFile(char* path, size_t capacity, const ProgramState* ps) { BatchFilePath(path, capacity, ps->ProgramDirectory); }

void EnableResumeCommand(bool on) {
  if (const HMENU menu = GetMenu(ProgramFrame()))
    EnableMenuItem(menu, IDM_BATCH_RESUME, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void AddLine(HWND dialog, const BatchJobRecord& job) {
  char line[2 * kBatchTextSize + 8];
  std::snprintf(line, sizeof line, "%s -> %s", job.source, job.target);
  SendDlgItemMessageA(dialog, IDC_BATCH_LIST, LB_ADDSTRING, 0, LPARAM(line));
}

void ShowList(HWND dialog, const Batch& b) {
  SendDlgItemMessageA(dialog, IDC_BATCH_LIST, LB_RESETCONTENT, 0, 0);
  for (size_t i = size_t(b.inProgress); i < b.jobs.size(); ++i) AddLine(dialog, b.jobs[i]);
}

void ShowStepTexts(HWND dialog, const ProgramState* ps) {
  for (int i = 0; i < kStepTextCount; ++i) SetDlgItemTextA(dialog, IDC_BATCH_STEP1 + i, ps->StepTexts[i]);
}

// The six lines of a job as the step-by-step dialog would show them.
void BuildJobStepTexts(ProgramState* ps) {
  for (int step = 1; step <= kStepTextCount; ++step) BuildStepText(step, ps);
  if (ps->Preprocess != 1) CopyText(ps->StepTexts[1], "2. Keine Verarbeitung vor der Überlagerung", 256);
  if (ps->Superres != 1) CopyText(ps->StepTexts[3], "4. Überlagerung auf ein Pixel genau", 256);
  if (ps->Qualitycheck != 1) CopyText(ps->StepTexts[4], "5. Alle Bilder werden überlagert", 256);
}

const char* FormatExtension(const ProgramState* ps) { return RecenterFormatExtension(ValidRecenterFormat(ps->RecenterFormat)); }

// The source with its last four characters replaced by the extension.
void ProposeTarget(char* target, size_t capacity, const char* source, const char* extension) {
  const size_t n = std::strlen(source);
  std::snprintf(target, capacity, "%.*s%s", int(n > 4 ? n - 4 : 0), source, extension);
}

bool Refused(HWND dialog, const BatchJobRecord& job) {
  if (!OverwritesSeriesInput(job.target, job.source, job.Addpicsource)) return false;
  ShowMessageBoxF(dialog, kTitleNote, MB_OK | MB_ICONEXCLAMATION, kOverwrites, job.target);
  return true;
}

// The set-up dialog of a definition, then the pattern of methods 3 and 4.
bool DefineSettings(HWND dialog, ProgramState* ps, bool severalSeries) {
  ps->OpenedFromSetup = 1;
  ps->DefiningBatchJob = severalSeries ? 1 : 0;
  const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), ps->Classicmode ? "ueberlagermethode2" : "ueberlagermethode3",
                                    dialog, ps->Classicmode ? ClassicStackDlgProc : StackWizardDlgProc, LPARAM(ps));
  ps->OpenedFromSetup = 0;
  ps->DefiningBatchJob = 0;
  if (r != 1) return false;
  if (ps->FitMethod != kFitPatternFull && ps->FitMethod != kFitPatternNear) return true;
  return OpenPatternFamilyDialog(dialog, ps->FitMethod, kSizesByLines, ps->ScreenHeight) == 1;
}

void DefineSingleJob(HWND dialog, Batch* b, ProgramState* ps) {
  if (b->jobs.size() >= size_t(kMaxBatchJobs)) {
    ShowMessageBox(dialog, kTooMany, kTitleNote, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  if (ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureOpenFilter,
                            "Erstes Bild bzw. AVI bestimmen ...", dialog) != 1)
    return;
  BatchJobRecord job;
  CopyText(job.source, f.Path, sizeof job.source);
  if (!DefineSettings(dialog, ps, false)) return;
  ProposeTarget(f.Path, sizeof f.Path, job.source, FormatExtension(ps));
  if (ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureSaveFilter,
                         "Resultat abspeichern unter ..", dialog) != 1)
    return;
  CopyText(job.target, f.Path, sizeof job.target);
  SettingsToJob(&job, ps);
  if (Refused(dialog, job)) return;
  SetDlgItemTextA(dialog, IDC_BATCH_TARGET, job.target);
  b->first = int32_t(b->jobs.size());
  b->jobs.push_back(job);
  AddLine(dialog, job);
}

void DefineSeveralJobs(HWND dialog, Batch* b, ProgramState* ps) {
  std::vector<char> list(65536, '\0');
  char directory[kChoiceTextSize] = "";
  char drive = 0;
  if (ShowMultiOpenDialog(list.data(), directory, &drive, ps->CurrentPath, kPictureOpenFilter,
                          "AVIs oder Bildserien auswählen", 0, ProgramFrame()) != 1)
    return;
  // One file: its full path; several: the directory, then each name.
  std::vector<std::string> names;
  for (const char* p = list.data(); *p && p < list.data() + list.size(); p += std::strlen(p) + 1) names.push_back(p);
  std::string dir;
  if (names.size() == 1) {
    const size_t cut = names[0].find_last_of("\\/");
    dir = cut == std::string::npos ? "" : names[0].substr(0, cut);
    names[0] = cut == std::string::npos ? names[0] : names[0].substr(cut + 1);
  } else if (!names.empty()) {
    dir = names.front();
    names.erase(names.begin());
  }
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  CopyText(ps->CurrentPath, dir.c_str(), sizeof ps->CurrentPath);
  const LRESULT format = SendDlgItemMessageA(dialog, IDC_BATCH_FORMAT, CB_GETCURSEL, 0, 0);
  ps->RecenterFormat = ValidRecenterFormat(int32_t(format));
  const size_t before = b->jobs.size();
  for (const std::string& name : names) {
    if (b->jobs.size() >= size_t(kMaxBatchJobs)) {
      // The jobs added so far still get their settings below.
      ShowMessageBox(dialog, kTooMany, kTitleNote, MB_OK | MB_ICONEXCLAMATION);
      break;
    }
    BatchJobRecord job;
    std::snprintf(job.source, sizeof job.source, "%s\\%s", dir.c_str(), name.c_str());
    ProposeTarget(job.target, sizeof job.target, job.source, FormatExtension(ps));
    job.Addpicsource = ps->Addpicsource;
    if (Refused(dialog, job)) continue;
    b->jobs.push_back(job);
    AddLine(dialog, job);
  }
  if (b->jobs.size() == before) return;
  if (!DefineSettings(dialog, ps, true)) {
    b->jobs.resize(before);
    ShowList(dialog, *b);
    return;
  }
  BatchJobRecord settings;
  SettingsToJob(&settings, ps);
  for (size_t i = before; i < b->jobs.size(); ++i) {
    BatchJobRecord& job = b->jobs[i];
    std::memcpy(settings.source, job.source, sizeof job.source);
    std::memcpy(settings.target, job.target, sizeof job.target);
    job = settings;
  }
  b->first = int32_t(before);
}

void RunJob(HWND dialog, BatchJobRecord* job, ProgramState* ps) {
  JobToSettings(*job, ps);
  if (ps->FitMethod == kFitPatternFull || ps->FitMethod == kFitPatternNear) {
    // The run tells when the template could not be cut.
    const size_t n = std::strlen(ps->PatternFile);
    PreparePatternTemplate(0, ps->PatternFile, ps->PatternFile + (n > 4 ? n - 4 : 0), ps);
  }
  SetDlgItemTextA(dialog, IDC_BATCH_TARGET, job->target);
  BuildJobStepTexts(ps);
  ShowStepTexts(dialog, ps);
  // A job is checked again when it runs: the series may have grown.
  if (Refused(dialog, *job)) return;
  char source[kPathSize];
  CopyText(source, job->source, sizeof source);
  ps->AviFrameIndex = 0;
  if (ps->WorkerLimit == 1)
    RunStackingSingle(dialog, source, job->target, ps, 1);
  else
    RunStackingThreaded(dialog, source, job->target, ps, 1);
}

void Run(HWND dialog, Batch* b) {
  DialogFrame* frame = &b->frame;
  ProgramState* ps = frame->ps;
  if (DialogRunActive(frame) || b->inProgress >= int32_t(b->jobs.size())) return;
  const int keep[] = {IDC_BATCH_CANCEL, IDC_BATCH_PAUSE};
  BeginDialogRun(frame, keep, 2);
  ps->SafeSort = 0;
  WorkerStopFlag = 0;
  ps->RunStartTick = GetTickCount();
  BatchJobRecord before;
  SettingsToJob(&before, ps);
  // Nothing starts after "&Abbruch" or "&Pause".
  while (b->inProgress < int32_t(b->jobs.size()) && !ps->AbortRequested) {
    RunJob(dialog, &b->jobs[size_t(b->inProgress)], ps);
    if (ps->AbortRequested) break;
    SendDlgItemMessageA(dialog, IDC_BATCH_LIST, LB_DELETESTRING, 0, 0);
    ++b->inProgress;
  }
  const bool completed = !ps->AbortRequested;
  JobToSettings(before, ps);
  SaveSettings(ps, kSectionFitImage, nullptr);
  ps->PauseRequested = 0;
  // A cancel during the batch restores the settings and ends the dialog now.
  if (EndDialogRun(frame)) return;
  if (b->paused) {
    EndDialogFrame(frame, 1);
    return;
  }
  if (!completed) return;
  b->finished = true;
  if (!b->resume) {
    b->jobs.clear();
    b->inProgress = b->first = 0;
  }
  SetDlgItemTextA(dialog, IDC_BATCH_STATUS, "Batch fertig abgearbeitet !");
  SetDlgItemTextA(dialog, IDC_BATCH_CANCEL, "&Beenden");
  SetDlgItemTextA(dialog, IDC_BATCH_PAUSE, "&Pause");
  if (b->resume) {
    char path[kPathSize + 32];
    BatchFile(path, sizeof path, ps);
    std::remove(path);
    EnableResumeCommand(false);
  }
  if (b->shutdown) gShutdown(ps);
}

// The batch dialog's "&Pause": the rest of the batch goes to "batch.tmp" and
// the dialog ends once the running job has stopped.
void Pause(HWND dialog, Batch* b) {
  ProgramState* ps = b->frame.ps;
  if (b->resume) {
    if (!DialogRunActive(&b->frame) || b->finished) return;
    ps->PauseRequested = ps->PauseRequested ? 0 : 1;
    SetDlgItemTextA(dialog, IDC_BATCH_PAUSE, ps->PauseRequested ? "&Weitermachen" : "&Pause");
    return;
  }
  if (ps->AbortRequested || b->finished) return;
  char path[kPathSize + 32];
  BatchFile(path, sizeof path, ps);
  const int32_t index = DialogRunActive(&b->frame) ? b->inProgress : 0;
  if (!WriteBatchFile(path, int32_t(b->jobs.size()), index, b->jobs.data())) {
    ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "%s\nkann nicht geschrieben werden !", path);
    return;
  }
  EnableResumeCommand(true);
  b->paused = true;
  if (!DialogRunActive(&b->frame)) {
    EndDialogFrame(&b->frame, 1);
    return;
  }
  WorkerStopFlag = 1;
  ps->AbortRequested = 1;
}

void Cancel(Batch* b) {
  if (DialogRunActive(&b->frame)) {
    WorkerStopFlag = 1;
    b->frame.ps->AbortRequested = 1;
  }
  CancelDialogFrame(&b->frame);
}

void Open(HWND dialog, Batch* b, ProgramState* ps) {
  OpenDialogFrame(&b->frame, &kSpec, dialog, ps);
  b->jobs.clear();
  b->first = b->inProgress = 0;
  b->shutdown = b->finished = b->paused = false;
  for (auto& text : ps->StepTexts) text[0] = '\0';
  ps->PauseRequested = 0;
  ps->AbortRequested = 0;
  WorkerStopFlag = 0;
  SetDlgItemTextA(dialog, IDC_BATCH_PAUSE, "&Pause");
  if (!b->resume) {
    ps->Classicmode = ps->Classicbatch;
    CheckDlgButton(dialog, IDC_BATCH_CLASSIC, ps->Classicbatch ? BST_CHECKED : BST_UNCHECKED);
    const HWND formats = GetDlgItem(dialog, IDC_BATCH_FORMAT);
    for (const RecenterFormatEntry& f : kRecenterFormats) SendMessageA(formats, CB_ADDSTRING, 0, LPARAM(f.listText));
    SendMessageA(formats, CB_SETCURSEL, WPARAM(ValidRecenterFormat(ps->RecenterFormat)), 0);
    return;
  }
  char path[kPathSize + 32];
  BatchFile(path, sizeof path, ps);
  const BatchFileStatus status = ReadBatchFile(path, &b->jobs, &b->inProgress);
  if (status != BatchFileStatus::kOk) {
    if (status == BatchFileStatus::kBroken)
      ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP,
                      "%s\nist beschädigt: der Batch kann nicht fortgesetzt werden !", path);
    CancelDialogFrame(&b->frame);
    return;
  }
  ShowList(dialog, *b);
}

bool Command(HWND dialog, Batch* b, int id) {
  ProgramState* ps = b->frame.ps;
  switch (id) {
    case IDC_BATCH_RUN: Run(dialog, b); return true;
    case IDC_BATCH_PAUSE: Pause(dialog, b); return true;
    case IDC_BATCH_CANCEL:
    case IDCANCEL: Cancel(b); return true;
    case IDC_BATCH_SHUTDOWN:
      b->shutdown = !b->shutdown;
      CheckDlgButton(dialog, IDC_BATCH_SHUTDOWN, b->shutdown ? BST_CHECKED : BST_UNCHECKED);
      return true;
  }
  if (b->resume || DialogRunActive(&b->frame)) return false;
  switch (id) {
    case IDC_BATCH_SINGLE: DefineSingleJob(dialog, b, ps); return true;
    case IDC_BATCH_MULTI: DefineSeveralJobs(dialog, b, ps); return true;
    case IDC_BATCH_CLEAR:
      b->jobs.clear();
      b->first = b->inProgress = 0;
      b->finished = false;
      SendDlgItemMessageA(dialog, IDC_BATCH_LIST, LB_RESETCONTENT, 0, 0);
      return true;
    case IDC_BATCH_CLASSIC:
      ps->Classicbatch = ps->Classicbatch ? 0 : 1;
      ps->Classicmode = ps->Classicbatch;
      CheckDlgButton(dialog, IDC_BATCH_CLASSIC, ps->Classicbatch ? BST_CHECKED : BST_UNCHECKED);
      return true;
  }
  return false;
}

INT_PTR Procedure(Batch* b, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog, b, lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState);
      return TRUE;
    case WM_COMMAND:
      if (!b->frame.open) return FALSE;
      return Command(dialog, b, LOWORD(wParam));
    case WM_DESTROY:
      DialogFrameDestroyed(&b->frame);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void SettingsToJob(BatchJobRecord* j, const ProgramState* ps) {
  j->FitMethod = ps->FitMethod;
  j->Imagetype = ps->Imagetype;
  j->PatternRect = ps->PatternRect;
  j->Searchradius = ps->Searchradius;
  j->MinCorrelation = ps->MinCorrelation;
  CopyText(j->PatternPath, ps->PatternFile, sizeof j->PatternPath);
  j->PatternFrameIndex = ps->PatternFrameIndex;
  j->Interlace = ps->Interlace;
  j->ExcludeBorder = ps->ExcludeBorder;
  j->Equalizing = ps->FitImageEqualizing;
  j->RGBCorrection = ps->RGBCorrection;
  j->BlueXshift = ps->RGBCorrBlueXshift;
  j->BlueYshift = ps->RGBCorrBlueYshift;
  j->BlueSize = ps->BlueSize;
  j->RedXshift = ps->RGBCorrRedXshift;
  j->RedYshift = ps->RGBCorrRedYshift;
  j->RedSize = ps->RedSize;
  j->SeparateMethod = ps->SeparateMethod;
  CopyText(j->Flatfield, ps->Flatfield, sizeof j->Flatfield);
  j->IsFlatfield = ps->IsFlatfield;
  CopyText(j->Darkcurrent, ps->Darkcurrent, sizeof j->Darkcurrent);
  j->IsDarkcurrent = ps->IsDarkcurrent;
  j->IsNoisefilter = ps->IsNoisefilter;
  j->Filtertype = ps->Filtertype;
  j->Pseudomedian = ps->Pseudomedian;
  j->Effect = ps->Effect;
  j->Sigmaradius = ps->Sigmaradius;
  j->DynamikCorrection = ps->DynamikCorrection;
  j->CheckMethod = ps->CheckMethod;
  j->CheckSharpness = ps->CheckSharpness;
  j->CheckDistortion = ps->CheckDistortion;
  j->CheckSelection = ps->CheckSelection;
  j->Safetycopy = ps->Safetycopy;
  j->Checkarea = ps->Checkarea;
  j->Checkmix = ps->Checkmix;
  j->Subpixelfactor = ps->Subpixelfactor;
  j->SubpixPart = ps->SubpixPart;
  j->SubpixOrigsize = ps->SubpixOrigsize;
  j->Addpicsource = ps->Addpicsource;
  j->FitNthPic = ps->FitNthPic;
  j->PatternFrameTried = ps->PatternFrameTried;
  j->Gaintype = ps->Gaintype;
  j->Gaingamma = ps->Gaingamma;
  j->Gainauto = ps->Gainauto;
  j->Superres = ps->Superres;
  j->Preprocess = ps->Preprocess;
  j->Qualitycheck = ps->Qualitycheck;
}

void JobToSettings(const BatchJobRecord& j, ProgramState* ps) {
  ps->FitMethod = j.FitMethod;
  ps->Imagetype = j.Imagetype;
  ps->PatternRect = j.PatternRect;
  ps->Searchradius = j.Searchradius;
  ps->MinCorrelation = j.MinCorrelation;
  CopyText(ps->PatternFile, j.PatternPath, sizeof ps->PatternFile);
  ps->PatternFrameIndex = j.PatternFrameIndex;
  ps->Interlace = j.Interlace;
  ps->ExcludeBorder = j.ExcludeBorder;
  ps->FitImageEqualizing = j.Equalizing;
  ps->RGBCorrection = j.RGBCorrection;
  ps->RGBCorrBlueXshift = j.BlueXshift;
  ps->RGBCorrBlueYshift = j.BlueYshift;
  ps->BlueSize = j.BlueSize;
  ps->RGBCorrRedXshift = j.RedXshift;
  ps->RGBCorrRedYshift = j.RedYshift;
  ps->RedSize = j.RedSize;
  ps->SeparateMethod = j.SeparateMethod;
  CopyText(ps->Flatfield, j.Flatfield, sizeof ps->Flatfield);
  ps->IsFlatfield = j.IsFlatfield;
  CopyText(ps->Darkcurrent, j.Darkcurrent, sizeof ps->Darkcurrent);
  ps->IsDarkcurrent = j.IsDarkcurrent;
  ps->IsNoisefilter = j.IsNoisefilter;
  ps->Filtertype = j.Filtertype;
  ps->Pseudomedian = j.Pseudomedian;
  ps->Effect = j.Effect;
  ps->Sigmaradius = j.Sigmaradius;
  ps->DynamikCorrection = j.DynamikCorrection;
  ps->CheckMethod = j.CheckMethod;
  ps->CheckSharpness = j.CheckSharpness;
  ps->CheckDistortion = j.CheckDistortion;
  ps->CheckSelection = j.CheckSelection;
  ps->Safetycopy = j.Safetycopy;
  ps->Checkarea = j.Checkarea;
  ps->Checkmix = j.Checkmix;
  ps->Subpixelfactor = j.Subpixelfactor;
  ps->SubpixPart = j.SubpixPart;
  ps->SubpixOrigsize = j.SubpixOrigsize;
  ps->Addpicsource = j.Addpicsource;
  ps->FitNthPic = j.FitNthPic;
  ps->PatternFrameTried = j.PatternFrameTried;
  ps->Gaintype = j.Gaintype;
  ps->Gaingamma = j.Gaingamma;
  ps->Gainauto = j.Gainauto;
  ps->Superres = j.Superres;
  ps->Preprocess = j.Preprocess;
  ps->Qualitycheck = j.Qualitycheck;
}

void SetShutdownRequest(ShutdownRequest request) { gShutdown = request ? request : ShutDownMachine; }

INT_PTR CALLBACK BatchProcessDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Procedure(&gBatch, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK BatchResumeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Procedure(&gResume, dialog, message, wParam, lParam);
}
