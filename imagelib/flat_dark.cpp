#include "imagelib/flat_dark.h"

#include <algorithm>
#include <cstring>

namespace {

// Sum of the 16 ring pixels of the 5 x 5 block centred on (x, y), which the
// caller has already moved inside the image.
int32_t RingSum(const int16_t* flat, ptrdiff_t W, ptrdiff_t spp, ptrdiff_t x, ptrdiff_t y, int32_t channel) {
  const ptrdiff_t stride = W * spp;
  const int16_t* c = flat + y * stride + x * spp + channel;
  int32_t sum = 0;
  for (ptrdiff_t dx = -2; dx <= 2; ++dx) sum += c[-2 * stride + dx * spp] + c[2 * stride + dx * spp];
  for (ptrdiff_t dy = -1; dy <= 1; ++dy) sum += c[dy * stride - 2 * spp] + c[dy * stride + 2 * spp];
  return sum;
}

double RingMeanAt(const int16_t* flat, ptrdiff_t W, ptrdiff_t H, ptrdiff_t spp, ptrdiff_t x, ptrdiff_t y,
                  int32_t channel) {
  if (W < 5 || H < 5) return 0.0;
  return RingSum(flat, W, spp, std::clamp<ptrdiff_t>(x, 2, W - 3), std::clamp<ptrdiff_t>(y, 2, H - 3), channel) *
         0.0625;
}

// The flat values f whose k = m / f is used as it is (f not 0, k >= 0.5).
// The rounded quotient never grows with |f|, so they run from 1 up to some
// t when m > 0 and from -t up to -1 when m < 0; there are none when m = 0.
// [*lo, *hi], empty when *lo > *hi.
void UsableFlatValues(double m, int32_t* lo, int32_t* hi) {
  const int32_t side = m > 0.0 ? 1 : -1;
  int32_t good = 0, bad = side > 0 ? 32768 : 32769;   // |f| up to good is usable, from bad on it is not
  if (m == 0.0) bad = 1;
  while (bad - good > 1) {
    const int32_t t = good + (bad - good) / 2;
    (m / (side * t) >= 0.5 ? good : bad) = t;
  }
  *lo = side > 0 ? 1 : -good;
  *hi = side > 0 ? good : -1;
}

}  // namespace

ImageResult SubtractDark(int16_t* dst, const int16_t* light, const int16_t* dark, const ImageHeader* h) {
  if (!dst || !light || !dark) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  const ptrdiff_t n = ImageCols(h) * ImageRows(h) * SamplesPerPixel(h);
  for (ptrdiff_t i = 0; i < n; ++i) {
    const auto d = static_cast<int16_t>(light[i] - dark[i]);
    dst[i] = d >= 0 ? d : int16_t{0};
  }
  return IMG_OK;
}

double FlatRingMean(const int16_t* flat, const ImageHeader* h, int64_t index, int32_t channel) {
  if (!flat || !h) return 0.0;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  if (channel < 0 || channel >= spp || index < 0 || index >= int64_t{W} * H * spp) return 0.0;
  const int64_t pixel = index / spp;
  return RingMeanAt(flat, W, H, spp, static_cast<ptrdiff_t>(pixel % W), static_cast<ptrdiff_t>(pixel / W), channel);
}

ImageResult DivideFlatField(int16_t* dst, const int16_t* light, const int16_t* flat, const ImageHeader* h) {
  if (!dst || !light || !flat) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  const ptrdiff_t n = W * H * spp;
  if (n == 0) return IMG_OK;

  // Writing into the flat would change the divisors and rings still to come.
  int16_t* flatCopy = nullptr;
  if (dst == flat) {
    flatCopy = static_cast<int16_t*>(AllocArray(static_cast<size_t>(n), sizeof(int16_t)));
    if (!flatCopy) return IMG_NO_MEMORY;
    std::memcpy(flatCopy, flat, n * sizeof(int16_t));
    flat = flatCopy;
  }

  // Each row in steps: every sample scaled as if its flat value were usable
  // (its quotient from a table, see below; the others read a clamped
  // index); then, in 16 bits, the samples whose flat value is 0 or a defect
  // keep light, the others take the scaled value; last the defects, from
  // their surroundings. The results go to a row of their own first: with
  // dst the light picture the compiler could not run the loop side by side
  // otherwise.
  const ptrdiff_t rowLen = W * spp;
  const size_t rowBytes = 3 * sizeof(int32_t) + 6 * sizeof(int16_t);
  auto* work = static_cast<int32_t*>(AllocArray(static_cast<size_t>(rowLen), rowBytes));
  if (!work) {
    FreeMem(&flatCopy);
    return IMG_NO_MEMORY;
  }
  int32_t* scaled = work;
  int32_t* index = scaled + rowLen;                              // into the quotients
  int32_t* rowAt = index + rowLen;                               // where each sample's table would start at f = 0
  auto* rowLo = reinterpret_cast<int16_t*>(rowAt + rowLen);      // the usable flat values of each sample's channel
  int16_t* rowHi = rowLo + rowLen;
  int16_t* rowTableLo = rowHi + rowLen;                          // and the range its table covers
  int16_t* rowTableHi = rowTableLo + rowLen;
  int16_t* special = rowTableHi + rowLen;                        // -1 where the flat value is 0 or a defect
  int16_t* result = special + rowLen;

  // Each channel's sum and the range of its flat values (column by column
  // first, so that the rows run side by side).
  int64_t sums[3] = {};
  if (spp == 3) {
    for (ptrdiff_t i = 0; i < n; i += 3) {
      sums[0] += flat[i];
      sums[1] += flat[i + 1];
      sums[2] += flat[i + 2];
    }
  } else {
    for (ptrdiff_t i = 0; i < n; ++i) sums[0] += flat[i];
  }
  int16_t* columnLo = rowTableLo;
  int16_t* columnHi = rowTableHi;
  std::memcpy(columnLo, flat, static_cast<size_t>(rowLen) * sizeof(int16_t));
  std::memcpy(columnHi, flat, static_cast<size_t>(rowLen) * sizeof(int16_t));
  for (ptrdiff_t y = 1; y < H; ++y) {
    const int16_t* f = flat + y * rowLen;
    for (ptrdiff_t i = 0; i < rowLen; ++i) {
      columnLo[i] = std::min(columnLo[i], f[i]);
      columnHi[i] = std::max(columnHi[i], f[i]);
    }
  }
  int32_t lowest[3] = {INT16_MAX, INT16_MAX, INT16_MAX}, highest[3] = {INT16_MIN, INT16_MIN, INT16_MIN};
  for (ptrdiff_t i = 0; i < rowLen; ++i) {
    lowest[i % spp] = std::min<int32_t>(lowest[i % spp], columnLo[i]);
    highest[i % spp] = std::max<int32_t>(highest[i % spp], columnHi[i]);
  }

  // The quotients m / f of the usable flat values that occur, one table per
  // channel: a frame has far more samples than its flat has distinct values.
  double mean[3];
  int32_t usableLo[3], usableHi[3], tableLo[3], tableHi[3], tableAt[3];
  int32_t tableSize = 0;
  for (ptrdiff_t c = 0; c < spp; ++c) {
    mean[c] = static_cast<double>(sums[c]) / static_cast<double>(W * H);
    UsableFlatValues(mean[c], &usableLo[c], &usableHi[c]);
    tableLo[c] = std::max(usableLo[c], lowest[c]);
    tableHi[c] = std::min(usableHi[c], highest[c]);
    if (tableLo[c] > tableHi[c]) tableLo[c] = tableHi[c] = 0;   // nothing usable: one entry, never used
    tableAt[c] = tableSize;
    tableSize += tableHi[c] - tableLo[c] + 1;
  }
  auto* quotients = static_cast<double*>(AllocArray(static_cast<size_t>(tableSize), sizeof(double)));
  if (!quotients) {
    FreeMem(&work);
    FreeMem(&flatCopy);
    return IMG_NO_MEMORY;
  }
  for (ptrdiff_t c = 0; c < spp; ++c)
    for (int32_t f = tableLo[c]; f <= tableHi[c]; ++f)
      quotients[tableAt[c] + f - tableLo[c]] = mean[c] / (f + (f == 0));

  for (ptrdiff_t i = 0; i < rowLen; ++i) {
    const ptrdiff_t c = i % spp;
    rowLo[i] = static_cast<int16_t>(std::max(usableLo[c], INT16_MIN));
    rowHi[i] = static_cast<int16_t>(std::min(usableHi[c], INT16_MAX));
    rowTableLo[i] = static_cast<int16_t>(tableLo[c]);
    rowTableHi[i] = static_cast<int16_t>(tableHi[c]);
    rowAt[i] = tableAt[c] - tableLo[c];
  }
  for (ptrdiff_t y = 0; y < H; ++y) {
    const int16_t* f = flat + y * rowLen;
    const int16_t* l = light + y * rowLen;
    int16_t* out = dst + y * rowLen;
    for (ptrdiff_t i = 0; i < rowLen; ++i)
      index[i] = rowAt[i] + std::min(std::max(f[i], rowTableLo[i]), rowTableHi[i]);
    for (ptrdiff_t i = 0; i < rowLen; ++i) {
      // |v| stays below 2^31 (|l| and |m / f| at most 2^15), so the
      // integer clamps the same as the double would.
      const auto v = static_cast<int32_t>(l[i] * quotients[index[i]] + 0.5);
      scaled[i] = std::min(std::max(v, 0), 32767);
    }
    int16_t any = 0;
    for (ptrdiff_t i = 0; i < rowLen; ++i) {
      const auto odd = static_cast<int16_t>(-((f[i] < rowLo[i]) | (f[i] > rowHi[i])));
      special[i] = odd;
      any |= odd;
      result[i] = static_cast<int16_t>((l[i] & odd) | (static_cast<int16_t>(scaled[i]) & ~odd));
    }
    std::memcpy(out, result, static_cast<size_t>(rowLen) * sizeof(int16_t));
    if (!any) continue;
    for (ptrdiff_t i = 0; i < rowLen; ++i) {
      if (!special[i] || f[i] == 0) continue;
      // A defect of the flat: its surroundings stand in for it.
      const ptrdiff_t c = i % spp;
      const double ring = RingMeanAt(flat, W, H, spp, i / spp, y, static_cast<int32_t>(c));
      if (ring <= 0.0) continue;
      const double v = out[i] * (mean[c] / ring) + 0.5;
      out[i] = v > 32767.0 ? int16_t{32767} : v < 0.0 ? int16_t{0} : static_cast<int16_t>(v);
    }
  }
  FreeMem(&quotients);
  FreeMem(&work);
  FreeMem(&flatCopy);
  return IMG_OK;
}
