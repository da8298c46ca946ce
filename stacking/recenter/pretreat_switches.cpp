#include "stacking/recenter/pretreat_switches.h"

#include "stacking/recenter/series_run_ids.h"
#include "stacking/setup/setting_bars.h"
#include "stacking/setup/setup_pages.h"
#include "stacking/win32/hot_pixel_commands.h"

const CheckSpec kPretreatChecks[6] = {
    {IDC_SR_GAIN, STACK_FIELD(FitImageEqualizing), false}, {IDC_SR_NOISE, STACK_FIELD(IsNoisefilter), false},
    {IDC_SR_RGB, STACK_FIELD(RGBCorrection), false},       {IDC_SR_FLAT, STACK_FIELD(IsFlatfield), false},
    {IDC_SR_DARK, STACK_FIELD(IsDarkcurrent), false},      {IDC_SR_HOT, STACK_FIELD(HotPixelList.RemoveHotPixel), false},
};

namespace {

constexpr int kButtons[6] = {IDC_SR_GAIN_SETUP, IDC_SR_NOISE_SETUP, IDC_SR_RGB_SETUP,
                             IDC_SR_FLAT_FILE,  IDC_SR_DARK_FILE,   IDC_SR_HOT_LIST};

}  // namespace

void EnablePretreatButtons(HWND dialog, const ProgramState* ps) {
  for (int i = 0; i < 6; ++i)
    EnableWindow(GetDlgItem(dialog, kButtons[i]), ReadField(ps, kPretreatChecks[i].field) != 0);
}

bool HandlePretreatButton(HWND dialog, int id, ProgramState* ps) {
  switch (id) {
    case IDC_SR_GAIN_SETUP: ShowSetupPage(dialog, SetupPage::kGain, ps); return true;
    case IDC_SR_NOISE_SETUP: ShowNoiseSetup(dialog, ps); return true;
    case IDC_SR_RGB_SETUP: ShowRgbSetup(dialog, true, ps); return true;
    case IDC_SR_FLAT_FILE: ChooseCalibrationFile(dialog, ps->Flatfield, "Flatfield festlegen ...", ps); return true;
    case IDC_SR_DARK_FILE:
      ChooseCalibrationFile(dialog, ps->Darkcurrent, "Dunkelstromdatei festlegen ...", ps);
      return true;
    case IDC_SR_HOT_LIST: SelectHotPixelList(dialog, ps); return true;
  }
  return false;
}
