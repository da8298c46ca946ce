#include "raw_photos.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "picture_files.h"
#include "ppm_picture.h"
#include "shell/message_box.h"
#include "shell/multi_selection.h"
#include "shell/program_state.h"
#include "shell/workers.h"

namespace {

constexpr int kConsoleWidth = 660;
constexpr int kConsoleHeight = 90;

// Converters started since the program began; their console windows cascade.
int gStarted = 0;

void SetCurrentPath(const std::string& directory) {
  std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s", directory.c_str());
}

bool Exists(const char* name) {
  FILE* f = std::fopen(name, "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace

int StartDcraw(const char* photo) {
  if (!photo) return 0;
  ProgramState* ps = &gProgramState;
  char program[kPathSize + 16];
  if (std::snprintf(program, sizeof program, "%s\\dcraw.exe", ps->ProgramDirectory) >= int(sizeof program)) return 0;
  // Both names quoted: program directories and photos may hold spaces.
  const std::string text = std::string("\"") + program + "\" -v -4 -w -o 0 -q 1 -m 1 \"" + photo + "\"";
  std::vector<char> commandLine(text.begin(), text.end());
  commandLine.push_back('\0');

  const int limit = std::clamp(ps->WorkerLimit, 1, kMaxWorkers);
  const int step = gStarted % limit;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USEPOSITION | STARTF_USESIZE;
  startup.dwX = DWORD(std::max(0, step * 30 + (ps->ScreenWidth - kConsoleWidth) / 4));
  startup.dwY = DWORD(std::max(0, step * 80 + (ps->ScreenHeight - kConsoleHeight) / 4));
  startup.dwXSize = kConsoleWidth;
  startup.dwYSize = kConsoleHeight;

  // Below a limit of 2 nothing waits for a slot; finished converters still
  // leave the list here, and a full list waits rather than overrun.
  RemoveEndedWorkers(ps);
  while (ps->RunningWorkers >= kMaxWorkers) WaitForOneWorker(ps);

  PROCESS_INFORMATION process{};
  const char* directory = ps->CurrentPath[0] ? ps->CurrentPath : nullptr;
  if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                      directory, &startup, &process))
    return 0;
  // The process handle tells when the converter is done; the thread's is never needed.
  CloseHandle(process.hThread);
  AppendWorker(ps, process.hProcess);
  ++gStarted;
  WaitForWorkerSlot(ps, 0);
  return 1;
}

int ConvertChosenRawPhotos(const char* selection, size_t size) {
  MultiSelection chosen;
  if (!ParseMultiSelection(selection, size, &chosen)) return 0;
  SetCurrentPath(chosen.directory);
  for (size_t i = 0; i < chosen.names.size(); ++i) {
    const std::string photo = ChosenPath(chosen, i);
    if (photo.size() > kFitsNameLimit) {
      ShowMessageBoxF(PictureOwnerWindow(), kTitleError, MB_OK | MB_ICONSTOP,
                      "Filename %s\nist für die FITS-Bibliothek zu lang !Maximal 128 Zeichen sind möglich.",
                      photo.c_str());
      return 0;
    }
    char ppm[kPathSize + 8];
    if (PpmNameOf(ppm, sizeof ppm, photo.c_str()) && Exists(ppm)) continue;
    StartDcraw(photo.c_str());
  }
  return 1;
}

int DeleteChosenFiles(const char* selection, size_t size) {
  MultiSelection chosen;
  if (!ParseMultiSelection(selection, size, &chosen)) return 0;
  SetCurrentPath(chosen.directory);
  for (size_t i = 0; i < chosen.names.size(); ++i) DeleteFileA(ChosenPath(chosen, i).c_str());
  return 1;
}
