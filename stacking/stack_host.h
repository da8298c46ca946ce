// What the stacking engine needs of the program around it: message boxes,
// progress texts, the pause and abort buttons, the elapsed time, saving
// pictures and giving back buffers that ProgramState owns. The Windows
// dialogs implement it with their controls and the message-box seam; the
// native programs and tests with plain code. Platform-free.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// An error box ("Fehlermeldung", stop icon) or a note ("Programmhinweis",
// exclamation icon).
enum class HostMessage { kError, kNote };

class StackHost {
 public:
  virtual ~StackHost() = default;

  // Shows a message at once, owned by the progress window (errors of the
  // frame window's kind may go to the frame window).
  virtual void Message(HostMessage kind, const char* text) = 0;

  // The current step of the run (control 105 of the progress dialog).
  virtual void ShowStep(const char*) {}
  // Writes the time since the run started (control 104).
  virtual void ShowElapsed() {}
  // Between two frames: keeps the windows alive, holds while the user
  // pauses and tells whether the user has aborted. True: stop the run.
  virtual bool Poll() { return false; }

  // Saves a picture by its extension ("fts", "PNG", ...); 1 saved.
  virtual int SavePicture(const char*, const char*, int, const int16_t*, const ImageHeader*) { return 0; }
  // Frees a sample buffer that the settings own and clears the pointer
  // (a dialog's backup may still need it).
  virtual void ReleaseBuffer(int16_t** samples) { FreeMem(samples); }
  // Greys or enables the command that re-stacks from "recenter.tmp".
  virtual void SetRestackAvailable(bool) {}

  // Held around every addition into a run's shared sum (workers of a
  // threaded run add at the same time); by default one lock of the process.
  virtual void EnterSumLock();
  virtual void LeaveSumLock();
};

// The host whose ShowElapsed the long image operators reach through
// ShowElapsedTime (null: none); set by a run for its duration.
void SetElapsedTimeHost(StackHost* host);
// Progress callback of the image operators: writes the elapsed time of the
// run in progress; the arguments are ignored.
void ShowElapsedTime(int32_t total, int32_t first);
