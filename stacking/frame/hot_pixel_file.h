// Hot-pixel list files (".HPX"): "HPX" and a zero byte, the entry count n,
// the width and height of the frames the list was learnt on (int32 each,
// little-endian), then n entries of four uint16 {channel code, x, y, 0}.
// A file is taken only when it is exactly 16 + 8 n bytes long with n no more
// than width x height x 3; nothing is allocated before that is known.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/hot_pixels.h"

constexpr size_t kHpxHeadBytes = 16;
constexpr size_t kHpxEntryBytes = 8;

enum class HpxError { kNone, kOpen, kNotHpx, kMemory };

// A list read from a file: the entries in a block of AllocMem that the
// holder frees with FreeMem (null for an empty list).
struct HotPixelFileList {
  int32_t count = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t* entries = nullptr;
};

// Checks and parses the bytes of a whole file; out receives a new entries
// block only on success (1). 0 with kNotHpx or kMemory.
int ParseHotPixelFile(const uint8_t* data, size_t size, HotPixelFileList* out, HpxError* error);

// Reads a file ("rb"); kOpen when it cannot be opened or read.
int ReadHotPixelFile(const char* fileName, HotPixelFileList* out, HpxError* error);

// Writes the list (head and entries) under a temporary name and moves it
// over fileName; 1 when every byte was written.
int WriteHotPixelFile(const char* fileName, const HotPixelList* list);

// The message of a failed read: "Datei ist nicht zu öffnen !", "Datei ist
// keine Hotpixelliste !", "Nicht genug Speicher !"; null for kNone.
const char* HotPixelFileMessage(HpxError error);
