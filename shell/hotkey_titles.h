// The title registry of the keyboard hook: a dialog that takes part copies
// its window title into its family's entry when it opens, and the hook finds
// the active dialog by class and title. Entries are never cleared; a stale
// title simply matches no window.
#pragma once

#include <windows.h>

// Families in the hook's matching order; several templates may share one.
enum HotKeyFamily {
  kHotKeyFilter,        // "filtersetup3"
  kHotKeyContrast,      // "kontrastierung2" and the large contrast dialog
  kHotKeyPalette,       // "farbpalette"
  kHotKeyNoise,         // "rauschfilter"
  kHotKeyPointSpread,   // POINTSPREADFCT800/1024
  kHotKeyPattern,       // "passmuster", "koordadding", "derotadding"
  kHotKeyEnlarge,       // "vergroessern"
  kHotKeyMirror,        // "flipmirror" (registers, no key)
  kHotKeySeries,        // "ueberlagermethode2", "rezentrieren", "bildseriereadding"
  kHotKeyFlat,          // "flatfield"
  kHotKeyDark,          // "dunkelfeld"
  kHotKeyManual,        // "handanpass"
  kHotKeySelect,        // "bildanpass"
  kHotKeyShift,         // "shiftdifferenz"
  kHotKeyCopy,          // "puffercopy"
  kHotKeyDelete,        // "pufferdelete"
  kHotKeyRgb,           // "rgbkorrektur"
  kHotKeyFormats,       // "grafiksetup" (registers, no key)
  kHotKeyAvi,           // "aviripper" (registers, no key)
  kHotKeyBatch,         // "batchprocess", "batchweiter"
  kHotKeyCapture,       // "dxaufnahme"
  kHotKeyStacking,      // step-by-step stacking dialog (no key)
  kHotKeyStackingPage,  // its set-up pages (no key)
  kHotKeyFamilyCount
};

constexpr int kHotKeyTitleSize = 81;

extern char HotKeyDialogTitle[kHotKeyFamilyCount][kHotKeyTitleSize];

// Copies the dialog's window title (at most 79 characters) into the family's
// entry and keeps its handle; call it from WM_INITDIALOG once the title is
// final.
void RegisterHotKeyDialog(HotKeyFamily family, HWND dialog);

// The family's last registered dialog while it is still open under its
// registered title (the capture dialog takes Escape in full screen wherever
// the focus is); null otherwise.
HWND RegisteredHotKeyDialog(HotKeyFamily family);
