// The frame of every set-up and editing dialog: what happens when it opens,
// the one way out, and the state while a run is going.
//
// Opening takes the backup of ProgramState, makes the active buffer source
// and target, puts the source buffer's name into the title, registers the
// title for the keyboard hook, centres the dialog over its owner, ticks the
// target's radio button and checks the source picture, all before the
// dialog sets up anything of its own. An empty or unsuitable source is
// refused with the dialog's own message; the dialog then either ends at once
// (as by cancel) or stays open with its confirm button disabled.
//
// The way out: CommitDialogFrame keeps the undo copy of the target, runs the
// dialog's apply step (which may install a result into the target), saves the
// dialog's settings group and ends with 1; CancelDialogFrame puts the backup
// back and ends with 0. Both free every block and GDI object the dialog
// handed to the frame. While a run is going (BeginDialogRun, or the apply
// step of a commit) the dialog's controls are disabled, a second commit is
// ignored and a cancel is held back until the run returns.
//
// A dialog on the kit:
//
//   constexpr DialogFrameSpec kSpec = {
//     kHotKeyNoise,              // hot-key family (shell/hotkey_titles.h)
//     nullptr,                   // title format with %s for the source buffer's name; null keeps the template's
//     kSectionNoisefilter,       // settings group saved on commit; 0 for none
//     0,                         // first of the radio buttons "Puffer &A".."&D" choosing the target; 0 for none
//     IDC_NOISE_OK,              // confirm button, disabled while the source is refused
//     kFrameSetupAware | kFrameUndoTarget,
//     nullptr, nullptr,          // texts for an empty source ("Der %s ist leer !") and a grey one
//   };
//   DialogFrame gFrame;          // one per dialog, program-wide
//
//   case WM_INITDIALOG:
//     if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk && ...) return TRUE;
//     DialogFrameOwnBlock(&gFrame, &gWorkCopy);    // freed on every way out
//     ...
//   case IDC_NOISE_OK:      CommitDialogFrame(&gFrame, ApplyNoiseFilterStep, nullptr); break;
//   case IDC_NOISE_CANCEL:
//   case IDCANCEL:          CancelDialogFrame(&gFrame); break;
//   case WM_DESTROY:        DialogFrameDestroyed(&gFrame); break;   // a dialog ended from outside
//
// Colour messages of the controls (WM_CTLCOLOR...) get the default handling:
// return FALSE for them; the 3-D control library does not exist on x64.
#pragma once

#include <windows.h>

#include "shell/hotkey_titles.h"
#include "shell/program_state.h"

enum DialogFrameFlags : unsigned {
  // The dialog also serves as a set-up page (OpenedFromSetup 1): then it
  // works on no buffer, checks no source and keeps no undo copy.
  kFrameSetupAware = 1u << 0,
  kFrameNeedsPicture = 1u << 1,      // refuse an empty source buffer
  kFrameNeedsColour = 1u << 2,       // refuse a picture that is not colour (type 1)
  kFrameEndsOnRefusal = 1u << 3,     // a refused source ends the dialog with 0 (else it stays open)
  kFrameUndoTarget = 1u << 4,        // commit keeps the target buffer's undo copy before the apply step
  kFrameNoCentre = 1u << 5,          // leave the template's position
  kFrameKeepsBuffers = 1u << 6,      // a page that leaves SourceBuffer and TargetBuffer as they are
};

// The family of a dialog the keyboard hook does not serve: no entry is written.
constexpr HotKeyFamily kNoHotKeyEntry = kHotKeyFamilyCount;

struct DialogFrameSpec {
  HotKeyFamily family;
  const char* titleFormat;
  int settingsSection;
  int targetRadioA;
  int confirmId;
  unsigned flags;
  const char* emptyText;             // with %s for the buffer's name; null: "Der %s ist leer !"
  const char* notColourText;         // may hold %s for the name; null: "Das Bild ist kein Farbbild !"
};

enum class FrameSource {
  kOk,
  kSetupOnly,        // opened as a set-up page: no source is checked
  kEmpty,            // refused, the message has been shown
  kNotColour,        // refused, the message has been shown
};

// What the apply step of a commit reports.
enum class ApplyOutcome {
  kDone,             // end with 1
  kStay,             // failed; the dialog stays open (the step showed why)
  kEndFailed,        // failed; end with 0, the settings stay as they are now
};

constexpr int kFrameMaxOwned = 16;
constexpr int kFrameMaxDisabled = 256;

struct DialogFrame {
  const DialogFrameSpec* spec;
  HWND dialog;
  ProgramState* ps;
  bool open;                         // between OpenDialogFrame and the way out
  bool setupOnly;
  int runDepth;
  bool cancelHeld;                   // a cancel came while a run was going
  int disabledCount;
  HWND disabled[kFrameMaxDisabled];  // controls BeginDialogRun disabled
  int blockCount;
  void** blocks[kFrameMaxOwned];     // addresses of the dialog's AllocMem pointers
  int gdiCount;
  HGDIOBJ* gdi[kFrameMaxOwned];      // addresses of the dialog's GDI handles
  int cleanupCount;
  void (*cleanups[kFrameMaxOwned])(void*);
  void* cleanupContexts[kFrameMaxOwned];
};

// Opens the frame on ps, gProgramState when null (see above). With
// kFrameEndsOnRefusal a refused source has ended the dialog when this returns.
FrameSource OpenDialogFrame(DialogFrame* frame, const DialogFrameSpec* spec, HWND dialog, ProgramState* ps = nullptr);

// The frame frees *field with FreeMem (or DeleteObject) on every way out,
// whatever it points to then; a null field is skipped. Register statics.
void DialogFrameOwnBlock(DialogFrame* frame, void** field);
template <typename T>
inline void DialogFrameOwnBlock(DialogFrame* frame, T** field) {
  DialogFrameOwnBlock(frame, reinterpret_cast<void**>(field));
}
void DialogFrameOwnGdi(DialogFrame* frame, HGDIOBJ* field);
template <typename T>
inline void DialogFrameOwnGdi(DialogFrame* frame, T* field) {
  static_assert(sizeof(T) == sizeof(HGDIOBJ), "a GDI handle");
  DialogFrameOwnGdi(frame, reinterpret_cast<HGDIOBJ*>(field));
}

// Run at every way out, after the owned blocks and objects are freed: for
// what the dialog holds beyond blocks and handles.
void DialogFrameAtExit(DialogFrame* frame, void (*cleanup)(void* context), void* context);
// The pane's bitmap is deleted and the tab host's page destroyed on every way out.
struct PreviewPane;
struct TabHost;
void DialogFrameOwnPane(DialogFrame* frame, PreviewPane* pane);
void DialogFrameOwnTabs(DialogFrame* frame, TabHost* tabs);

// Target radio buttons: sets TargetBuffer from a clicked id and ticks it; 1
// when the id was one of them.
int HandleTargetRadio(DialogFrame* frame, int id);

using ApplyStep = ApplyOutcome (*)(DialogFrame* frame, void* context);

// The confirm button. Ignored while a run is going. apply may be null
// (nothing to do but keep the settings); in set-up mode it is not called.
void CommitDialogFrame(DialogFrame* frame, ApplyStep apply, void* context);
// Cancel, Esc and the close box: held back while a run is going (and
// AbortRequested set), done at once otherwise.
void CancelDialogFrame(DialogFrame* frame);
// Ends the dialog with result, keeping the settings as they are now (no
// restore, nothing saved): for a dialog that reports a failure and ends.
void EndDialogFrame(DialogFrame* frame, INT_PTR result);
// From WM_DESTROY: a dialog that was ended without the way out (its owner
// went away, a test's watchdog) is cancelled and its resources freed.
void DialogFrameDestroyed(DialogFrame* frame);

// Starts a run: every enabled control of the dialog (pages of a tab host
// included) but the ids in keep is disabled. Runs may nest.
void BeginDialogRun(DialogFrame* frame, const int* keep = nullptr, int keepCount = 0);
bool DialogRunActive(const DialogFrame* frame);
// Ends a run: the controls come back. When a cancel was held back it is done
// now and 1 is returned (the dialog is ending); 0 otherwise.
int EndDialogRun(DialogFrame* frame);
// The frame of the dialog window (or of the dialog a tab page belongs to)
// while it is open; null otherwise.
DialogFrame* DialogFrameOf(HWND window);
