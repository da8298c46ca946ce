// The practice presets "defaultpreset": each object type writes its row of
// settings and leaves every other setting as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "stacking/setup/practice_presets.h"
#include "stacking/setup/setup_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"

namespace {

constexpr char kTitle[] = "Unverbindliche Empfehlungen aus der Praxis";
constexpr double N = -1;   // the row leaves the setting alone

// The settings a preset may write, in the columns below.
struct Columns {
  double Superres, Preprocess, Qualitycheck, Imagetype, Subpixelfactor, SubpixPart, Equalizing, Gaintype, Gainauto,
      FitMethod, Searchradius, CheckMethod, Checkmix, Checkarea, CheckSelection, ExcludeBorder;
};

Columns Read(const ProgramState& ps) {
  return {double(ps.Superres),   double(ps.Preprocess),     double(ps.Qualitycheck), double(ps.Imagetype),
          double(ps.Subpixelfactor), double(ps.SubpixPart), double(ps.FitImageEqualizing), double(ps.Gaintype),
          double(ps.Gainauto),   double(ps.FitMethod),      double(ps.Searchradius), double(ps.CheckMethod),
          ps.Checkmix,           ps.Checkarea,              ps.CheckSelection,       double(ps.ExcludeBorder)};
}

// Values no preset writes, in every field.
void Sentinels(ProgramState* ps) {
  ps->Superres = ps->Preprocess = ps->Qualitycheck = 7;
  ps->Imagetype = ps->Subpixelfactor = ps->SubpixPart = ps->FitImageEqualizing = 7;
  ps->Gaintype = ps->Gainauto = ps->FitMethod = ps->Searchradius = ps->CheckMethod = ps->ExcludeBorder = 7;
  ps->Checkmix = ps->Checkarea = ps->CheckSelection = 0.77;
  ps->SubpixOrigsize = 7, ps->Gaingamma = 0.77, ps->Protokoll = 7, ps->Addpicsource = 7;
}

class PracticePresetsTest : public AppTest {};

TEST_F(PracticePresetsTest, TheTemplateShowsThirteenTypesAndFourNotes) {
  DialogResourceProbe probe("defaultpreset");
  ASSERT_TRUE(probe.Ok());
  EXPECT_EQ(kTitle, probe.Title());
  EXPECT_EQ("Planetenmonde", probe.Text(IDC_PRESET_MOONS));
  EXPECT_EQ("Darkframe", probe.Text(IDC_PRESET_DARK));
  EXPECT_FALSE(probe.Has(102));
  const auto texts = probe.Texts();
  for (const char* note : {"Die Werte hier sind allgemeine Erfahrungswerte und kein Muß.",
                           "Die optimalen Werte für die eigene Kamera und Fernrohr bitte ausprobieren.",
                           "Bitte Qualitätscheck / Verwendungsrate extra an das Seeing anpassen.",
                           "Bitte Vorbehandlung der Rohbilder zusätzlich an die Bildqualität anpassen."})
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), note)) << note;
  EXPECT_LE(probe.Size().cx, 800);
  EXPECT_LE(probe.Size().cy, 600);
}

TEST_F(PracticePresetsTest, EachButtonWritesItsRowAndNothingElse) {
  const struct {
    int id;
    const char* label;
    Columns row;
  } presets[] = {
      {114, "Darkframe", {0, 0, 0, 0, 0, 0, 0, N, N, 0, N, 0, N, N, N, 0}},
      {108, "Flatfield", {0, 0, 0, 0, 0, 0, 0, N, N, 0, N, 0, N, N, N, 0}},
      {113, "Planeten", {1, 1, 1, 0, 1, 1, 0, N, N, 1, N, 2, 0.5, 0.0, 0.1, 1}},
      {101, "Planetenmonde", {0, 1, 1, 0, 0, 0, 1, 1, 0, 1, N, 2, 1.0, 0.0, 0.8, 1}},
      {107, "ganze Sonne", {0, 1, 1, 0, 0, 0, 0, N, N, 1, N, 2, 0.5, 0.0, 0.8, 1}},
      {106, "Sonnenfleck", {0, 1, 1, 0, 1, 1, 0, N, N, 4, 50, 2, 0.5, 0.5, 0.1, 1}},
      {105, "Protuberanzen", {0, 1, 1, 0, 0, 0, 0, N, N, 3, N, 2, 0.5, 0.5, 0.2, 1}},
      {104, "H-Alpha", {0, 1, 1, 0, 0, 0, 0, N, N, 4, 50, 2, 0.5, 0.8, 0.2, 1}},
      {112, "ganzer Mond", {0, 1, 1, 0, 0, 0, 0, N, N, 1, N, 2, 0.5, 0.0, 0.8, 1}},
      {111, "Mondkrater", {0, 0, 1, 0, 0, 0, 0, N, N, 4, 50, 2, 0.5, 0.5, 0.1, 1}},
      {110, "Kometen", {0, 1, 1, 0, 0, 0, 1, 2, 0, 4, 50, 2, 1.0, 0.4, 0.8, 1}},
      {109, "Deep Sky", {0, 1, 0, 0, 0, 0, 1, 1, 0, 4, 50, N, N, N, N, 1}},
      {103, "Allgemein", {0, 1, 0, 0, 0, 0, 0, N, N, 4, 50, 0, N, N, N, 1}},
  };
  for (const auto& p : presets) {
    Sentinels(&gProgramState);
    const Columns before = Read(gProgramState);
    DialogDriver driver;
    driver.Then(kTitle, [&](HWND dlg) {
      EXPECT_EQ(p.label, DialogDriver::ItemText(dlg, p.id));
      DialogDriver::Click(dlg, p.id);
    });
    EXPECT_EQ(1, ShowPracticePresets(Frame())) << p.label;
    EXPECT_TRUE(driver.Done());
    const Columns after = Read(gProgramState);
    const double* want = &p.row.Superres;
    const double* was = &before.Superres;
    const double* got = &after.Superres;
    for (size_t i = 0; i < sizeof(Columns) / sizeof(double); ++i)
      EXPECT_DOUBLE_EQ(want[i] == N ? was[i] : want[i], got[i]) << p.label << ", column " << i;
    EXPECT_EQ(7, gProgramState.SubpixOrigsize) << p.label;
    EXPECT_EQ(0.77, gProgramState.Gaingamma) << p.label;
    EXPECT_EQ(7, gProgramState.Protokoll) << p.label;
    EXPECT_EQ(7, gProgramState.Addpicsource) << p.label;
  }
}

// Leaving without a choice (close box, Esc) writes nothing.
TEST_F(PracticePresetsTest, TheCloseBoxEndsWithZeroAndWritesNothing) {
  Sentinels(&gProgramState);
  const Columns before = Read(gProgramState);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) { SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(0, ShowPracticePresets(Frame()));
  const Columns after = Read(gProgramState);
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
}

}  // namespace
