// The GPS receiver's NMEA 0183 protocol, platform-free: the byte stream cut
// into sentences, the checksum, the "$GPGGA" position sentence and the SiRF
// "$PSRF104" initialisation sentence we send.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest sentence kept, from "$" to the checksum, without CR LF. NMEA allows
// 80; a little slack for receivers that stretch it.
constexpr int kNmeaMaxLine = 82;

// Assembles sentences from reads that arrive cut anywhere: bytes go in with
// PushNmeaBytes, whole lines come out with NextNmeaLine. A "$" always starts
// a new sentence (what came before it is dropped), CR or LF ends one; a
// sentence with a byte that is no printable ASCII (a NUL, say) or longer
// than kNmeaMaxLine is dropped up to the next "$". Zero-initialise it.
struct NmeaLineReader {
  uint8_t pending[256];     // bytes read but not yet looked at
  int32_t pendingStart;
  int32_t pendingEnd;
  char line[kNmeaMaxLine + 1];
  int32_t lineLength;
  int32_t mode;             // 0 before a "$", 1 inside a sentence, 2 dropping one
};

// Room for the next PushNmeaBytes: read at most this many bytes.
size_t NmeaReaderSpace(const NmeaLineReader* r);
// Takes up to NmeaReaderSpace bytes; returns how many it took.
size_t PushNmeaBytes(NmeaLineReader* r, const void* data, size_t n);
// 1 and the next whole sentence (NUL-terminated, "$" first, no CR LF) in
// out, which holds kNmeaMaxLine + 1 characters; 0 when the pending bytes hold
// no further whole sentence.
int NextNmeaLine(NmeaLineReader* r, char* out);
// Forgets pending bytes and the sentence begun.
void ResetNmeaReader(NmeaLineReader* r);

// Exclusive OR of the characters in [begin, end).
uint8_t NmeaChecksum(const char* begin, const char* end);
// 1 when the sentence is "$" text "*hh" and hh (hexadecimal, either case)
// is the checksum of text; nothing may follow the two digits.
int HasValidNmeaChecksum(const char* line, size_t length);

// What a "$GPGGA" sentence tells.
struct GgaReading {
  double utcTime;          // hhmmss.sss as one number
  double latitude;         // degrees, north positive
  double longitude;        // degrees, east negative
  double altitude;         // metres above sea level
  int32_t quality;         // fix quality, 1 or more
  int32_t satellites;      // satellites in use
};

// Decodes a "$GPGGA" sentence field by field (the fields may have any
// width). 1 with *out filled for a sentence with a valid checksum, all
// fourteen fields, a fix (quality above 0) and values in range (time of day,
// |latitude| <= 90, |longitude| <= 180); 0 otherwise, *out untouched.
int ParseGgaSentence(const char* line, size_t length, GgaReading* out);

// NMEA degrees-and-minutes (dddmm.mmmm) as degrees.
double NmeaDegrees(double raw);

// The "$PSRF104" sentence that gives a SiRF receiver its position and time
// to start from, with checksum, CR and LF: latitude north positive,
// longitude east negative (sent east positive), height in metres, and the
// time as a Julian Day on the UT scale (sent as GPS week and time of week).
// Returns its length, 0 when it does not fit into capacity.
size_t BuildSirfInitSentence(char* out, size_t capacity, double latitude, double longitude, double height,
                             double julianDay);
