// Starts a test program as a child and writes its exit code to the file named
// by TYVORN_EXIT_FILE before passing the code on. Wine's server kills a process
// that is slow to leave after its last thread ended (seen on a loaded
// machine); the code the child ended with is then only known from this file.
#include <windows.h>

#include <cstdio>

namespace {

// Skips the first token of a command line as the C runtime splits it.
const wchar_t* SkipFirstArgument(const wchar_t* p) {
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == L'"') quoted = !quoted;
    else if (!quoted && (*p == L' ' || *p == L'\t')) break;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

}  // namespace

int main() {
  const wchar_t* rest = SkipFirstArgument(GetCommandLineW());
  if (!*rest) {
    std::fprintf(stderr, "tyvorn-launch: no program given\n");
    return 125;
  }
  wchar_t* line = _wcsdup(rest);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!line || !CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "tyvorn-launch: cannot start %ls (error %lu)\n", rest, GetLastError());
    return 126;
  }
  free(line);
  CloseHandle(pi.hThread);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);

  char path[MAX_PATH];
  if (GetEnvironmentVariableA("TYVORN_EXIT_FILE", path, sizeof path) - 1 < sizeof path - 1) {
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      char text[16];
      const int n = std::snprintf(text, sizeof text, "%lu\n", code);
      DWORD written = 0;
      WriteFile(f, text, DWORD(n), &written, nullptr);
      CloseHandle(f);
    }
  }
  return int(code);
}
