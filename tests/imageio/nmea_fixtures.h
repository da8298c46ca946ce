// Sentences for the NMEA tests: a body gets "$", "*", its checksum and,
// when asked, CR LF; the checksum is worked out here, apart from the code
// under test.
#pragma once

#include <cstdio>
#include <string>

inline std::string Checksummed(const std::string& body) {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return "$" + body + "*" + hex;
}

inline std::string Line(const std::string& body) { return Checksummed(body) + "\r\n"; }
