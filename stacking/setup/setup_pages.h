// The set-up pages of stacking: small modal dialogs that each edit the
// settings of one step of a stacking run in ProgramState and, on
// "&Übernehmen", write the step's summary line (StepTexts). Shared by the
// step-by-step dialog, the one-page dialog (the pre-amplification page), the
// batch and the time-lapse set-up.
//
// Every page takes the backup when it opens and puts it back on "&Abbruch";
// out-of-range settings are brought into what the controls show before the
// backup is taken. A page closes only through its two buttons. The noise
// filter and RGB set-ups a page opens work on gProgramState.
#pragma once

#include <windows.h>

#include "shell/program_state.h"

enum class SetupPage {
  kSource,         // "rohbildquelle", step 1
  kPretreatment,   // "rohbildsetup", step 2
  kGain,           // "gainsetup", opened from the pre-treatment
  kCentring,       // "zentriersetup", step 3
  kSubpixel,       // "subpixsetup", step 4
  kQuality,        // "qualitychecksetup", step 5
  kResult,         // "ergebnissetup", step 6
  kProtocol,       // "protokollsetup"
};

// Shows the page modally over owner on ps (gProgramState when null): 1 after
// "&Übernehmen", 0 after "&Abbruch".
INT_PTR ShowSetupPage(HWND owner, SetupPage page, ProgramState* ps = nullptr);
// The page's template name.
const char* SetupPageTemplate(SetupPage page);
// The step whose text the page writes (1..6), 0 for the gain and protocol pages.
int SetupPageStep(SetupPage page);

// The pages' procedures; the dialog's parameter is the ProgramState (null:
// gProgramState).
INT_PTR CALLBACK RawSourceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RawPretreatDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GainSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CenteringSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SubpixelSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK QualityCheckSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ResultSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProtocolSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Step texts of gProgramState (StepTexts[0..5]) from its settings.
void BuildStep1Text();
void BuildStep2Text();
void BuildStep3Text();
void BuildStep4Text();
void BuildStep5Text();
void BuildStep6Text();
// The same for step 1..6 of any record.
void BuildStepText(int step, ProgramState* ps);

// The quality page: ticks the mode button of CheckMethod and enables or
// disables the three sliders with their texts.
void EnableQualityCheckControls(HWND dialog, int enable);

// The picture filter of the stacking choosers: the picture formats without videos.
extern const char* const kStackPictureFilter;
// The flat-field and dark-frame buttons: asks for a picture starting at the
// current name; a cancelled chooser keeps it. 1 when a file was chosen.
int ChooseCalibrationFile(HWND owner, char* field, const char* title, ProgramState* ps);
// The RGB alignment as the set-up of the pre-treatment (OpenedFromSetup 1),
// its template by sizes and measure (template_choice.h).
INT_PTR ShowRgbSetup(HWND owner, bool byWidth, ProgramState* ps);
// The noise filter likewise.
INT_PTR ShowNoiseSetup(HWND owner, ProgramState* ps);
