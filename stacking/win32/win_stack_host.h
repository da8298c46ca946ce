// The Windows host of the stacking engine: messages through the message-box
// seam, progress in controls 104 (elapsed time) and 105 (step) of the
// progress dialog, "&Pause" and "Abbruch" through ProgramState, pictures
// saved by the save dispatcher, buffers given back under the dialogs'
// backup, and the settings a run reads taken from ProgramState and the ones
// it changes put back.
#pragma once

#include <windows.h>

#include "shell/program_state.h"
#include "stacking/stack_host.h"
#include "stacking/stack_settings.h"

// Controls of a progress dialog.
constexpr int kProgressElapsedId = 104;
constexpr int kProgressStepId = 105;

class WinStackHost : public StackHost {
 public:
  // progress may be null (no texts); messages are then owned by the frame.
  WinStackHost(ProgramState* ps, HWND progress);

  void Message(HostMessage kind, const char* text) override;
  void ShowStep(const char* text) override;
  void ShowElapsed() override;
  bool Poll() override;
  int SavePicture(const char* name, const char* extension, int showErrors, const int16_t* samples,
                  const ImageHeader* h) override;
  void ReleaseBuffer(int16_t** samples) override;
  void SetRestackAvailable(bool available) override;
  void EnterSumLock() override;
  void LeaveSumLock() override;

 private:
  ProgramState* ps_;
  HWND progress_;
  DWORD thread_;   // the thread that owns the dialog
};

// The program's frame window of this process (the owner of messages that
// belong to no dialog, and of the menu), or null.
HWND ProgramFrame();

// "%ld : %02ld : %02ld" of the seconds since RunStartTick.
void FormatElapsed(char* text, size_t capacity, DWORD now, DWORD start);

// The settings of a run, with a snapshot of the hot-pixel list.
StackSettings StackSettingsOf(const ProgramState* ps);
// Puts back what a run changes: the quality mode, the six settings a
// re-stack reads from "recenter.tmp", CheckMethod and Qualitycheck, and the
// dark and flat switches.
void StoreRunSettings(const StackSettings& s, ProgramState* ps);
