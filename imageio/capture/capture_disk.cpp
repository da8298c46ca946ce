#include "capture_disk.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Free bytes of the disk of a folder; false when it cannot be read.
bool FreeBytesOf(const char* folder, uint64_t* bytes) {
  // The extended call knows disks beyond 2 GB; very old systems lack it.
  static const auto ex = reinterpret_cast<FreeSpaceEx>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
  if (ex) {
    ULARGE_INTEGER available, total, free;
    if (!ex(folder, &available, &total, &free)) return false;
    *bytes = free.QuadPart;
    return true;
  }
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(folder, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return false;
  *bytes = uint64_t(sectorsPerCluster) * bytesPerSector * freeClusters;
  return true;
}

// The folder part of a path, with its backslash ("" for a bare name).
void FolderOf(const char* path, char* folder, size_t capacity) {
  std::snprintf(folder, capacity, "%s", path ? path : "");
  char* slash = std::strrchr(folder, '\\');
  char* forward = std::strrchr(folder, '/');
  if (forward > slash) slash = forward;
  if (slash) {
    slash[1] = '\0';
  } else if (folder[0] && folder[1] == ':') {
    folder[2] = '\0';
  } else {
    folder[0] = '\0';
  }
}

}  // namespace

uint64_t GetFreeDiskSpace(const char* rootPath) {
  uint64_t bytes = 0;
  const bool known = rootPath ? FreeBytesForFile(rootPath, &bytes) : FreeBytesOf(nullptr, &bytes);
  return known ? bytes / kDiskUnitBytes : 0;
}

bool FreeBytesForFile(const char* file, uint64_t* bytes) {
  char folder[MAX_PATH * 4];
  FolderOf(file, folder, sizeof folder);
  if (folder[0] && FreeBytesOf(folder, bytes)) return true;
  // A folder not made yet: its drive.
  if (std::strlen(folder) >= 2 && folder[1] == ':') {
    const char root[4] = {folder[0], ':', '\\', '\0'};
    if (FreeBytesOf(root, bytes)) return true;
  }
  return FreeBytesOf(nullptr, bytes);
}

bool ReadFileSize(const char* path, uint64_t* size) {
  // The attributes need no handle, so the file's writer and its sharing do not matter.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  *size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool SeriesFileExists(const char* base, SeriesName kind, int32_t first, int32_t count) {
  char pattern[MAX_PATH * 4];
  const int n = std::snprintf(pattern, sizeof pattern, "%s*%s", base, kind == SeriesName::kBmp ? ".bmp" : ".avi");
  if (n < 0 || size_t(n) >= sizeof pattern) return false;
  const char* slash = std::strrchr(base, '\\');
  const char* forward = std::strrchr(base, '/');
  if (forward > slash) slash = forward;
  const char* baseName = slash ? slash + 1 : (base[0] && base[1] == ':' ? base + 2 : base);
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool exists = false;
  do {
    int32_t number;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        SeriesNumberOf(found.cFileName, baseName, kind, &number) && number >= first && number - first < count)
      exists = true;
  } while (!exists && FindNextFileA(search, &found));
  FindClose(search);
  return exists;
}
