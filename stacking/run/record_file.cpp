#include "stacking/run/record_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "stacking/file_commit.h"
#include "stacking/record_fields.h"

namespace {

// The header is a record of fixed offsets already (checked where it is
// declared); its texts get their terminators back when read.
void PutHeader(uint8_t* p, const ImageHeader& h) { std::memcpy(p, &h, sizeof h); }
void GetHeader(const uint8_t* p, ImageHeader* h) {
  std::memcpy(h, p, sizeof *h);
  h->valueUnit[sizeof h->valueUnit - 1] = '\0';
  h->xUnit[sizeof h->xUnit - 1] = '\0';
  h->yUnit[sizeof h->yUnit - 1] = '\0';
}

// Offsets of the record file's head.
enum : size_t {
  kHeadName = 0,
  kHeadCount = 1024,
  kHeadSum = 1028,
  kHeadResult = 1252,
  kHeadReference = 1476,
  kHeadNthPic = 1484,
  kHeadSource = 1488,
  kHeadSettings = 1492,
};

// Offsets of a record.
enum : size_t {
  kSort = 0,
  kDistortion = 8,
  kName = 16,
  kFieldKind = 1040,
  kSourceFrame = 1044,
  kRecordFrame = 1048,
  kCentre = 1052,
  kQualityBox = 1068,
  kMeasures = 1084,
  kMatch = 1140,
  kPixelCount = 1148,
};
static_assert(kPixelCount + 4 == kFrameRecordBytes, "a record is 1152 bytes");
static_assert(kHeadSettings + 6 * 4 == kRecordFileHeadBytes, "the head is 1516 bytes");
static_assert(sizeof(ImageHeader) == kHeadResult - kHeadSum, "headers are stored whole");

}  // namespace

void EncodeFrameRecord(const FrameRecord& r, uint8_t out[kFrameRecordBytes]) {
  std::memset(out, 0, kFrameRecordBytes);
  PutDouble(out + kSort, r.sortValue);
  PutDouble(out + kDistortion, r.distortion);
  std::memcpy(out + kName, r.seriesName, kRecordNameSize);
  out[kName + kRecordNameSize - 1] = 0;
  const int32_t ints[] = {r.fieldKind, r.sourceFrame, r.recordFrame, r.centreX, r.centreY, r.centreWidth,
                          r.centreHeight, r.qualityBox.x, r.qualityBox.y, r.qualityBox.w, r.qualityBox.h};
  for (size_t i = 0; i < sizeof ints / sizeof ints[0]; ++i) Put32(out + kFieldKind + 4 * i, ints[i]);
  for (int i = 0; i < kQualityMeasures; ++i) PutDouble(out + kMeasures + 8 * size_t(i), r.qualityMeasures[i]);
  PutDouble(out + kMatch, r.matchValue);
  Put32(out + kPixelCount, r.pixelCount);
}

void DecodeFrameRecord(const uint8_t in[kFrameRecordBytes], FrameRecord* r) {
  r->sortValue = GetDouble(in + kSort);
  r->distortion = GetDouble(in + kDistortion);
  std::memcpy(r->seriesName, in + kName, kRecordNameSize);
  r->seriesName[kRecordNameSize - 1] = '\0';
  int32_t* ints[] = {&r->fieldKind, &r->sourceFrame, &r->recordFrame, &r->centreX, &r->centreY, &r->centreWidth,
                     &r->centreHeight, &r->qualityBox.x, &r->qualityBox.y, &r->qualityBox.w, &r->qualityBox.h};
  for (size_t i = 0; i < sizeof ints / sizeof ints[0]; ++i) *ints[i] = Get32(in + kFieldKind + 4 * i);
  for (int i = 0; i < kQualityMeasures; ++i) r->qualityMeasures[i] = GetDouble(in + kMeasures + 8 * size_t(i));
  r->matchValue = GetDouble(in + kMatch);
  r->pixelCount = Get32(in + kPixelCount);
}

int WriteRecordFile(const char* path, const RecordFileHead& head, const FrameRecord* records) {
  if (!path || head.recordCount < 0 || (head.recordCount > 0 && !records)) return 0;
  uint8_t h[kRecordFileHeadBytes] = {};
  std::memcpy(h + kHeadName, head.seriesName, kRecordNameSize);
  h[kHeadName + kRecordNameSize - 1] = 0;
  Put32(h + kHeadCount, head.recordCount);
  PutHeader(h + kHeadSum, head.sumHeader);
  PutHeader(h + kHeadResult, head.resultHeader);
  Put32(h + kHeadReference, head.referenceX);
  Put32(h + kHeadReference + 4, head.referenceY);
  Put32(h + kHeadNthPic, head.fitNthPic);
  Put32(h + kHeadSource, head.addpicsource + 1);
  const int32_t settings[] = {head.interlace, head.superres, head.subpixelfactor,
                              head.subpixPart, head.subpixOrigsize, head.excludeBorder};
  for (size_t i = 0; i < 6; ++i) Put32(h + kHeadSettings + 4 * i, settings[i]);
  CommittedFile file;
  if (!file.Open(path) || !file.Write(h, sizeof h)) return 0;
  uint8_t record[kFrameRecordBytes];
  for (int32_t i = 0; i < head.recordCount; ++i) {
    EncodeFrameRecord(records[i], record);
    if (!file.Write(record, sizeof record)) return 0;
  }
  return file.Commit() ? 1 : 0;
}

int ReadRecordFile(const char* path, RecordFileHead* head, FrameRecord** records) {
  *records = nullptr;
  FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) return 0;
  uint8_t h[kRecordFileHeadBytes];
  long length = -1;
  bool ok = std::fread(h, 1, sizeof h, f) == sizeof h && std::fseek(f, 0, SEEK_END) == 0;
  if (ok) length = std::ftell(f);
  const int32_t count = ok ? Get32(h + kHeadCount) : -1;
  // The count must be what the file holds, before anything is allocated.
  ok = ok && count >= 0 && length >= 0 &&
       uint64_t(length) == kRecordFileHeadBytes + kFrameRecordBytes * uint64_t(count) &&
       std::fseek(f, long(kRecordFileHeadBytes), SEEK_SET) == 0;
  FrameRecord* block = ok ? static_cast<FrameRecord*>(AllocArray(size_t(count) + kSpareRecords, sizeof(FrameRecord)))
                          : nullptr;
  uint8_t record[kFrameRecordBytes];
  for (int32_t i = 0; block && i < count; ++i) {
    if (std::fread(record, 1, sizeof record, f) != sizeof record) {
      FreeMem(&block);
      break;
    }
    DecodeFrameRecord(record, &block[i]);
  }
  std::fclose(f);
  if (!block) return 0;
  std::memcpy(head->seriesName, h + kHeadName, kRecordNameSize);
  head->seriesName[kRecordNameSize - 1] = '\0';
  head->recordCount = count;
  GetHeader(h + kHeadSum, &head->sumHeader);
  GetHeader(h + kHeadResult, &head->resultHeader);
  head->referenceX = Get32(h + kHeadReference);
  head->referenceY = Get32(h + kHeadReference + 4);
  head->fitNthPic = Get32(h + kHeadNthPic);
  head->addpicsource = Get32(h + kHeadSource) - 1;
  int32_t* settings[] = {&head->interlace, &head->superres, &head->subpixelfactor,
                         &head->subpixPart, &head->subpixOrigsize, &head->excludeBorder};
  for (size_t i = 0; i < 6; ++i) *settings[i] = Get32(h + kHeadSettings + 4 * i);
  *records = block;
  return 1;
}

void RecordFilePath(char* out, size_t capacity, const char* directory) {
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  const size_t n = directory ? std::strlen(directory) : 0;
  const bool ends = n > 0 && (directory[n - 1] == '\\' || directory[n - 1] == '/');
  if (n == 0)
    std::snprintf(out, capacity, "%s", kRecordFileName);
  else if (ends)
    std::snprintf(out, capacity, "%s%s", directory, kRecordFileName);
  else
    std::snprintf(out, capacity, "%s%c%s", directory, separator, kRecordFileName);
}
