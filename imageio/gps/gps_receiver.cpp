#include "gps_receiver.h"

#include <cstdio>
#include <cstring>

#include "directx/tyvcap/tyvcap.h"
#include "serial_port.h"
#include "shell/program_state.h"
#include "shell/timeconv.h"

namespace {

constexpr DWORD kProbeMs = 2000;         // a receiver talks at least once a second
constexpr DWORD kReadingPauseMs = 850;
constexpr DWORD kJoinMs = 5000;          // a reader ends within one read time-out

GpsSampleRing gSampleRing;

ClockReader gClockReader = nullptr;
ClockSetter gClockSetter = nullptr;

BOOL SetSystemClock(const SYSTEMTIME* utc) { return SetSystemTime(utc); }

DWORD WINAPI ReaderEntry(void* state) { return DWORD(GpsReaderThread(static_cast<GpsState*>(state))); }

bool Stopping(const GpsState* s) { return s->stop != 0; }

// One chunk of the port into lines. False when the port failed or closes.
bool ReadChunk(GpsState* s, NmeaLineReader* lines) {
  uint8_t chunk[sizeof lines->pending];
  const DWORD want = DWORD(NmeaReaderSpace(lines));
  DWORD got = 0;
  if (!ReadFile(s->port, chunk, want, &got, nullptr)) return false;
  PushNmeaBytes(lines, chunk, got);
  // Reads wait for their first byte; should one return at once, still do not spin.
  if (!got) WaitForSingleObject(s->event, 20);
  return !Stopping(s);
}

void TakeReading(GpsState* s, const GgaReading& r) {
  if (InterlockedExchange(&s->restart, 0)) s->sampleCount = 0;
  const GpsPosition p = EnterGpsReading(&gSampleRing, &s->sampleCount, &s->samplesUsed, r);
  s->longitude = p.longitude;
  s->latitude = p.latitude;
  s->altitude = p.altitude;
  s->satellites = r.satellites;
  s->last = r;
  s->time = GpsTimeOnClockDate(ReadGpsClock(), r.utcTime);
  std::memcpy(s->weekday, s->time.weekday, sizeof s->weekday);
  s->julianDay = s->time.julianDay;
  s->clockResult = 0;
  ProgramState* ps = &gProgramState;
  if (InterlockedExchange(reinterpret_cast<volatile LONG*>(&ps->GpsTransferFlag), 0)) {
    s->clockResult = SetClockFromGps(r.utcTime) ? 1 : -1;
    TYVCAP_SetPositionmarker(ps->Longitude, ps->Latitude, ps->GeoHeight, ps->GrabbPlaceMarker);
  }
}

}  // namespace

void SetGpsClock(ClockReader reader, ClockSetter setter) {
  gClockReader = reader;
  gClockSetter = setter;
}

DateTimeRecord ReadGpsClock() { return gClockReader ? gClockReader() : CurrentUtcDateTime(); }

int SetClockFromGps(double gpsTime) {
  const DateTimeRecord t = GpsTimeOnClockDate(ReadGpsClock(), gpsTime);
  SYSTEMTIME st{};
  st.wYear = WORD(t.year);
  st.wMonth = WORD(t.month);
  st.wDay = WORD(t.day);
  st.wHour = WORD(t.hour);
  st.wMinute = WORD(t.minute);
  st.wSecond = WORD(t.second);
  st.wMilliseconds = 0;
  return (gClockSetter ? gClockSetter : SetSystemClock)(&st) ? 1 : 0;
}

HANDLE OpenGpsPort(const char* portName, DWORD baud, BYTE byteSize, char parityLetter, double stopBits,
                   GpsState* state) {
  // Reads return with what has come, or after 500 ms without a byte.
  const COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 500, 5, 500};
  const HANDLE port = OpenPortQuietly(portName, baud, byteSize, parityLetter, stopBits, timeouts);
  if (!port) return nullptr;
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!event) {
    CloseHandle(port);
    return nullptr;
  }
  state->port = port;
  state->reserved[0] = state->reserved[1] = 0;
  state->event = event;
  state->reader = nullptr;
  state->stop = 0;
  state->restart = 0;
  state->clockResult = 0;
  state->pauseMs = kReadingPauseMs;
  ResetNmeaReader(&state->lines);
  return port;
}

int CloseGpsPort(HANDLE port, GpsState* state) {
  if (!port) return 0;
  InterlockedExchange(&state->stop, 1);
  if (state->event) SetEvent(state->event);
  if (state->reader) {
    WaitForSingleObject(state->reader, kJoinMs);
    CloseHandle(state->reader);
    state->reader = nullptr;
  }
  PurgeComm(port, PURGE_RXCLEAR);
  CloseHandle(port);
  if (state->event) CloseHandle(state->event);
  state->event = nullptr;
  if (state->port == port) state->port = nullptr;
  return 1;
}

int ReadGpsRaw(GpsState* state) {
  NmeaLineReader lines{};
  char line[kNmeaMaxLine + 1];
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kProbeMs) {
    if (!ReadChunk(state, &lines)) return 0;
    while (NextNmeaLine(&lines, line))
      if (HasValidNmeaChecksum(line, std::strlen(line))) return 1;
  }
  return 0;
}

int SendGpsInit(GpsState* state) {
  const ProgramState* ps = &gProgramState;
  char sentence[160];
  const size_t n = BuildSirfInitSentence(sentence, sizeof sentence, ps->Latitude, ps->Longitude, ps->GeoHeight,
                                         ReadGpsClock().julianDay);
  DWORD written = 0;
  return n && state->port && WriteFile(state->port, sentence, DWORD(n), &written, nullptr) && written == n;
}

int GpsReaderThread(GpsState* state) {
  char line[kNmeaMaxLine + 1];
  GgaReading r;
  for (;;) {
    while (NextNmeaLine(&state->lines, line)) {
      if (!ParseGgaSentence(line, std::strlen(line), &r)) continue;
      TakeReading(state, r);
      // The rest of the receiver's burst waits in the port for the next reading.
      if (WaitForSingleObject(state->event, state->pauseMs) != WAIT_TIMEOUT || Stopping(state)) return 0;
      if (state->dialog) PostMessageA(state->dialog, kGpsReadingMessage, 0, 0);
      return 1;
    }
    if (Stopping(state) || !ReadChunk(state, &state->lines)) return 0;
  }
}

int StartGpsReader(GpsState* state) {
  if (!state->port || Stopping(state)) return 0;
  if (state->reader) {
    WaitForSingleObject(state->reader, kJoinMs);
    CloseHandle(state->reader);
    state->reader = nullptr;
  }
  state->reader = CreateThread(nullptr, 0, ReaderEntry, state, 0, nullptr);
  return state->reader != nullptr;
}

int FindGpsReceiver(GpsState* state, char* portName, size_t capacity) {
  for (int n = 1; n <= kGpsPortCount; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "COM%d", n);
    const HANDLE port = OpenGpsPort(name, 4800, 8, 'N', 1.0, state);
    if (!port) continue;
    if (ReadGpsRaw(state)) {
      // Only the port that answered is told where and when we are.
      SendGpsInit(state);
      std::snprintf(portName, capacity, "%s", name);
      return n;
    }
    CloseGpsPort(port, state);
  }
  return 0;
}
