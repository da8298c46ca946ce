// Ranking of the frames of a run: one sort value per record from its
// quality measures, the sorts by that value and by the correlation with the
// reference, the text protocol of all records and the names of the ranked
// pictures. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "stacking/frame/frame_record.h"

// Sort value of each of the R records: (sharpness / highest sharpness) x
// (fewest pixels counted / its pixels) x match value; 0 for a record whose
// 6th or 7th measure is at or below its threshold (mean - 2 sigma, at least
// half the mean; sigma the root of the squared deviations over R - 1). A
// single record is not judged by thresholds; no sharpness or no pixels
// give 0.
void ComputeSortValues(FrameRecord* records, int32_t count);

// The first count records by sort value, or by distortion, highest first;
// equal keys keep their order.
void SortBySharpness(FrameRecord* records, int32_t count);
void SortByDistortion(FrameRecord* records, int32_t count);

// N1 after the sharpness sort: ends at the first record whose sort value is
// not above 0, which stays in.
int32_t CutAtRejected(const FrameRecord* records, int32_t n1);

// The protocol: one line per record in record order, "Bild %04ld: Sortvalue:
// %6.4lf X: %4ld Y: %4ld", written anew to fileName ("Protokoll.log" when
// empty). 1 written.
int WriteProtocol(const char* fileName, const FrameRecord* records, int32_t count);

// "<prefix>Sortpic_<rank>_<record frame>.png" with four digits each.
void RankedPictureName(char* out, size_t capacity, const char* prefix, int32_t rank, int32_t recordFrame);
