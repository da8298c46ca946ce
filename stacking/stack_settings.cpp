#include "stacking/stack_settings.h"

#include <cmath>

namespace {

double Within(double v, double lo, double hi, double ifNan) {
  if (std::isnan(v)) return ifNan;
  return v < lo ? lo : v > hi ? hi : v;
}

int32_t Within(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

void ClampStackSettings(StackSettings* s) {
  s->CheckSelection = Within(s->CheckSelection, 0.0, 1.0, 0.25);
  s->Checkmix = Within(s->Checkmix, 0.0, 1.0, 0.5);
  s->Checkarea = std::isnan(s->Checkarea) ? 0.5 : s->Checkarea < 0.0 ? 0.0 : s->Checkarea > 1.0 ? 1.0 : s->Checkarea;
  if (s->FitNthPic < 1) s->FitNthPic = 1;
  s->Subpixelfactor = Within(s->Subpixelfactor, 0, 2);
  s->Imagetype = Within(s->Imagetype, 0, 2);
  s->Filtertype = Within(s->Filtertype, 0, 9);
  if (std::isnan(s->Sigmaradius)) s->Sigmaradius = 5.0;
  if (std::isnan(s->MinCorrelation)) s->MinCorrelation = 0.85;
  if (std::isnan(s->Gaingamma)) s->Gaingamma = 1.0;
  if (s->Searchradius < 1) s->Searchradius = 1;
}

int32_t SumFactor(const StackSettings& s) {
  if (s.Superres != 1) return 1;
  return s.Subpixelfactor == 1 ? 2 : s.Subpixelfactor == 2 ? 4 : 1;
}
