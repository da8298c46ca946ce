// Raw photo conversion with the stand-in converter: the exact command line
// and working directory with spaces in every path, the PPM beside the photo,
// photos already converted, the worker limit, the handles, the name limit,
// and deleting chosen files.
#include "imageio/raw_photos.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "imageio/picture_files.h"
#include "picture_state.h"
#include "shell/workers.h"
#include "tests/shell/testkit/message_script.h"

namespace {

namespace fs = std::filesystem;

std::string ModuleDirectory() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().string();
}

void WriteText(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Handles this process holds, found by asking each possible value: the
// platform's own count is not to be had under Wine.
int OpenHandleCount() {
  int count = 0;
  DWORD flags;
  for (uintptr_t h = 4; h < 0x8000; h += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++count;
  return count;
}

// What the stand-in noted about one run.
struct ConverterRun {
  std::vector<std::string> args;
  std::map<std::string, std::string> fields;
  unsigned long long start = 0, end = 0;
  long Number(const char* key) const { return std::stol(fields.at(key)); }
};

// Waits up to 20 s for the stand-in's record of a photo. The record can be
// seen a moment before it can be opened: the rename that shows it may still
// hold its handle, so the wait is for an open that succeeds.
bool ReadRun(const std::string& photo, ConverterRun* run) {
  const std::string record = photo + ".standin";
  std::ifstream in;
  for (int i = 0; i < 400; ++i) {
    if (Exists(record)) {
      in.open(record);
      if (in) break;
    }
    Sleep(50);
  }
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "arg") {
      run->args.push_back(value);
    } else {
      run->fields[key] = value;
    }
  }
  run->start = std::stoull(run->fields.at("start"));
  run->end = std::stoull(run->fields.at("end"));
  return true;
}

// The chooser's name list: one photo as its full path, several after
// their directory.
std::string Selection(const std::string& directory, const std::vector<std::string>& names) {
  std::string s;
  if (names.size() == 1) {
    s = directory + "\\" + names[0] + '\0';
  } else {
    s = directory + '\\' + '\0';
    for (const std::string& n : names) s += n + '\0';
  }
  return s + '\0';
}

class RawPhotos : public PictureStateTest {
 protected:
  void SetUp() override {
    PictureStateTest::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = (fs::path(temp) / ("tyvraw-" + std::to_string(GetCurrentProcessId()))).string();
    program_ = root_ + "\\Programm Ordner";
    photos_ = root_ + "\\Fotos vom Mond";
    fs::create_directories(program_);
    fs::create_directories(photos_);
    fs::copy_file(ModuleDirectory() + "\\standin\\dcraw.exe", program_ + "\\dcraw.exe");
    ProgramState& ps = gProgramState;
    std::snprintf(ps.ProgramDirectory, sizeof ps.ProgramDirectory, "%s", program_.c_str());
    std::snprintf(ps.CurrentPath, sizeof ps.CurrentPath, "%s", "C:\\");
    ps.ScreenWidth = 1280;
    ps.ScreenHeight = 1024;
    ps.RunningWorkers = 0;
    for (HANDLE& h : ps.WorkerHandles) h = nullptr;
  }
  void TearDown() override {
    // Whatever still runs ends before its files go.
    ProgramState& ps = gProgramState;
    while (ps.RunningWorkers > 0) WaitForOneWorker(&ps);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    PictureStateTest::TearDown();
  }
  std::string Photo(const std::string& name, const std::string& content = "raw") {
    const std::string path = photos_ + "\\" + name;
    WriteText(path, content);
    return path;
  }
  int Convert(const std::vector<std::string>& names) {
    const std::string s = Selection(photos_, names);
    return ConvertChosenRawPhotos(s.data(), s.size());
  }
  static void WaitForAll() {
    ProgramState& ps = gProgramState;
    while (ps.RunningWorkers > 0) WaitForOneWorker(&ps);
  }

  std::string root_, program_, photos_;
};

TEST_F(RawPhotos, ConverterGetsItsExactCommandLineInThePhotosDirectory) {
  gProgramState.WorkerLimit = 2;
  const std::string photo = Photo("IMG 0001.CR2");
  MessageBoxScript boxes;
  ASSERT_EQ(1, Convert({"IMG 0001.CR2"}));
  WaitForAll();
  ConverterRun run;
  ASSERT_TRUE(ReadRun(photo, &run));
  const std::vector<std::string> expected = {program_ + "\\dcraw.exe", "-v", "-4", "-w", "-o", "0", "-q", "1",
                                             "-m", "1", photo};
  EXPECT_EQ(expected, run.args);
  EXPECT_EQ("\"" + program_ + "\\dcraw.exe\" -v -4 -w -o 0 -q 1 -m 1 \"" + photo + "\"", run.fields["commandline"]);
  EXPECT_EQ(photos_, run.fields["cwd"]);
  EXPECT_EQ(photos_, std::string(gProgramState.CurrentPath));
  EXPECT_EQ(0u, boxes.Count());

  // The PPM lies beside the photo, and the photo's own name finds it.
  EXPECT_TRUE(Exists(photos_ + "\\IMG 0001.ppm"));
  int16_t* samples = nullptr;
  ImageHeader h;
  ASSERT_EQ(1, ReadPpmImage(photo.c_str(), &samples, &h));
  EXPECT_EQ(3, h.width);
  EXPECT_EQ(2, h.height);
  EXPECT_EQ(4095 * 4, samples[0]);        // blue of pixel (0, 0), 12 bits times 4
  EXPECT_EQ(1000 * 4, samples[1]);
  EXPECT_EQ(100 * 4, samples[2]);
  EXPECT_EQ(300 * 4, samples[3 * 2 + 2]);
  FreeMem(&samples);
}

TEST_F(RawPhotos, PhotosWithAPpmAreSkipped) {
  gProgramState.WorkerLimit = 2;
  const std::string done = Photo("a.NEF"), todo = Photo("b.NEF");
  WriteText(photos_ + "\\a.ppm", "P6 schon da");
  ASSERT_EQ(1, Convert({"a.NEF", "b.NEF"}));
  WaitForAll();
  ConverterRun run;
  EXPECT_TRUE(ReadRun(todo, &run));
  EXPECT_FALSE(Exists(done + ".standin"));
}

TEST_F(RawPhotos, WorkerLimitTwoRunsTwoAtOnceAndLeavesNoHandle) {
  gProgramState.WorkerLimit = 2;
  std::vector<std::string> names, photos;
  for (int i = 0; i < 5; ++i) {
    names.push_back("foto" + std::to_string(i) + ".ARW");
    photos.push_back(Photo(names.back(), "sleep 1000\n"));
  }
  const int handlesBefore = OpenHandleCount();
  ASSERT_EQ(1, Convert(names));
  EXPECT_LE(gProgramState.RunningWorkers, 1) << "the command waited down to a free slot";
  WaitForAll();
  EXPECT_EQ(handlesBefore, OpenHandleCount());
  for (HANDLE h : gProgramState.WorkerHandles) EXPECT_EQ(nullptr, h);

  std::vector<ConverterRun> runs(5);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(ReadRun(photos[i], &runs[i])) << i;
  int most = 0;
  for (const ConverterRun& r : runs) {
    const int atOnce = int(std::count_if(runs.begin(), runs.end(),
                                         [&](const ConverterRun& o) { return o.start <= r.start && r.start < o.end; }));
    most = std::max(most, atOnce);
  }
  EXPECT_EQ(2, most);
  // Console windows cascade over two places, one per slot.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(STARTF_USEPOSITION | STARTF_USESIZE, runs[i].Number("flags") & (STARTF_USEPOSITION | STARTF_USESIZE));
    EXPECT_EQ((i % 2) * 30 + (1280 - 660) / 4, runs[i].Number("x")) << i;
    EXPECT_EQ((i % 2) * 80 + (1024 - 90) / 4, runs[i].Number("y")) << i;
    EXPECT_EQ(660, runs[i].Number("width"));
    EXPECT_EQ(90, runs[i].Number("height"));
  }
}

TEST_F(RawPhotos, NoLimitMeansOneCascadeStepAndNoWaiting) {
  for (int limit : {0, -5}) {
    SCOPED_TRACE(limit);
    gProgramState.WorkerLimit = limit;
    const std::string n = std::to_string(-limit);
    const std::string a = Photo("x" + n + ".CRW"), b = Photo("y" + n + ".CRW");
    const std::string s = Selection(photos_, {fs::path(a).filename().string(), fs::path(b).filename().string()});
    ASSERT_EQ(1, ConvertChosenRawPhotos(s.data(), s.size()));
    ConverterRun ra, rb;
    ASSERT_TRUE(ReadRun(a, &ra));
    ASSERT_TRUE(ReadRun(b, &rb));
    EXPECT_EQ((1280 - 660) / 4, ra.Number("x"));
    EXPECT_EQ((1280 - 660) / 4, rb.Number("x"));
    WaitForAll();
  }
}

TEST_F(RawPhotos, ANameOverTheLimitEndsTheCommandWithItsMessage) {
  gProgramState.WorkerLimit = 2;
  const size_t base = photos_.size() + 1;   // directory and backslash
  ASSERT_LT(base + 10, 128u);
  const std::string fits = std::string(128 - base - 4, 'f') + ".CR2";
  const std::string tooLong = std::string(129 - base - 4, 'l') + ".CR2";
  const std::string photoFits = Photo(fits), photoLong = Photo(tooLong), after = Photo("danach.CR2");
  ASSERT_EQ(128u, photoFits.size());
  ASSERT_EQ(129u, photoLong.size());
  MessageBoxScript boxes;
  EXPECT_EQ(0, Convert({fits, tooLong, "danach.CR2"}));
  WaitForAll();
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Filename " + photoLong + "\nist für die FITS-Bibliothek zu lang !Maximal 128 Zeichen sind möglich.",
            boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(UINT(MB_ICONSTOP), boxes.Box(0).Icon());
  ConverterRun run;
  EXPECT_TRUE(ReadRun(photoFits, &run));
  EXPECT_FALSE(Exists(photoLong + ".standin"));
  EXPECT_FALSE(Exists(after + ".standin"));
}

TEST_F(RawPhotos, AMissingConverterIsSkippedSilently) {
  gProgramState.WorkerLimit = 2;
  fs::remove(program_ + "\\dcraw.exe");
  Photo("a.CR2");
  MessageBoxScript boxes;
  EXPECT_EQ(0, StartDcraw((photos_ + "\\a.CR2").c_str()));
  EXPECT_EQ(1, Convert({"a.CR2"}));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(0, gProgramState.RunningWorkers);
}

TEST_F(RawPhotos, DeletingTakesEitherFormOfTheList) {
  for (const std::vector<std::string>& names : {std::vector<std::string>{"eins.bmp"},
                                                std::vector<std::string>{"zwei.fts", "drei mit leer.png"}}) {
    for (const std::string& n : names) Photo(n);
    const std::string keep = Photo("bleibt.bmp");
    const std::string s = Selection(photos_, names);
    ASSERT_EQ(1, DeleteChosenFiles(s.data(), s.size()));
    for (const std::string& n : names) EXPECT_FALSE(Exists(photos_ + "\\" + n)) << n;
    EXPECT_TRUE(Exists(keep));
    EXPECT_EQ(photos_, std::string(gProgramState.CurrentPath));
  }
}

}  // namespace

namespace {

// The converter the build puts beside the program, cross-built from
// Debian's source: it starts under Wine and prints its usage.
TEST(Dcraw, TheRealConverterPrintsItsUsage) {
  const std::string exe = ModuleDirectory() + "\\dcraw.exe";
  ASSERT_TRUE(Exists(exe)) << "dcraw.exe was not built: run scripts/setup.sh";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string line = "\"" + exe + "\"";
  PROCESS_INFORMATION p{};
  ASSERT_TRUE(CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &p));
  CloseHandle(writeEnd);
  std::string output;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) output.append(chunk, got);
  CloseHandle(readEnd);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p.hProcess, 20000));
  CloseHandle(p.hThread);
  CloseHandle(p.hProcess);
  EXPECT_NE(std::string::npos, output.find("Raw photo decoder \"dcraw\" v9.28")) << output;
  EXPECT_NE(std::string::npos, output.find("Usage:")) << output;
  EXPECT_NE(std::string::npos, output.find("-4        Linear 16-bit")) << output;
}

}  // namespace
