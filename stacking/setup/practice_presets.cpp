#include "stacking/setup/practice_presets.h"

#include "shell/dialogkit/control_values.h"
#include "shell/hotkey_titles.h"
#include "shell/desktop.h"
#include "stacking/setup/setup_ids.h"

namespace {

#define FIELD(member) KIT_FIELD(ProgramState, member)

// The settings a preset may write, in the order of the table's columns.
constexpr FieldRef kColumns[] = {
    FIELD(Superres),        FIELD(Preprocess), FIELD(Qualitycheck), FIELD(Imagetype),  FIELD(Subpixelfactor),
    FIELD(SubpixPart),      FIELD(FitImageEqualizing), FIELD(Gaintype), FIELD(Gainauto), FIELD(FitMethod),
    FIELD(Searchradius),    FIELD(CheckMethod), FIELD(Checkmix),    FIELD(Checkarea),  FIELD(CheckSelection),
    FIELD(ExcludeBorder),
};
#undef FIELD
constexpr int kColumnCount = sizeof kColumns / sizeof kColumns[0];

constexpr double N = -1;   // not written

struct Preset {
  int id;
  double values[kColumnCount];
};

// Superres, Preprocess, Qualitycheck, Imagetype, Subpixelfactor, SubpixPart,
// Equalizing, Gaintype, Gainauto, FitMethod, Searchradius, CheckMethod,
// Checkmix, Checkarea, CheckSelection, ExcludeBorder.
constexpr Preset kPresets[] = {
    {IDC_PRESET_DARK,        {0, 0, 0, 0, 0, 0, 0, N, N, 0, N, 0, N, N, N, 0}},
    {IDC_PRESET_FLAT,        {0, 0, 0, 0, 0, 0, 0, N, N, 0, N, 0, N, N, N, 0}},
    {IDC_PRESET_PLANETS,     {1, 1, 1, 0, 1, 1, 0, N, N, 1, N, 2, 0.5, 0.0, 0.1, 1}},
    {IDC_PRESET_MOONS,       {0, 1, 1, 0, 0, 0, 1, 1, 0, 1, N, 2, 1.0, 0.0, 0.8, 1}},
    {IDC_PRESET_SUN,         {0, 1, 1, 0, 0, 0, 0, N, N, 1, N, 2, 0.5, 0.0, 0.8, 1}},
    {IDC_PRESET_SUNSPOT,     {0, 1, 1, 0, 1, 1, 0, N, N, 4, 50, 2, 0.5, 0.5, 0.1, 1}},
    {IDC_PRESET_PROMINENCES, {0, 1, 1, 0, 0, 0, 0, N, N, 3, N, 2, 0.5, 0.5, 0.2, 1}},
    {IDC_PRESET_HALPHA,      {0, 1, 1, 0, 0, 0, 0, N, N, 4, 50, 2, 0.5, 0.8, 0.2, 1}},
    {IDC_PRESET_MOON,        {0, 1, 1, 0, 0, 0, 0, N, N, 1, N, 2, 0.5, 0.0, 0.8, 1}},
    {IDC_PRESET_CRATERS,     {0, 0, 1, 0, 0, 0, 0, N, N, 4, 50, 2, 0.5, 0.5, 0.1, 1}},
    {IDC_PRESET_COMETS,      {0, 1, 1, 0, 0, 0, 1, 2, 0, 4, 50, 2, 1.0, 0.4, 0.8, 1}},
    {IDC_PRESET_DEEPSKY,     {0, 1, 0, 0, 0, 0, 1, 1, 0, 4, 50, N, N, N, N, 1}},
    {IDC_PRESET_GENERAL,     {0, 1, 0, 0, 0, 0, 0, N, N, 4, 50, 0, N, N, N, 1}},
};

}  // namespace

int ApplyPracticePreset(int buttonId, ProgramState* ps) {
  for (const Preset& p : kPresets) {
    if (p.id != buttonId) continue;
    for (int i = 0; i < kColumnCount; ++i)
      if (p.values[i] != N) WriteField(ps, kColumns[i], p.values[i]);
    return 1;
  }
  return 0;
}

INT_PTR CALLBACK DefaultPresetDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  static ProgramState* ps = nullptr;
  switch (message) {
    case WM_INITDIALOG: {
      ps = lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState;
      RegisterHotKeyDialog(kHotKeyStackingPage, dialog);
      HWND owner = GetWindow(dialog, GW_OWNER);
      CentreWindow(owner ? owner : GetDesktopWindow(), dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        // Leaving without a choice changes nothing.
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (!ApplyPracticePreset(id, ps)) return FALSE;
      EndDialog(dialog, 1);
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR ShowPracticePresets(HWND owner, ProgramState* ps) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), "defaultpreset", owner, DefaultPresetDlgProc,
                         reinterpret_cast<LPARAM>(ps));
}
