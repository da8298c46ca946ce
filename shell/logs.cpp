#include "logs.h"

#include <cstdio>

#include "program_state.h"

namespace {

void AppendToLog(const char* fileName, const char* text, bool lineEnd) {
  if (!text) return;
  char path[kPathSize + 32];
  const int n = std::snprintf(path, sizeof path, "%s\\%s", gProgramState.ProgramDirectory, fileName);
  if (n < 0 || n >= int(sizeof path)) return;   // never write to a cut-off name
  FILE* f = std::fopen(path, "a");
  if (!f) return;
  std::fputs(text, f);
  if (lineEnd) std::fputc('\n', f);
  std::fclose(f);
}

}  // namespace

void WriteDebugLog(const char* text) { AppendToLog("debug.log", text, true); }
void WriteDebugLogRaw(const char* text) { AppendToLog("debug.log", text, false); }
void WriteGpsLog(const char* text) { AppendToLog("GPS.log", text, true); }
void WriteNotGpsLog(const char* text) { AppendToLog("notGPS.log", text, true); }
