// A stand-in for the raw converter: a console program that takes dcraw's
// command line, writes a 16-bit P6 picture beside the photo, and leaves a
// record of how it was started beside it ("<photo>.standin"): the command
// line, each argument, the working directory, the console placement asked
// for, and its start and end in 100 ns units of the system clock. The photo
// itself steers it: a line "sleep <ms>" makes it take its time, a line
// "fail" makes it end with 1 and write no picture.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

unsigned long long Now() {
  FILETIME t;
  GetSystemTimePreciseAsFileTime(&t);
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::string PpmName(const std::string& photo) {
  const size_t cut = photo.find_last_of("\\/:.");
  if (cut != std::string::npos && photo[cut] == '.') return photo.substr(0, cut) + ".ppm";
  return photo + ".ppm";
}

// 3 x 2 pixels of 12-bit data: red 100 x (x + 1), green 1000 + y, blue 4095.
bool WritePicture(const std::string& name) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n3 2\n4095\n");
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const int rgb[3] = {100 * (x + 1), 1000 + y, 4095};
      for (int v : rgb) {
        std::fputc(v >> 8, f);
        std::fputc(v & 0xff, f);
      }
    }
  }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long start = Now();
  if (argc < 2) {
    std::puts("dcraw stand-in: no photo given");
    return 1;
  }
  const std::string photo = argv[argc - 1];
  int sleepMs = 0;
  bool fail = false;
  if (FILE* f = std::fopen(photo.c_str(), "rb")) {
    char line[200];
    while (std::fgets(line, sizeof line, f)) {
      std::sscanf(line, "sleep %d", &sleepMs);
      if (std::strncmp(line, "fail", 4) == 0) fail = true;
    }
    std::fclose(f);
  }
  if (sleepMs > 0) Sleep(DWORD(sleepMs));
  if (!fail && !WritePicture(PpmName(photo))) fail = true;

  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  const std::string record = photo + ".standin";
  FILE* r = std::fopen((record + ".tmp").c_str(), "w");
  if (!r) return 2;
  std::fprintf(r, "commandline=%s\n", GetCommandLineA());
  for (int i = 0; i < argc; ++i) std::fprintf(r, "arg=%s\n", argv[i]);
  std::fprintf(r, "cwd=%s\n", cwd);
  std::fprintf(r, "flags=%lu\nx=%lu\ny=%lu\nwidth=%lu\nheight=%lu\n", startup.dwFlags, startup.dwX, startup.dwY,
               startup.dwXSize, startup.dwYSize);
  std::fprintf(r, "start=%llu\nend=%llu\n", start, Now());
  std::fclose(r);
  // The test sees the record whole or not at all.
  MoveFileExA((record + ".tmp").c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);
  return fail ? 1 : 0;
}
