// The log writers append lines to files of the program directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/logs.h"
#include "shell/program_state.h"

namespace {

std::string ReadFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  std::string text;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

class Logs : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    dir_ = std::string(temp) + "tyvlogs" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir_.c_str(), nullptr);
    std::snprintf(gProgramState.ProgramDirectory, kPathSize, "%s", dir_.c_str());
  }
  void TearDown() override {
    for (const char* name : {"debug.log", "GPS.log", "notGPS.log"}) DeleteFileA((dir_ + "\\" + name).c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  std::string dir_;
};

TEST_F(Logs, EachWriterAppendsToItsFile) {
  const struct {
    void (*write)(const char*);
    const char* file;
    const char* expected;   // after writing "eins" and then "zwei"
  } cases[] = {
      {WriteDebugLog, "debug.log", "eins\r\nzwei\r\n"},
      {WriteDebugLogRaw, "debug.log", "einszwei"},
      {WriteGpsLog, "GPS.log", "eins\r\nzwei\r\n"},
      {WriteNotGpsLog, "notGPS.log", "eins\r\nzwei\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir_ + "\\" + c.file;
    DeleteFileA(path.c_str());
    c.write("eins");
    c.write("zwei");
    EXPECT_EQ(c.expected, ReadFile(path));
  }
}

TEST_F(Logs, WritesNothingWhereItCannot) {
  WriteGpsLog(nullptr);
  EXPECT_EQ("<missing>", ReadFile(dir_ + "\\GPS.log"));

  // A directory that does not exist: passed over in silence.
  std::snprintf(gProgramState.ProgramDirectory, kPathSize, "%s\\fehlt", dir_.c_str());
  WriteDebugLog("x");

  // A directory name of full length leaves no room for the file name: no
  // write to a cut-off path.
  std::string longName(kPathSize - 1, 'a');
  std::snprintf(gProgramState.ProgramDirectory, kPathSize, "%s", longName.c_str());
  WriteDebugLog("x");
  EXPECT_EQ("<missing>", ReadFile(dir_ + "\\debug.log"));
}

}  // namespace
