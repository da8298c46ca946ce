#include "astro/file_replace.h"

#include <cstdio>

int ReplaceWithTemporary(const char* temp, const char* path) {
  if (std::rename(temp, path) == 0) return 1;
  std::remove(path);
  if (std::rename(temp, path) == 0) return 1;
  std::remove(temp);
  return 0;
}
