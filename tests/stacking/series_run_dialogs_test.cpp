// The re-centring and re-stacking dialogs opened through the program's menu
// under Wine: their templates, the settings they show, a re-centring run
// whose pictures are read back, the controls held while a run goes, an
// abort that ends the dialog only after the run, the raw frames left alone,
// and a re-stack that gives what a full run with its settings gives.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "stack_test_host.h"
#include "stacking/recenter/series_run_ids.h"
#include "stacking/win32/run_stacking.h"
#include "synthetic_series.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

namespace fs = std::filesystem;
using stacktest::FileBytes;

constexpr char kRecenterTitle[] = "Rezentrieren, Vorverarbeitung und Wiederabspeichern von Bildserien";
constexpr char kRestackTitle[] = "Überlagern von Bildserien bei schon vorhandener Zentrierung (nur Automatikmodus)";

// Holds a step so that the dialog can be looked at (TYVORN_SHOT_PAUSE ms).
void PauseForAShot() {
  if (const char* ms = std::getenv("TYVORN_SHOT_PAUSE")) Sleep(DWORD(std::atoi(ms)));
}

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
int BarPos(HWND dlg, int id) { return GetScrollPos(GetDlgItem(dlg, id), SB_CTL); }

std::vector<int16_t> LoadSamples(const std::string& name, ImageHeader* h) {
  int16_t* samples = nullptr;
  ImageMetadata md;
  InitImageHeader(h);
  if (!LoadImageFile(name.c_str(), "fts", 0, &samples, h, &md)) return {};
  std::vector<int16_t> v(samples, samples + size_t(h->width) * h->height * (h->colourType == kColourRgb ? 3 : 1));
  FreeMem(&samples);
  return v;
}

class SeriesRunDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    synth::SeriesSpec spec;
    // The disc stays well inside the frame less the 20 pixels the planet
    // method leaves out, so that its centre is found to the pixel.
    spec.width = 160;
    spec.height = 120;
    spec.radius = 24;
    spec.frames = 8;
    spec.maxShift = 8;
    spec.lowContrastFrame = -1;
    spec.blurScale = 0.0;   // sharp frames: the disc's edge is found alike in all
    series_ = synth::MakeSeries(spec);
    names_ = synth::WriteNumbered(series_, dir_ / "mars_", ".fts", 1);
    fs::create_directories(out_);
    saved_ = std::make_unique<ProgramState>();
    std::memcpy(saved_.get(), &gProgramState, sizeof gProgramState);
    ProgramState& ps = gProgramState;
    ps.Addpicsource = 2;
    ps.FitMethod = 2;
    ps.FitNthPic = 1;
    ps.Interlace = ps.ExcludeBorder = 0;
    ps.DynamikCorrection = 0;
    ps.AddNPics = 1;
    ps.Imagetype = 0;
    ps.NotClose = 0;
    ps.IsDarkcurrent = ps.IsFlatfield = ps.IsNoisefilter = ps.RGBCorrection = ps.FitImageEqualizing = 0;
    ps.HotPixelList.RemoveHotPixel = 0;
    ps.Superres = ps.Subpixelfactor = ps.SubpixPart = ps.SubpixOrigsize = 0;
    ps.CheckMethod = 2;
    ps.Qualitycheck = 1;
    ps.Checkmix = 0.5;
    ps.CheckSelection = 0.5;
    ps.Checkarea = 0.5;
    ps.Safetycopy = 0;
    ps.Protokoll = 0;
    ps.AbortRequested = ps.PauseRequested = 0;
    ps.Scalefactor = 1.0;
    // The FITS entry of the shared format list.
    ps.RecenterFormat = 1;
    std::snprintf(ps.RecenterPath, sizeof ps.RecenterPath, "%s", out_.c_str());
  }
  void TearDown() override {
    ProgramState& ps = gProgramState;
    ps.WorkerLimit = saved_->WorkerLimit;
    AppTest::TearDown();
  }
  std::string Out(int frame) const {
    char name[32];
    std::snprintf(name, sizeof name, "/mars_%03d.fts", frame);
    return out_ + name;
  }
  size_t OutputCount() const { return size_t(std::distance(fs::directory_iterator(out_), {})); }

  pictures::ScratchDir dir_;
  std::string out_ = dir_ / "out";
  synth::Series series_;
  std::vector<std::string> names_;
  std::unique_ptr<ProgramState> saved_;
};

TEST_F(SeriesRunDialogTest, TemplatesHoldTheirControlsAndFitTheSmallScreen) {
  const struct {
    const char* name;
    const char* title;
    std::vector<std::pair<int, const char*>> texts;
  } cases[] = {
      {"rezentrieren",
       kRecenterTitle,
       {{IDC_SR_NEXT, "&Weiter ..."}, {IDC_SR_CLOSE, "&Beenden"}, {IDC_SR_CANCEL, "&Abbruch"},
        {IDC_SR_INTERLACE, "Interlace"}, {IDC_SR_BORDER, "Randausschluß"}, {IDC_SR_NOT_CLOSE, "Nicht schließen"},
        {IDC_SR_AVI, "AVI-File"}, {IDC_SR_NUMBERED, "Nummerierung"}, {IDC_SR_PATH, "Pfad festlegen ..."},
        {IDC_SR_MEAN + 2, "Addieren"}, {IDC_SR_FIT_FIRST, " &Nur Vorverarbeitung"},
        {IDC_SR_PATTERN_NEAR, " Paßmuster in Umgebung"}, {IDC_SR_HOT_LIST, "Hotpixelliste ..."},
        {IDC_SR_GAIN_SETUP, "Verst. Setup ..."}}},
      {"bildseriereadding",
       kRestackTitle,
       {{IDC_SR_NEXT, "&Weiter ..."}, {IDC_SR_CLOSE, "&Pause"}, {IDC_SR_CANCEL, "&Abbruch"},
        {IDC_SR_MEAN + 2, "Fotomodus"}, {IDC_SR_NOT_CLOSE, "Nicht schließen"}, {IDC_SR_RGB_SETUP, "RGB justieren ..."}}},
  };
  for (const auto& c : cases) {
    DialogResourceProbe probe(c.name);
    ASSERT_TRUE(probe.Ok()) << c.name;
    EXPECT_EQ(c.title, probe.Title());
    for (const auto& t : c.texts) EXPECT_EQ(t.second, probe.Text(t.first)) << c.name << " " << t.first;
    EXPECT_LE(probe.Size().cx, 800) << c.name;
    EXPECT_LE(probe.Size().cy, 600) << c.name;
  }
  DialogResourceProbe recenter("rezentrieren");
  EXPECT_EQ("msctls_updown32", recenter.ClassOf(IDC_SR_GROUP_SPIN));
  EXPECT_EQ("ComboBox", recenter.ClassOf(IDC_SR_FORMAT));
}

TEST_F(SeriesRunDialogTest, RecentringWritesEveryFrameOnTheReferencePointHoldingTheControlsMeanwhile) {
  gProgramState.NotClose = 1;
  gProgramState.HotPixelList.RemoveHotPixel = 1;
  ChooserScript choosers;
  choosers.Choose(names_[0]);
  MessageBoxScript boxes;
  bool sawRun = false;
  DialogDriver driver(60000);
  driver.Then(kRecenterTitle, [&](HWND dlg) {
    EXPECT_STREQ(kRecenterTitle, HotKeyDialogTitle[kHotKeySeries]);
    EXPECT_EQ(out_, DialogDriver::ItemText(dlg, IDC_SR_PATH_TEXT));
    EXPECT_EQ("FITS-Bilder (*.FIT)", DialogDriver::ItemText(dlg, IDC_SR_FORMAT));
    EXPECT_EQ("1", DialogDriver::ItemText(dlg, IDC_SR_GROUP));
    EXPECT_TRUE(Enabled(dlg, IDC_SR_HOT_LIST));
    EXPECT_FALSE(Enabled(dlg, IDC_SR_DARK_FILE));
    EXPECT_FALSE(Enabled(dlg, IDC_SR_NTH)) << "every n-th frame is for videos";
    PauseForAShot();
    DialogDriver::Click(dlg, IDC_SR_NEXT);
  });
  driver.Until(kRecenterTitle, [&](HWND dlg) {
    if (DialogDriver::ItemText(dlg, IDC_SR_STATUS).find("Rezentrierung von Bild") != 0) return false;
    sawRun = true;
    for (int id : {IDC_SR_NEXT, IDC_SR_CLOSE, IDC_SR_HOT, IDC_SR_HOT_LIST, IDC_SR_PATH, IDC_SR_FORMAT})
      EXPECT_FALSE(Enabled(dlg, id)) << id;
    EXPECT_TRUE(Enabled(dlg, IDC_SR_CANCEL));
    return true;
  });
  driver.Until(kRecenterTitle, [](HWND dlg) {
    if (DialogDriver::ItemText(dlg, IDC_SR_STATUS) != "Fertig !") return false;
    EXPECT_TRUE(Enabled(dlg, IDC_SR_NEXT));
    DialogDriver::Click(dlg, IDC_SR_CLOSE);
    return true;
  });
  SendCommand(IDM_RECENTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(sawRun);
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Box(0).text : "");
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Erstes Bild der durchnummerierten Serie suchen ...", choosers.Chooser(0).title);
  ASSERT_EQ(8u, OutputCount());
  // Each picture is its frame moved back by as much as the disc had moved
  // against the first frame, give or take the centring's pixel.
  for (int k = 1; k <= 8; ++k) {
    ImageHeader wh, rh;
    const auto written = LoadSamples(Out(k), &wh);
    const auto raw = LoadSamples(names_[size_t(k - 1)], &rh);
    ASSERT_FALSE(written.empty()) << k;
    int32_t s[2] = {0, 0};
    ASSERT_TRUE(synth::FindShift(written.data(), raw.data(), wh, 15, s)) << k;
    const synth::Frame& f = series_.frames[size_t(k - 1)];
    EXPECT_LE(std::abs(s[0] - f.dx), 1) << k << ": moved by " << f.dx << ", shifted by " << s[0];
    EXPECT_LE(std::abs(s[1] - f.dy), 1) << k << ": moved by " << f.dy << ", shifted by " << s[1];
  }
  // The run's settings reach the file.
  char value[32] = "";
  GetPrivateProfileStringA("FitImage", "RecenterFormat", "", value, sizeof value,
                           (std::string(gProgramState.ProgramDirectory) + "\\tyvorn.ini").c_str());
  EXPECT_STREQ("1", value);
}

// Presses "&Abbruch" of its dialog the moment the status shows the third frame.
WNDPROC gStatusProc = nullptr;
bool gStillOpen = false;
LRESULT CALLBACK AbortAtThirdFrame(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTEXT && std::strstr(reinterpret_cast<const char*>(lp), "Rezentrierung von Bild 3 ")) {
    const HWND dlg = GetParent(w);
    SendMessageA(dlg, WM_COMMAND, IDC_SR_CANCEL, 0);
    // Still open: the run has to return first.
    gStillOpen = IsWindow(dlg) && IsWindowVisible(dlg);
  }
  return CallWindowProcA(gStatusProc, w, msg, wp, lp);
}

TEST_F(SeriesRunDialogTest, AbbruchDuringARunStopsItAndEndsTheDialogAfterwards) {
  ChooserScript choosers;
  choosers.Choose(names_[0]);
  MessageBoxScript boxes;
  gProgramState.CheckMethod = 2;
  gStillOpen = false;
  DialogDriver driver(60000);
  driver.Then(kRecenterTitle, [](HWND dlg) {
    gStatusProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(dlg, IDC_SR_STATUS), GWLP_WNDPROC,
                                                              reinterpret_cast<LONG_PTR>(AbortAtThirdFrame)));
    DialogDriver::Click(dlg, IDC_SR_NEXT);
  });
  SendCommand(IDM_RECENTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(gStillOpen);
  EXPECT_EQ(0, DialogDriver::CountWindows(kRecenterTitle));
  // The frame being shown is finished; no further one is started.
  EXPECT_EQ(3u, OutputCount());
  // The settings the run changed went back.
  EXPECT_EQ(2, gProgramState.CheckMethod);
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(SeriesRunDialogTest, PicturesThatWouldReplaceTheRawFramesAreRefused) {
  std::snprintf(gProgramState.RecenterPath, sizeof gProgramState.RecenterPath, "%s", dir_.path().string().c_str());
  std::vector<std::vector<uint8_t>> before;
  for (const auto& n : names_) before.push_back(FileBytes(n));
  gProgramState.NotClose = 1;
  ChooserScript choosers;
  choosers.Choose(names_[0]);
  MessageBoxScript boxes;
  DialogDriver driver(60000);
  driver.Then(kRecenterTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_SR_NEXT); });
  driver.Then(kRecenterTitle, [](HWND dlg) {
    EXPECT_NE("Fertig !", DialogDriver::ItemText(dlg, IDC_SR_STATUS)) << "the run failed";
    EXPECT_TRUE(Enabled(dlg, IDC_SR_NEXT));
    DialogDriver::Click(dlg, IDC_SR_CLOSE);
  });
  SendCommand(IDM_RECENTER);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_NE(std::string::npos, boxes.Box(0).text.find("Rohbilder"));
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  for (size_t i = 0; i < names_.size(); ++i) EXPECT_EQ(before[i], FileBytes(names_[i])) << names_[i];
}

TEST_F(SeriesRunDialogTest, RestackShowsTheSettingsAndTheRecordedSeries) {
  ProgramState& ps = gProgramState;
  ps.CheckSelection = 0.005;
  ps.Checkarea = 0.0;
  ps.Checkmix = 0.7;
  PutProgramFile("recenter.tmp", true);
  {
    // A record file whose head names the series.
    std::vector<char> head(1516 + 1152, 0);
    std::strcpy(head.data(), "C:\\serie\\mars_001.fts");
    FILE* f = std::fopen((std::string(ps.ProgramDirectory) + "\\recenter.tmp").c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(head.data(), 1, head.size(), f);
    std::fclose(f);
  }
  EnableMenuItem(GetMenu(Frame()), IDM_RESTACK, MF_BYCOMMAND | MF_ENABLED);
  ps.ActiveBuffer = 3;
  DialogDriver driver;
  driver.Then(kRestackTitle, [](HWND dlg) {
    EXPECT_EQ("C:\\serie\\mars_001.fts", DialogDriver::ItemText(dlg, IDC_SR_SERIES));
    EXPECT_EQ("Puffer C", DialogDriver::ItemText(dlg, IDC_SR_TARGET));
    EXPECT_EQ("&Pause", DialogDriver::ItemText(dlg, IDC_SR_CLOSE));
    EXPECT_EQ(6, BarPos(dlg, IDC_SR_RATE));
    EXPECT_EQ("0.5 %", DialogDriver::ItemText(dlg, IDC_SR_RATE_TEXT));
    EXPECT_EQ("Planet", DialogDriver::ItemText(dlg, IDC_SR_AREA_TEXT));
    EXPECT_EQ(30, BarPos(dlg, IDC_SR_MIX));
    EXPECT_EQ("70 / 30", DialogDriver::ItemText(dlg, IDC_SR_MIX_TEXT));
    PauseForAShot();
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 11), LPARAM(GetDlgItem(dlg, IDC_SR_RATE)));
    EXPECT_DOUBLE_EQ(0.01, gProgramState.CheckSelection);
    EXPECT_EQ("1.0 %", DialogDriver::ItemText(dlg, IDC_SR_RATE_TEXT));
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 12), LPARAM(GetDlgItem(dlg, IDC_SR_RATE)));
    EXPECT_DOUBLE_EQ(0.02, gProgramState.CheckSelection);
    DialogDriver::Click(dlg, IDC_SR_CANCEL);
  });
  SendCommand(IDM_RESTACK);
  EXPECT_TRUE(driver.Done());
  EXPECT_DOUBLE_EQ(0.005, gProgramState.CheckSelection) << "cancel puts the settings back";
}

TEST_F(SeriesRunDialogTest, WithoutTheQualitySortTheQualityBarsAreOff) {
  PutProgramFile("recenter.tmp", true);
  EnableMenuItem(GetMenu(Frame()), IDM_RESTACK, MF_BYCOMMAND | MF_ENABLED);
  gProgramState.CheckMethod = 1;
  DialogDriver driver;
  driver.Then(kRestackTitle, [](HWND dlg) {
    for (int id : {IDC_SR_RATE, IDC_SR_RATE_TEXT, IDC_SR_AREA, IDC_SR_MIX_TEXT}) EXPECT_FALSE(Enabled(dlg, id)) << id;
    EXPECT_TRUE(Enabled(dlg, IDC_SR_MEAN));
    DialogDriver::Click(dlg, IDC_SR_CANCEL);
  });
  SendCommand(IDM_RESTACK);
  EXPECT_TRUE(driver.Done());
}

// A full run writes "recenter.tmp"; the dialog stacks again with other
// quality and result settings into buffer A; a full run with those settings
// into buffer B gives the same picture.
TEST_F(SeriesRunDialogTest, RestackGivesWhatAFullRunWithItsSettingsGives) {
  ProgramState& ps = gProgramState;
  ps.WorkerLimit = 1;
  char series[kPathSize];
  std::snprintf(series, sizeof series, "%s", names_[0].c_str());
  MessageBoxScript boxes;
  ps.TargetBuffer = 2;
  ASSERT_EQ(1, RunStackingSingle(nullptr, series, nullptr, &ps, 1));
  ASSERT_TRUE(fs::exists(std::string(ps.ProgramDirectory) + "\\recenter.tmp"));
  ClearSlot(2, &ps);

  ps.ActiveBuffer = 1;
  DialogDriver driver(60000);
  driver.Then(kRestackTitle, [](HWND dlg) {
    // 25 % of the frames, two thirds sharpness, accumulated.
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 35), LPARAM(GetDlgItem(dlg, IDC_SR_RATE)));
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), LPARAM(GetDlgItem(dlg, IDC_SR_MIX)));
    DialogDriver::Click(dlg, IDC_SR_MEAN + 1);
    DialogDriver::Click(dlg, IDC_SR_NEXT);
  });
  SendCommand(IDM_RESTACK);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, DialogDriver::CountWindows(kRestackTitle));
  EXPECT_DOUBLE_EQ(0.25, ps.CheckSelection);
  EXPECT_DOUBLE_EQ(0.7, ps.Checkmix);
  EXPECT_EQ(1, ps.Imagetype);
  ASSERT_EQ(1, IsSlotLoaded(1, &ps));
  EXPECT_STREQ(names_[0].c_str(), ps.SeriesPath);

  ps.TargetBuffer = 2;
  std::snprintf(series, sizeof series, "%s", names_[0].c_str());
  ASSERT_EQ(1, RunStackingSingle(nullptr, series, nullptr, &ps, 1));
  ImageHeader a, b;
  ASSERT_EQ(1, GetSlotHeader(&a, 1, &ps));
  ASSERT_EQ(1, GetSlotHeader(&b, 2, &ps));
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  const size_t n = size_t(a.width) * a.height;
  EXPECT_TRUE(std::equal(GetSlotPixels(1, &ps), GetSlotPixels(1, &ps) + n, GetSlotPixels(2, &ps)));
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Box(0).text : "");
}

// The pause holds the run; an abort while it holds ends the run, and the
// dialog closes once the run has returned.
TEST_F(SeriesRunDialogTest, AbortWhilePausedEndsTheRestack) {
  ProgramState& ps = gProgramState;
  ps.WorkerLimit = 1;
  char series[kPathSize];
  std::snprintf(series, sizeof series, "%s", names_[0].c_str());
  MessageBoxScript boxes;
  ASSERT_EQ(1, RunStackingSingle(nullptr, series, nullptr, &ps, 1));
  ClearSlot(1, &ps);
  DialogDriver driver(60000);
  driver.Then(kRestackTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_SR_NEXT); });
  driver.Until(kRestackTitle, [](HWND dlg) {
    if (DialogDriver::ItemText(dlg, IDC_SR_STATUS).find("Bild") == std::string::npos) return false;
    DialogDriver::Click(dlg, IDC_SR_CLOSE);
    EXPECT_EQ("&Weitermachen", DialogDriver::ItemText(dlg, IDC_SR_CLOSE));
    EXPECT_EQ(1, gProgramState.PauseRequested);
    return true;
  });
  driver.Until(kRestackTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_SR_CANCEL);
    return true;
  });
  SendCommand(IDM_RESTACK);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, DialogDriver::CountWindows(kRestackTitle));
  EXPECT_EQ(0, IsSlotLoaded(1, &ps));
  EXPECT_EQ(0, ps.PauseRequested);
}

}  // namespace
