// The GPS receiver on a serial port: finding it, the reader thread that
// delivers one averaged reading at a time to the GPS dialog, the SiRF
// initialisation sentence, and setting the computer's clock from GPS time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "gps_fix.h"
#include "nmea.h"

// Posted to GpsState::dialog after each reading (wParam and lParam 0).
constexpr UINT kGpsReadingMessage = WM_APP + 1;

// How many COM ports the search tries, from COM1 on.
constexpr int kGpsPortCount = 16;

// The receiver's state, one record owned by the GPS dialog. The reader
// thread writes it and posts kGpsReadingMessage as its last act; the dialog
// reads it only after that message.
struct GpsState {
  HANDLE port;             // the open port, or null
  int32_t reserved[2];     // zero once opened
  HANDLE event;            // set when the port closes: wakes and stops the reader
  HWND dialog;             // receives kGpsReadingMessage
  double longitude;        // averaged, degrees east negative
  double latitude;         // averaged, degrees north positive
  double altitude;         // averaged, metres
  int32_t satellites;      // of the last sentence
  DateTimeRecord time;     // the GPS time on the computer's UTC date
  char weekday[12];
  double julianDay;        // of time
  int32_t samplesUsed;     // readings the average spans
  int32_t sampleCount;     // readings averaged since the last reset

  // The reader's own part.
  HANDLE reader;           // thread of the pending or last reading, or null
  volatile LONG stop;      // 1 once the port is closing
  volatile LONG restart;   // 1: the next reading starts the average anew
  GgaReading last;         // the sentence of the last reading
  int32_t clockResult;     // clock set by the last reading: 1 done, -1 refused, 0 not asked
  DWORD pauseMs;           // rest after a reading before it is posted (850)
  NmeaLineReader lines;    // bytes read and not yet used, kept from one reading to the next
};

// Opens the port at 4800 baud or as given, quietly, with reads that wait
// at most 500 ms, and prepares state for it: the counts and the reader part
// cleared. Null when the port cannot be opened or set up.
HANDLE OpenGpsPort(const char* portName, DWORD baud, BYTE byteSize, char parityLetter, double stopBits,
                   GpsState* state);
// Stops the reader (it ends within about half a second) and waits for it,
// discards pending input, closes the port and the event. 1, or 0 for a null
// handle.
int CloseGpsPort(HANDLE port, GpsState* state);

// 1 when a sentence with a valid checksum arrives within about 2 s; what
// was read is dropped.
int ReadGpsRaw(GpsState* state);
// Sends "$PSRF104" with the stored position and height ([Geopos]) and the
// clock's time. 1 when written.
int SendGpsInit(GpsState* state);

// One reading: reads until a "$GPGGA" sentence with a fix arrives, enters
// it into the average, fills the record, sets the clock when the dialog
// asked for it (GpsTransferFlag), rests pauseMs and posts
// kGpsReadingMessage to the dialog. 1 when posted; 0 when the port closed
// or failed meanwhile (nothing posted).
int GpsReaderThread(GpsState* state);
// Starts GpsReaderThread as a thread of its own, after the previous one
// has ended. 1 when started.
int StartGpsReader(GpsState* state);

// Tries COM1..COM16 in turn: the first port where ReadGpsRaw succeeds stays
// open in state, is given the initialisation sentence and its name goes to
// portName. Returns the port number, 0 when none answered.
int FindGpsReceiver(GpsState* state, char* portName, size_t capacity);

// Sets the computer's clock to the receiver's time of day (hhmmss.sss) on
// the clock's UTC date, moved by a day across midnight, milliseconds 0.
// 1 when the clock took it.
int SetClockFromGps(double gpsTime);

// Test seam: how the UTC clock is read and set (null: the system's own,
// CurrentUtcDateTime and SetSystemTime).
using ClockReader = DateTimeRecord (*)();
using ClockSetter = BOOL (*)(const SYSTEMTIME* utc);
void SetGpsClock(ClockReader reader, ClockSetter setter);
// The UTC clock through the seam.
DateTimeRecord ReadGpsClock();
