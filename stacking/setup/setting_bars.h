// The sliders of the stacking settings, shared by the set-up pages and the
// one-page dialog so that both map positions and show values alike; each
// dialog gives its own control ids.
#pragma once

#include "shell/dialogkit/control_values.h"
#include "shell/program_state.h"

#define STACK_FIELD(member) KIT_FIELD(ProgramState, member)

// Every n-th video frame, 1..1024: "jedes Bild", "jedes %ld. Bild".
constexpr BarSpec EveryNthBar(int bar, int text) {
  return {bar, text, 1, 1024, 8, BarMap::kLinear, 1.0, BarText::kEveryNth, "jedes %ld. Bild", STACK_FIELD(FitNthPic)};
}
// Sharpness against distortion: the bar counts the distortion's share.
constexpr BarSpec CheckMixBar(int bar, int text) {
  return {bar, text, 0, 100, 10, BarMap::kReversed, 0.01, BarText::kMixRatio, "%ld / %ld", STACK_FIELD(Checkmix)};
}
// Usage rate: 0.1 % steps up to 1 %, then 1 % steps to 100 %.
constexpr BarSpec UsageRateBar(int bar, int text) {
  return {bar, text, 2, 110, 5, BarMap::kUsageRate, 1.0, BarText::kHundredfold, "%3.1lf %%", STACK_FIELD(CheckSelection)};
}
// Check region as a fraction of the picture; 0 is the planet's disc.
constexpr BarSpec CheckAreaBar(int bar, int text) {
  return {bar, text, 0, 100, 10, BarMap::kLinear, 0.01, BarText::kCheckArea, "%4.2lf", STACK_FIELD(Checkarea)};
}
// Gamma of the pre-amplification: 0.01 steps below 1, 0.1 steps to 10.
constexpr BarSpec GainGammaBar(int bar, int text) {
  return {bar, text, 1, 190, 10, BarMap::kStrength, 1.0, BarText::kDouble, "%6.3lf", STACK_FIELD(Gaingamma)};
}
