#include "program_state.h"

#include <cstring>

#include "buffer_parking.h"

ProgramState gProgramState;

namespace {

// The shared backup of the dialogs, and which record it was taken from.
ProgramState gProgramStateBackup;
ProgramState* gBackupOwner = nullptr;
BufferParking gParking;

// Every pointer field through which the record owns a heap buffer.
constexpr int kOwnedFields = kSlotCount + kWorkBufferCount + 4;
static_assert(kOwnedFields <= kMaxParkedBuffers, "the parking holds every owned buffer");

void OwnedBuffers(ProgramState* ps, void* out[kOwnedFields]) {
  int n = 0;
  for (int16_t* p : ps->SlotPixels) out[n++] = p;
  for (void* p : ps->WorkBuffers) out[n++] = p;
  out[n++] = ps->HotPixelList.Entries;
  out[n++] = ps->PatternSamples;
  out[n++] = ps->DarkFrameSamples;
  out[n] = ps->FlatFieldSamples;
}

struct Span {
  size_t offset;
  size_t size;
};
#define LIVE_FIELD(f) Span{offsetof(ProgramState, f), sizeof(ProgramState::f)}

// Fields a cancelled dialog never puts back: other threads and the run in
// progress own them, or they are GDI handles that may be gone by then.
// In the order of the record.
constexpr Span kLiveFields[] = {
    LIVE_FIELD(PaletteHandle),  LIVE_FIELD(ZoomBitmap), LIVE_FIELD(AbortRequested),
    LIVE_FIELD(PauseRequested), LIVE_FIELD(WorkerLimit), LIVE_FIELD(RunningWorkers),
    LIVE_FIELD(SumLock),        LIVE_FIELD(JobLock),    LIVE_FIELD(LoadLock),
    LIVE_FIELD(WorkerHandles),  LIVE_FIELD(ContrastLuts), LIVE_FIELD(ContrastHistograms),
};
#undef LIVE_FIELD

constexpr bool LiveFieldsInOrder() {
  for (size_t i = 1; i < sizeof kLiveFields / sizeof kLiveFields[0]; ++i)
    if (kLiveFields[i].offset < kLiveFields[i - 1].offset + kLiveFields[i - 1].size) return false;
  return true;
}
static_assert(LiveFieldsInOrder(), "the copy walks the live fields front to back");

// Copies the record without touching the live fields: a worker may hold one
// of the locks at this moment.
void CopyAllButLive(ProgramState* dst, const ProgramState* src) {
  auto* d = reinterpret_cast<unsigned char*>(dst);
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  size_t pos = 0;
  for (const Span& live : kLiveFields) {
    std::memcpy(d + pos, s + pos, live.offset - pos);
    pos = live.offset + live.size;
  }
  std::memcpy(d + pos, s + pos, sizeof(ProgramState) - pos);
}

}  // namespace

void InitProgramState(ProgramState* ps) {
  ps->ActiveBuffer = ps->SourceBuffer = ps->TargetBuffer = 0;
  ps->OpenedFromSetup = 1;
  ps->Classicmode = 0;
  ps->CaptureFullScreen = 0;
  ps->AbortRequested = ps->PauseRequested = ps->QuitWithoutAsking = 0;
  for (int s = 0; s < kSlotCount; ++s) {
    ps->SlotLoaded[s] = 0;
    InitImageHeader(&ps->Slots[s].Header);
    // The undo slots keep their metadata (zero at program start).
    if (s < 4) InitImageMetadata(&ps->Slots[s].Metadata);
    ps->SlotPixels[s] = nullptr;
  }
  for (void*& p : ps->WorkBuffers) p = nullptr;
  InitImageHeader(&ps->SpareHeader);
  InitImageMetadata(&ps->SpareMetadata);
  for (ContrastChannelSettings& c : ps->ContrastChannels) {
    c.Curve[0] = 0;
    c.Curve[kCurvePoints - 1] = 32767;
  }
  for (uint16_t*& p : ps->ContrastLuts) p = nullptr;
  for (uint32_t*& p : ps->ContrastHistograms) p = nullptr;
  ps->HotPixelList.Entries = nullptr;
  ps->PatternSamples = ps->DarkFrameSamples = ps->FlatFieldSamples = nullptr;
  ps->ZoomBitmap = nullptr;
  ps->RunningWorkers = 0;
  for (HANDLE& h : ps->WorkerHandles) h = nullptr;
  InitializeCriticalSection(&ps->SumLock);
  InitializeCriticalSection(&ps->JobLock);
  InitializeCriticalSection(&ps->LoadLock);
}

void BackupProgramState(ProgramState* ps) {
  void* live[kOwnedFields];
  if (gBackupOwner != ps) DropProgramStateBackup(gBackupOwner);
  gBackupOwner = ps;
  OwnedBuffers(ps, live);
  ParkingOpen(&gParking, live, kOwnedFields);
  std::memcpy(&gProgramStateBackup, ps, sizeof *ps);
}

void RenewProgramStateBackup(ProgramState* ps) {
  if (gBackupOwner != ps || gParking.depth == 0) return;
  void* live[kOwnedFields];
  OwnedBuffers(ps, live);
  ParkingRenew(&gParking, live, kOwnedFields);
  std::memcpy(&gProgramStateBackup, ps, sizeof *ps);
}

void CommitProgramState(ProgramState* ps) {
  if (gBackupOwner != ps) return;
  void* live[kOwnedFields];
  OwnedBuffers(ps, live);
  ParkingCommit(&gParking, live, kOwnedFields);
}

int RestoreProgramState(ProgramState* ps) {
  if (gBackupOwner != ps) return 0;
  void* live[kOwnedFields];
  OwnedBuffers(ps, live);
  if (!ParkingCancel(&gParking, live, kOwnedFields)) return 0;
  CopyAllButLive(ps, &gProgramStateBackup);
  return 1;
}

void ReleaseStateBuffer(ProgramState* ps, void** field) {
  if (ps && gBackupOwner == ps) {
    ParkingRelease(&gParking, field);
  } else {
    FreeMem(field);
  }
}

void DropProgramStateBackup(ProgramState* ps) {
  if (!ps || gBackupOwner != ps) return;
  void* live[kOwnedFields];
  OwnedBuffers(ps, live);
  ParkingDrop(&gParking, live, kOwnedFields);
  gBackupOwner = nullptr;
}
