#include "stacking/frame/hot_pixel_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "stacking/file_commit.h"
#include "stacking/record_fields.h"

namespace {

int Fail(HpxError* error, HpxError why) {
  if (error) *error = why;
  return 0;
}

}  // namespace

int ParseHotPixelFile(const uint8_t* data, size_t size, HotPixelFileList* out, HpxError* error) {
  if (error) *error = HpxError::kNone;
  if (!data || !out || size < kHpxHeadBytes || std::memcmp(data, "HPX", 4) != 0) return Fail(error, HpxError::kNotHpx);
  const int32_t count = Get32(data + 4), width = Get32(data + 8), height = Get32(data + 12);
  // The whole file must be the head and count entries, and no frame holds
  // more hot samples than it has samples.
  if (count < 0 || width < 1 || height < 1 || uint64_t(count) > uint64_t(width) * uint64_t(height) * 3 ||
      uint64_t(size) != kHpxHeadBytes + kHpxEntryBytes * uint64_t(count))
    return Fail(error, HpxError::kNotHpx);
  uint16_t* entries = nullptr;
  if (count > 0) {
    entries = static_cast<uint16_t*>(AllocArray(size_t(count) * 4, sizeof(uint16_t)));
    if (!entries) return Fail(error, HpxError::kMemory);
    const uint8_t* p = data + kHpxHeadBytes;
    for (size_t i = 0; i < size_t(count) * 4; ++i, p += 2) entries[i] = uint16_t(p[0] | p[1] << 8);
  }
  out->count = count;
  out->width = width;
  out->height = height;
  out->entries = entries;
  return 1;
}

int ReadHotPixelFile(const char* fileName, HotPixelFileList* out, HpxError* error) {
  FILE* f = fileName ? std::fopen(fileName, "rb") : nullptr;
  if (!f) return Fail(error, HpxError::kOpen);
  // Only the head decides how much more is read: a lying count is caught
  // against the file's length before the entries are.
  uint8_t head[kHpxHeadBytes];
  long length = -1;
  const bool haveHead = std::fread(head, 1, sizeof head, f) == sizeof head;
  if (haveHead && std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (!haveHead || length < long(kHpxHeadBytes) || std::memcmp(head, "HPX", 4) != 0) {
    std::fclose(f);
    return Fail(error, HpxError::kNotHpx);
  }
  const int32_t count = Get32(head + 4);
  if (count < 0 || uint64_t(length) != kHpxHeadBytes + kHpxEntryBytes * uint64_t(count)) {
    std::fclose(f);
    return Fail(error, HpxError::kNotHpx);
  }
  std::vector<uint8_t> bytes;
  bool read = false;
  try {
    bytes.resize(size_t(length));
    read = std::fseek(f, 0, SEEK_SET) == 0 && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  } catch (const std::bad_alloc&) {
    std::fclose(f);
    return Fail(error, HpxError::kMemory);
  }
  std::fclose(f);
  if (!read) return Fail(error, HpxError::kOpen);
  return ParseHotPixelFile(bytes.data(), bytes.size(), out, error);
}

int WriteHotPixelFile(const char* fileName, const HotPixelList* list) {
  if (!fileName || !list || list->count < 0) return 0;
  uint8_t head[kHpxHeadBytes] = {'H', 'P', 'X', 0};
  Put32(head + 4, list->count);
  Put32(head + 8, list->width);
  Put32(head + 12, list->height);
  std::vector<uint8_t> body(size_t(list->count) * kHpxEntryBytes);
  const HotPixelEntry* e = HotPixelEntries(list);
  for (size_t i = 0; i < size_t(list->count); ++i)
    for (size_t k = 0; k < 4; ++k) {
      body[i * 8 + k * 2] = uint8_t(e[i][k]);
      body[i * 8 + k * 2 + 1] = uint8_t(e[i][k] >> 8);
    }
  CommittedFile file;
  return file.Open(fileName) && file.Write(head, sizeof head) && file.Write(body.data(), body.size()) &&
                 file.Commit()
             ? 1
             : 0;
}

const char* HotPixelFileMessage(HpxError error) {
  switch (error) {
    case HpxError::kOpen: return "Datei ist nicht zu öffnen !";
    case HpxError::kNotHpx: return "Datei ist keine Hotpixelliste !";
    case HpxError::kMemory: return "Nicht genug Speicher !";
    default: return nullptr;
  }
}
