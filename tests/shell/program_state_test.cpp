// ProgramState after start-up, and the backup that dialogs take and restore.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "shell/buffer_slots.h"
#include "shell/program_state.h"
#include "state_fixture.h"

namespace {

bool SameHeader(const ImageHeader& a, const ImageHeader& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameMetadata(const ImageMetadata& a, const ImageMetadata& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(InitProgramState, EmptiesBuffersAndRunControlButKeepsLoadedSettings) {
  auto ps = std::make_unique<ProgramState>();
  std::memset(ps.get(), 0x5A, sizeof *ps);   // whatever start-up left
  ps->Classicmode = 1;
  ps->Framecount = 7;
  std::strcpy(ps->CurrentPath, "C:\\Bilder");
  ps->HotPixelList.RemoveHotPixel = 1;
  ps->ContrastChannels[2].Curve[3] = 12287;
  InitProgramState(ps.get());

  EXPECT_EQ(0, ps->Classicmode);
  EXPECT_EQ(7, ps->Framecount);
  EXPECT_STREQ("C:\\Bilder", ps->CurrentPath);
  EXPECT_EQ(1, ps->HotPixelList.RemoveHotPixel);
  EXPECT_EQ(nullptr, ps->HotPixelList.Entries);
  EXPECT_EQ(1, ps->OpenedFromSetup);
  EXPECT_EQ(0, ps->ActiveBuffer + ps->SourceBuffer + ps->TargetBuffer);
  EXPECT_EQ(0, ps->AbortRequested + ps->PauseRequested + ps->QuitWithoutAsking + ps->CaptureFullScreen);
  EXPECT_EQ(0, ps->RunningWorkers);
  EXPECT_EQ(nullptr, ps->ZoomBitmap);
  for (HANDLE h : ps->WorkerHandles) EXPECT_EQ(nullptr, h);
  for (void* p : ps->WorkBuffers) EXPECT_EQ(nullptr, p);

  ImageHeader defaultHeader;
  InitImageHeader(&defaultHeader);
  ImageMetadata defaultMetadata;
  InitImageMetadata(&defaultMetadata);
  EXPECT_EQ(13, defaultHeader.colourType);
  for (int s = 1; s <= kSlotCount; ++s) {
    SCOPED_TRACE(s);
    EXPECT_EQ(0, IsSlotLoaded(s, ps.get()));
    EXPECT_EQ(nullptr, GetSlotPixels(s, ps.get()));
    EXPECT_TRUE(SameHeader(defaultHeader, ps->Slots[s - 1].Header));
    // The undo slots' metadata is left as it was.
    EXPECT_EQ(s <= 4, SameMetadata(defaultMetadata, ps->Slots[s - 1].Metadata));
  }
  EXPECT_TRUE(SameHeader(defaultHeader, ps->SpareHeader));
  EXPECT_TRUE(SameMetadata(defaultMetadata, ps->SpareMetadata));
  for (const ContrastChannelSettings& c : ps->ContrastChannels) {
    EXPECT_EQ(0, c.Curve[0]);
    EXPECT_EQ(32767, c.Curve[kCurvePoints - 1]);
  }
  EXPECT_EQ(12287, ps->ContrastChannels[2].Curve[3]);

  for (CRITICAL_SECTION* lock : {&ps->SumLock, &ps->JobLock, &ps->LoadLock}) {
    ASSERT_TRUE(TryEnterCriticalSection(lock));
    LeaveCriticalSection(lock);
  }
  DisposeState(ps.get());
}

class Backup : public testing::Test {
 protected:
  void SetUp() override { ps_ = MakeState(); }
  void TearDown() override { DisposeState(ps_.get()); }
  ProgramState* ps() { return ps_.get(); }

 private:
  std::unique_ptr<ProgramState> ps_;
};

TEST_F(Backup, CancelPutsBackEverySettingWhateverTheDialogChanged) {
  LoadSlot(ps(), 1, 10, "a.fts");
  ps()->ActiveBuffer = 1;
  auto before = std::make_unique<ProgramState>();
  std::memcpy(before.get(), ps(), sizeof *ps());

  BackupProgramState(ps());
  // Scribble over every setting of every section, as careless dialogs would.
  const size_t from = offsetof(ProgramState, Camtype);
  const size_t to = offsetof(ProgramState, ActiveBuffer);
  std::memset(reinterpret_cast<char*>(ps()) + from, 0x77, to - from);
  ps()->HotPixelList.Entries = nullptr;   // not a buffer: keep the scribble off the owned pointer
  for (uint16_t*& p : ps()->ContrastLuts) p = nullptr;   // live, see below
  for (uint32_t*& p : ps()->ContrastHistograms) p = nullptr;
  ps()->ActiveBuffer = 3;
  std::strcpy(ps()->ProgramDirectory, "X:\\");
  ASSERT_EQ(1, RestoreProgramState(ps()));

  EXPECT_EQ(0, std::memcmp(before.get(), ps(), sizeof *ps()));
  EXPECT_EQ(0, RestoreProgramState(ps())) << "the backup is used up";
}

TEST_F(Backup, RunControlLocksAndWorkersStayAsTheyAre) {
  ps()->Framecount = 1;
  BackupProgramState(ps());
  // A worker holds the sum lock across the cancel.
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE holding = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  struct Args {
    ProgramState* ps;
    HANDLE release, holding;
  } args{ps(), release, holding};
  HANDLE worker = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        auto* a = static_cast<Args*>(p);
        EnterCriticalSection(&a->ps->SumLock);
        SetEvent(a->holding);
        WaitForSingleObject(a->release, INFINITE);
        LeaveCriticalSection(&a->ps->SumLock);
        return 0;
      },
      &args, 0, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holding, 5000));
  ps()->AbortRequested = 1;
  ps()->PauseRequested = 1;
  ps()->WorkerLimit = 4;
  ps()->RunningWorkers = 1;
  ps()->WorkerHandles[0] = worker;
  ps()->PaletteHandle = reinterpret_cast<HPALETTE>(0x1234);
  ps()->ZoomBitmap = reinterpret_cast<HBITMAP>(0x5678);
  ps()->Framecount = 99;

  ASSERT_EQ(1, RestoreProgramState(ps()));
  EXPECT_EQ(1, ps()->Framecount);   // a setting comes back
  EXPECT_EQ(1, ps()->AbortRequested);
  EXPECT_EQ(1, ps()->PauseRequested);
  EXPECT_EQ(4, ps()->WorkerLimit);
  EXPECT_EQ(1, ps()->RunningWorkers);
  EXPECT_EQ(worker, ps()->WorkerHandles[0]);
  EXPECT_EQ(reinterpret_cast<HPALETTE>(0x1234), ps()->PaletteHandle);
  EXPECT_EQ(reinterpret_cast<HBITMAP>(0x5678), ps()->ZoomBitmap);
  EXPECT_FALSE(TryEnterCriticalSection(&ps()->SumLock)) << "the held lock was overwritten";

  SetEvent(release);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 5000));
  EXPECT_TRUE(TryEnterCriticalSection(&ps()->SumLock));
  LeaveCriticalSection(&ps()->SumLock);
  ps()->PaletteHandle = nullptr;
  ps()->ZoomBitmap = nullptr;
  ps()->WorkerHandles[0] = nullptr;
  ps()->RunningWorkers = 0;
  for (HANDLE h : {worker, release, holding}) CloseHandle(h);
}

TEST_F(Backup, TheContrastWorkAreasAreNeitherBroughtBackNorDroppedByACancel) {
  const long blocks = LiveMemBlocks();
  ps()->ContrastLuts[0] = static_cast<uint16_t*>(AllocMem(65536));
  BackupProgramState(ps());
  // The dialog frees the table it met and makes others.
  FreeMem(&ps()->ContrastLuts[0]);
  ps()->ContrastLuts[2] = static_cast<uint16_t*>(AllocMem(65536));
  ps()->ContrastHistograms[1] = static_cast<uint32_t*>(AllocMem(131072));
  uint16_t* const table = ps()->ContrastLuts[2];
  ASSERT_EQ(1, RestoreProgramState(ps()));
  EXPECT_EQ(nullptr, ps()->ContrastLuts[0]) << "a freed table must not come back";
  EXPECT_EQ(table, ps()->ContrastLuts[2]) << "nor a live one be lost";
  FreeProgramState(ps());
  EXPECT_EQ(nullptr, ps()->ContrastLuts[2]);
  EXPECT_EQ(nullptr, ps()->ContrastHistograms[1]);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

TEST_F(Backup, CancelBringsBackTheBuffersADialogReplacedAndCleared) {
  int16_t* a = LoadSlot(ps(), 1, 10, "a.fts");
  int16_t* b = LoadSlot(ps(), 2, 20, "b.fts");
  BackupProgramState(ps());

  int16_t* c = LoadSlot(ps(), 1, 30, "c.fts");   // the dialog installs a result
  ClearSlot(2, ps());                              // and empties another buffer
  // Were the replaced buffers freed, a block of their size would likely reuse one.
  int16_t* probe;
  ASSERT_EQ(1, AllocPixels(&probe, &ps()->Slots[0].Header));
  EXPECT_NE(a, probe);
  EXPECT_NE(b, probe);
  FreeMem(&probe);

  ASSERT_EQ(1, RestoreProgramState(ps()));
  EXPECT_EQ(a, GetSlotPixels(1, ps()));
  EXPECT_EQ(b, GetSlotPixels(2, ps()));
  EXPECT_EQ(10, FirstSample(ps(), 1));
  EXPECT_EQ(20, FirstSample(ps(), 2));
  EXPECT_STREQ("a.fts", ps()->Slots[0].Metadata.path);
  EXPECT_EQ(1, IsSlotLoaded(2, ps()));
  EXPECT_NE(c, GetSlotPixels(1, ps()));
}

TEST_F(Backup, ConfirmKeepsTheNewBuffers) {
  LoadSlot(ps(), 1, 10, "a.fts");
  BackupProgramState(ps());
  int16_t* c = LoadSlot(ps(), 1, 30, "c.fts");
  ClearSlot(3, ps());
  CommitProgramState(ps());
  EXPECT_EQ(c, GetSlotPixels(1, ps()));
  EXPECT_EQ(30, FirstSample(ps(), 1));
  EXPECT_EQ(0, RestoreProgramState(ps())) << "nothing to cancel after the confirm";
  EXPECT_EQ(c, GetSlotPixels(1, ps()));
}

TEST_F(Backup, ADialogOpenedFromAnotherSharesTheBackup) {
  LoadSlot(ps(), 1, 10, "a.fts");
  BackupProgramState(ps());                       // outer dialog opens
  ps()->Framecount = 2;
  LoadSlot(ps(), 1, 20, "b.fts");
  BackupProgramState(ps());                       // inner dialog opens
  ps()->Framecount = 3;
  LoadSlot(ps(), 1, 30, "c.fts");
  ASSERT_EQ(1, RestoreProgramState(ps()));        // inner cancel
  EXPECT_EQ(2, ps()->Framecount);
  EXPECT_EQ(20, FirstSample(ps(), 1));
  ps()->Framecount = 4;
  ASSERT_EQ(1, RestoreProgramState(ps()));        // outer cancel undoes only what came after the inner open
  EXPECT_EQ(2, ps()->Framecount);
  EXPECT_EQ(20, FirstSample(ps(), 1));
}

// Every kind of owned buffer survives a release under a backup and a cancel.
struct OwnedField {
  const char* name;
  std::function<void**(ProgramState*)> field;
};

void PrintTo(const OwnedField& f, std::ostream* os) { *os << f.name; }

class OwnedBuffers : public Backup, public testing::WithParamInterface<OwnedField> {};

TEST_P(OwnedBuffers, ReleasedUnderABackupComesBackOnCancel) {
  void** field = GetParam().field(ps());
  *field = AllocMem(64);
  static_cast<char*>(*field)[0] = 42;
  void* original = *field;
  BackupProgramState(ps());
  ReleaseStateBuffer(ps(), field);
  EXPECT_EQ(nullptr, *field);
  *field = AllocMem(64);   // the dialog's replacement
  ASSERT_EQ(1, RestoreProgramState(ps()));
  ASSERT_EQ(original, *GetParam().field(ps()));
  EXPECT_EQ(42, static_cast<char*>(original)[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, OwnedBuffers,
    testing::Values(
        OwnedField{"SlotPixels", [](ProgramState* ps) { return reinterpret_cast<void**>(&ps->SlotPixels[6]); }},
        OwnedField{"WorkBuffers", [](ProgramState* ps) { return &ps->WorkBuffers[kWorkBufferCount - 1]; }},
        OwnedField{"HotPixelList", [](ProgramState* ps) { return &ps->HotPixelList.Entries; }},
        OwnedField{"PatternSamples", [](ProgramState* ps) { return reinterpret_cast<void**>(&ps->PatternSamples); }},
        OwnedField{"DarkFrameSamples",
                   [](ProgramState* ps) { return reinterpret_cast<void**>(&ps->DarkFrameSamples); }},
        OwnedField{"FlatFieldSamples",
                   [](ProgramState* ps) { return reinterpret_cast<void**>(&ps->FlatFieldSamples); }}),
    [](const testing::TestParamInfo<OwnedField>& info) { return std::string(info.param.name); });

TEST_F(Backup, FreeingTheStateWhileABackupIsHeldLeavesNothingBehind) {
  LoadSlot(ps(), 1, 10, "a.fts");
  BackupProgramState(ps());
  LoadSlot(ps(), 1, 20, "b.fts");
  FreeProgramState(ps());
  EXPECT_EQ(nullptr, GetSlotPixels(1, ps()));
  EXPECT_EQ(0, RestoreProgramState(ps())) << "the backup ended with the state";
}

}  // namespace
