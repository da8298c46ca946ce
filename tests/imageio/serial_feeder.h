// The test side of gps_feeder.py, which gives COM1..COM3 a pseudo terminal
// each: what a port plays next, what the program sent on it, and the valid
// readings of the scenario played.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace feeder {

inline std::string Directory() {
  const char* dir = std::getenv("TYVORN_SERIAL_DIR");
  return dir ? dir : "";
}

// "portN.*": a name "comN.*" would be the serial device itself.
inline std::string File(int port, const char* suffix) {
  return Directory() + "\\port" + std::to_string(port) + "." + suffix;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Forgets what the program sent on the port so far.
inline void Forget(int port) { DeleteFileA(File(port, "rx").c_str()); }

// Starts a scenario on the port (see gps_feeder.py) and forgets what was
// sent on the port so far; returns once the feeder has taken it.
inline bool Play(int port, const char* scenario) {
  Forget(port);
  DeleteFileA(File(port, "expect").c_str());
  const std::string temp = File(port, "tmp"), play = File(port, "play");
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  std::fputs(scenario, f);
  std::fclose(f);
  if (!MoveFileExA(temp.c_str(), play.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  for (int i = 0; i < 500; ++i, Sleep(10))
    if (GetFileAttributesA(File(port, "expect").c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return false;
}

// Everything the program sent on the port since the last Play.
inline std::string Received(int port) { return ReadAll(File(port, "rx")); }

struct Expected {
  std::string time;
  double time_value;
  double latitude;    // north positive
  double longitude;   // east positive, as NMEA has it
  double altitude;
  int satellites;
};

inline std::vector<Expected> ExpectedReadings(int port) {
  std::vector<Expected> out;
  std::istringstream lines(ReadAll(File(port, "expect")));
  Expected e;
  while (lines >> e.time >> e.latitude >> e.longitude >> e.altitude >> e.satellites) {
    e.time_value = std::atof(e.time.c_str());
    out.push_back(e);
  }
  return out;
}

}  // namespace feeder
