// tyvorn.exe as a user starts it: one instance only, the table file and
// the deleted debug log at start, the close question, and every settings
// section written at exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "tests/app/program_runner.h"

namespace {

TEST(Program, RunsOnceAsksBeforeClosingAndSavesEverySectionAtExit) {
  const std::string folder = FreshFolder();
  const std::string ini = folder + "\\tyvorn.ini";
  // Start-up overrules both: the one-page mode is off, the clock is actual.
  WritePrivateProfileStringA("FitImage", "Classicmode", "TRUE", ini.c_str());
  WritePrivateProfileStringA("Time", "IsActual", "FALSE", ini.c_str());
  // The log of the last run goes at start.
  const std::string debugLog = folder + "\\debug.log";
  WritePrivateProfileStringA("alt", "alt", "alt", debugLog.c_str());

  Program first(folder);
  ASSERT_TRUE(first.started) << ProgramPath();
  const HWND frame = WaitForWindow(first.info.dwProcessId, "HauptFenster", nullptr, 30000);
  ASSERT_TRUE(frame) << "no frame window";
  char title[128] = "";
  GetWindowTextA(frame, title, sizeof title);
  EXPECT_STREQ("Tyvorn 2.21 - Astronomische Bildverarbeitung", title);
  WIN32_FILE_ATTRIBUTE_DATA table;
  ASSERT_TRUE(GetFileAttributesExA((folder + "\\trigon.tab").c_str(), GetFileExInfoStandard, &table));
  EXPECT_EQ(294920u, table.nFileSizeLow);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(debugLog.c_str())) << "debug.log was not deleted";

  Program second(FreshFolder());
  ASSERT_TRUE(second.started);
  ASSERT_TRUE(second.EndsWithin(10000)) << "a second instance keeps running";
  EXPECT_EQ(0u, second.ExitCode());
  EXPECT_FALSE(FindTopWindow(second.info.dwProcessId, "HauptFenster", nullptr));

  for (int answer : {IDNO, IDYES}) {
    PostMessageA(frame, WM_CLOSE, 0, 0);
    const HWND box = WaitForWindow(first.info.dwProcessId, "#32770", "Programmfrage", 10000);
    ASSERT_TRUE(box) << "no close question";
    Answer(box, answer);
    if (answer == IDNO) {
      EXPECT_FALSE(first.EndsWithin(500)) << "No ended the program";
      EXPECT_TRUE(IsWindow(frame));
    }
  }
  ASSERT_TRUE(first.EndsWithin(20000));
  EXPECT_EQ(0u, first.ExitCode());

  char names[4096] = "";
  const DWORD n = GetPrivateProfileSectionNamesA(names, sizeof names, ini.c_str());
  std::set<std::string> sections;
  for (const char* p = names; p < names + n && *p; p += strlen(p) + 1) sections.insert(p);
  const std::set<std::string> expected = {
      "Basicdata", "Palette",  "Darkcurrent", "Contrast",  "Masking",  "PSF",         "Limbdark", "Noisefilter",
      "Mapping",   "FitImage", "Blinkcomp",   "Rotate",    "Enlarge",  "Shiftdifferenz", "Time",  "Geopos",
      "Astronomy", "PicSave",  "RGBCorr",     "Colortemp", "Livepic",  "RemoveStars", "Timelapse"};
  EXPECT_EQ(expected, sections);
  char value[16];
  GetPrivateProfileStringA("FitImage", "Classicmode", "", value, sizeof value, ini.c_str());
  EXPECT_STREQ("FALSE", value);
  GetPrivateProfileStringA("Time", "IsActual", "", value, sizeof value, ini.c_str());
  EXPECT_STREQ("TRUE", value);
}

}  // namespace
