#include "imagelib/noise_filters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "imagelib/matrix.h"
#include "imagelib/whole_division.h"

namespace {

enum class Op { Median, Mean, Sigma };

// Window width and height (columns x rows), the squared-distance limit of the
// mask cells and the operation of each filter type 0..7.
struct FilterKind {
  int32_t w, h, limit;
  Op op;
};
constexpr FilterKind kKinds[8] = {
    {3, 3, 2, Op::Median}, {5, 3, 4, Op::Median}, {5, 5, 4, Op::Median}, {7, 5, 6, Op::Median},
    {3, 3, 2, Op::Mean},   {5, 5, 4, Op::Mean},   {3, 3, 2, Op::Sigma},  {5, 5, 4, Op::Sigma},
};

constexpr int kMaxCells = 65;    // the longest vertical line; the windows have at most 21 cells
constexpr int kMatrixSize = 65;  // the mask matrix has room for any window up to 65 x 65

inline void Sort2(int16_t& a, int16_t& b) {
  const int16_t lo = std::min(a, b), hi = std::max(a, b);
  a = lo;
  b = hi;
}

// Median networks for the common windows; the value equals SelectMedian's.
inline int16_t Median3(int16_t* p) {
  Sort2(p[0], p[1]);
  return std::max(p[0], std::min(p[1], p[2]));
}

inline int16_t Median5(int16_t* p) {
  Sort2(p[0], p[1]);
  Sort2(p[3], p[4]);
  Sort2(p[0], p[3]);
  Sort2(p[1], p[4]);
  Sort2(p[1], p[2]);
  Sort2(p[2], p[3]);
  Sort2(p[1], p[2]);
  return p[2];
}

inline int16_t Median9(int16_t* p) {
  Sort2(p[1], p[2]);
  Sort2(p[4], p[5]);
  Sort2(p[7], p[8]);
  Sort2(p[0], p[1]);
  Sort2(p[3], p[4]);
  Sort2(p[6], p[7]);
  Sort2(p[1], p[2]);
  Sort2(p[4], p[5]);
  Sort2(p[7], p[8]);
  Sort2(p[0], p[3]);
  Sort2(p[5], p[8]);
  Sort2(p[4], p[7]);
  Sort2(p[3], p[6]);
  Sort2(p[1], p[4]);
  Sort2(p[2], p[5]);
  Sort2(p[4], p[7]);
  Sort2(p[4], p[2]);
  Sort2(p[6], p[4]);
  Sort2(p[4], p[2]);
  return p[4];
}

// One output row of a filter: out[i] from the samples cell[c][i] under its
// n cells (N when known at compile time, else 0), centre[i] being the
// sample itself. sums holds count int32 of work room.
struct RowJob {
  const int16_t* cell[kMaxCells];
  const int16_t* centre;
  int16_t* out;
  ptrdiff_t count;
  int32_t n;
  int32_t top;      // levels - 1
  double k;         // sigma factor
  int32_t* sums;
};

// The mean, clamped to 0..top and cut to an integer. The sum is taken in
// integers: with the weights 1 / n in doubles a window of nine equal samples
// could come out a level low (1/9 rounds down), so a flat picture would not
// stay flat. The separable passes' single-precision weights lie just above
// 1 / n and give exactly these integer means.
inline int16_t MeanOfSum(int32_t sum, const FloatQuotient& byCount, int32_t top) {
  return static_cast<int16_t>(std::min(byCount(std::max(sum, 0)), top));
}

template <int N>
void MeanRow(const RowJob& job) {
  const int32_t top = job.top;
  const ptrdiff_t count = job.count;
  const FloatQuotient byCount(job.n);
  if constexpr (N > 0) {
    // Whole sums in registers; the cell loop unrolls.
    const int16_t* cell[N];
    for (int c = 0; c < N; ++c) cell[c] = job.cell[c];
    for (ptrdiff_t i = 0; i < count; ++i) {
      int32_t sum = 0;
      for (int c = 0; c < N; ++c) sum += cell[c][i];
      job.out[i] = MeanOfSum(sum, byCount, top);
    }
  } else {
    int32_t* sums = job.sums;
    for (ptrdiff_t i = 0; i < count; ++i) sums[i] = job.cell[0][i];
    for (int32_t c = 1; c < job.n; ++c) {
      const int16_t* in = job.cell[c];
      for (ptrdiff_t i = 0; i < count; ++i) sums[i] += in[i];
    }
    for (ptrdiff_t i = 0; i < count; ++i) job.out[i] = MeanOfSum(sums[i], byCount, top);
  }
}

template <int N>
void MedianRow(const RowJob& job) {
  const int32_t n = N ? N : job.n;
  int16_t v[kMaxCells];
  for (ptrdiff_t i = 0; i < job.count; ++i) {
    for (int32_t c = 0; c < n; ++c) v[c] = job.cell[c][i];
    if constexpr (N == 3)
      job.out[i] = Median3(v);
    else if constexpr (N == 5)
      job.out[i] = Median5(v);
    else if constexpr (N == 9)
      job.out[i] = Median9(v);
    else
      job.out[i] = SelectMedian(v, n);
  }
}

void SigmaRow(const RowJob& job) {
  int16_t v[kMaxCells];
  for (ptrdiff_t i = 0; i < job.count; ++i) {
    for (int32_t c = 0; c < job.n; ++c) v[c] = job.cell[c][i];
    job.out[i] = SigmaClipSample(v, job.centre[i], job.n, job.k);
  }
}

using RowFilter = void (*)(const RowJob&);

RowFilter PickRowFilter(Op op, int32_t n) {
  switch (op) {
    case Op::Mean:
      switch (n) {
        case 3: return MeanRow<3>;
        case 5: return MeanRow<5>;
        case 9: return MeanRow<9>;
        default: return MeanRow<0>;
      }
    case Op::Median:
      switch (n) {
        case 3: return MedianRow<3>;
        case 5: return MedianRow<5>;
        case 9: return MedianRow<9>;
        default: return MedianRow<0>;
      }
    default: return SigmaRow;
  }
}

// Cells as sample offsets from the centre sample, in cell order.
struct Cells {
  int32_t n = 0;
  ptrdiff_t offset[kMaxCells];
  Op op = Op::Median;
};

// Pixel columns [x0, x1) and rows [y0, y1) filtered through a ring of depth
// result rows: a row reaches dst only once no later row reads it, so dst may
// be src. depth must exceed the cells' reach above the centre.
ImageResult FilterWindow(const ImageHeader* h, const int16_t* src, int16_t* dst, const Cells& cells, double k,
                         ptrdiff_t x0, ptrdiff_t x1, ptrdiff_t y0, ptrdiff_t y1, ptrdiff_t depth,
                         ProgressCallback progress) {
  if (x1 <= x0 || y1 <= y0) return IMG_OK;
  const ptrdiff_t spp = SamplesPerPixel(h);
  const ptrdiff_t stride = ImageCols(h) * spp;
  const ptrdiff_t span = (x1 - x0) * spp;
  auto* ring = static_cast<int16_t*>(AllocArray(static_cast<size_t>(depth * span), sizeof(int16_t)));
  auto* sums = static_cast<int32_t*>(AllocArray(static_cast<size_t>(span), sizeof(int32_t)));
  if (!ring || !sums) {
    FreeMem(&ring);
    FreeMem(&sums);
    return IMG_NO_MEMORY;
  }
  const RowFilter filter = PickRowFilter(cells.op, cells.n);
  RowJob job;
  job.count = span;
  job.n = cells.n;
  job.top = h->levels - 1;
  job.k = k;
  job.sums = sums;
  const int32_t rows = static_cast<int32_t>(y1 - y0);
  auto flush = [&](ptrdiff_t y) {
    std::memcpy(dst + y * stride + x0 * spp, ring + ((y - y0) % depth) * span, span * sizeof(int16_t));
  };
  for (ptrdiff_t y = y0; y < y1; ++y) {
    if (y - y0 >= depth) flush(y - depth);
    job.centre = src + y * stride + x0 * spp;
    for (int32_t c = 0; c < cells.n; ++c) job.cell[c] = job.centre + cells.offset[c];
    job.out = ring + ((y - y0) % depth) * span;
    filter(job);
    if (progress) progress(rows, 0);
  }
  for (ptrdiff_t y = std::max(y0, y1 - depth); y < y1; ++y) flush(y);
  FreeMem(&ring);
  FreeMem(&sums);
  return IMG_OK;
}

ImageResult CheckFilterArgs(const ImageRect* r, const ImageHeader* h, const int16_t* src, const int16_t* dst) {
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  return IMG_OK;
}

// The rows, then the columns of r. The first pass writes every sample of r
// (its border columns unfiltered); the second keeps the first pass's rows it
// still needs in a ring, so dst may be src.
ImageResult FilterSeparable(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                            int32_t type, ProgressCallback progress) {
  const FilterKind& kind = kKinds[type];
  const ptrdiff_t spp = SamplesPerPixel(h);
  const ptrdiff_t stride = ImageCols(h) * spp;
  const ptrdiff_t span = ptrdiff_t{r->w} * spp;
  const ptrdiff_t hw = kind.w / 2, hh = kind.h / 2;
  // One row of src, then kind.h rows of first-pass results; the sums.
  auto* work = static_cast<int16_t*>(AllocArray(static_cast<size_t>((1 + kind.h) * span), sizeof(int16_t)));
  auto* sums = static_cast<int32_t*>(AllocArray(static_cast<size_t>(span), sizeof(int32_t)));
  if (!work || !sums) {
    FreeMem(&work);
    FreeMem(&sums);
    return IMG_NO_MEMORY;
  }
  int16_t* row = work;
  int16_t* ring = work + span;
  RowJob job;
  job.top = h->levels - 1;
  job.k = 0.0;
  job.sums = sums;

  // First pass: the samples hw pixels in from each side of r, from a copy of
  // the row, the others copied.
  const ptrdiff_t inner = span - 2 * hw * spp;
  const RowFilter across = PickRowFilter(kind.op, kind.w);
  job.n = kind.w;
  job.count = inner;
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
    int16_t* out = dst + y * stride + ptrdiff_t{r->x} * spp;
    std::memcpy(row, src + y * stride + ptrdiff_t{r->x} * spp, span * sizeof(int16_t));
    if (inner > 0) {
      for (int32_t c = 0; c < kind.w; ++c) job.cell[c] = row + c * spp;
      job.centre = row + hw * spp;
      job.out = out + hw * spp;
      across(job);
      std::memcpy(out, row, hw * spp * sizeof(int16_t));
      std::memcpy(out + span - hw * spp, row + span - hw * spp, hw * spp * sizeof(int16_t));
    } else {
      std::memcpy(out, row, span * sizeof(int16_t));
    }
    if (progress) progress(r->h, 0);
  }

  // Second pass row by row; its progress still counts the columns of r.
  const ptrdiff_t y0 = ptrdiff_t{r->y} + hh, y1 = ptrdiff_t{r->y} + r->h - hh;
  const ptrdiff_t rows = std::max<ptrdiff_t>(y1 - y0, 0);
  const RowFilter down = PickRowFilter(kind.op, kind.h);
  job.n = kind.h;
  job.count = span;
  int32_t columnsReported = 0;
  auto slot = [&](ptrdiff_t y) { return ring + ((y - r->y) % kind.h) * span; };
  auto load = [&](ptrdiff_t y) {
    std::memcpy(slot(y), dst + y * stride + ptrdiff_t{r->x} * spp, span * sizeof(int16_t));
  };
  if (rows > 0)
    for (ptrdiff_t y = y0 - hh; y < y0 + hh; ++y) load(y);
  for (ptrdiff_t y = y0; y < y1; ++y) {
    load(y + hh);
    for (int32_t c = 0; c < kind.h; ++c) job.cell[c] = slot(y - hh + c);
    job.centre = slot(y);
    job.out = dst + y * stride + ptrdiff_t{r->x} * spp;
    down(job);
    if (progress)
      for (const int32_t due = static_cast<int32_t>((y - y0 + 1) * r->w / rows); columnsReported < due;
           ++columnsReported)
        progress(r->w, 0);
  }
  if (progress)
    for (; columnsReported < r->w; ++columnsReported) progress(r->w, 0);
  FreeMem(&work);
  FreeMem(&sums);
  return IMG_OK;
}

}  // namespace

int16_t SelectMedian(int16_t* a, int32_t n) {
  if (!a || n < 1) return 0;
  const int32_t k = n / 2;
  int32_t l = 0, r = n - 1;
  while (r > l) {
    const int16_t x = a[r];
    int32_t i = l - 1, j = r;
    for (;;) {
      while (a[++i] < x) {
      }
      while (j > l && a[--j] > x) {
      }
      if (i >= j) break;
      std::swap(a[i], a[j]);
    }
    std::swap(a[i], a[r]);
    if (i >= k) r = i - 1;
    if (i <= k) l = i + 1;
  }
  return a[k];
}

int16_t SigmaClipSample(const int16_t* samples, int16_t centre, int32_t n, double k) {
  if (!samples || n < 1) return centre;
  int64_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += samples[i];
  const double m = static_cast<double>(sum) / n;
  double v = 0.0;
  for (int32_t i = 0; i < n; ++i) v += (samples[i] - m) * (samples[i] - m);
  const auto rounded = static_cast<int16_t>(static_cast<int32_t>(std::floor(m + 0.5)));
  if (v == 0.0) return rounded;
  const double sigma = std::sqrt(v / (n - 1));
  return std::fabs(centre - m) > sigma * k ? rounded : centre;
}

int BuildNoiseKernelShape(int32_t w, int32_t h, int32_t type, double* const* matrix) {
  const int result = type == 4 || type == 5 ? 0 : 1;
  if (!matrix || w < 1 || h < 1 || w > kMatrixSize || h > kMatrixSize) return 1;
  const int32_t limit = type >= 0 && type < 8 ? kKinds[type].limit : 0;
  int32_t cells = 0;
  for (int32_t i = 0; i < h; ++i) {
    for (int32_t j = 0; j < w; ++j) {
      const int32_t dx = j - w / 2, dy = i - h / 2;
      const bool in = dx * dx + dy * dy < limit;
      matrix[i][j] = in ? 1.0 : 0.0;
      cells += in;
    }
  }
  if (result == 0 && cells > 0)
    for (int32_t i = 0; i < h; ++i)
      for (int32_t j = 0; j < w; ++j)
        if (matrix[i][j] != 0.0) matrix[i][j] = 1.0 / cells;
  return result;
}

int InitSeparableWeights(int32_t w, int32_t h, int32_t type, double* rowWeights, double* colWeights) {
  if (type < 0 || type > 5 || !rowWeights || !colWeights || w < 1 || h < 1) return 1;
  const bool mean = type >= 4;
  for (int32_t i = 0; i < w; ++i) rowWeights[i] = mean ? static_cast<double>(1.0f / static_cast<float>(w)) : 1.0;
  for (int32_t i = 0; i < h; ++i) colWeights[i] = mean ? static_cast<double>(1.0f / static_cast<float>(h)) : 1.0;
  return 0;
}

double NoiseSigmaFactor(double setting) { return std::pow(10.0, 0.02 * setting); }

ImageResult ApplyNoiseFilter(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                             double sigmaFactor, int32_t type, int32_t separable, ProgressCallback progress) {
  if (ImageResult e = CheckFilterArgs(r, h, src, dst)) return e;
  if (type == 8) return FilterVerticalLine(r, h, src, dst, 3, 2);
  if (type == 9) return FilterVerticalLine(r, h, src, dst, 3, 3);
  if (type < 0 || type > 9 || h->levels < 1) return IMG_BAD_PARAMETER;
  if (separable == 1 && type <= 5) return FilterSeparable(r, h, src, dst, type, progress);

  const FilterKind& kind = kKinds[type];
  double** shape = nullptr;
  if (!AllocMatrix(&shape, kMatrixSize)) return IMG_NO_MEMORY;
  BuildNoiseKernelShape(kind.w, kind.h, type, shape);
  const ptrdiff_t spp = SamplesPerPixel(h), stride = ImageCols(h) * spp;
  Cells cells;
  cells.op = kind.op;
  for (int32_t i = 0; i < kind.h; ++i) {
    for (int32_t j = 0; j < kind.w; ++j) {
      if (shape[i][j] != 0.0) cells.offset[cells.n++] = (i - kind.h / 2) * stride + (j - kind.w / 2) * spp;
    }
  }
  FreeMatrix(&shape);
  const ptrdiff_t hw = kind.w / 2, hh = kind.h / 2;
  return FilterWindow(h, src, dst, cells, sigmaFactor, r->x + hw, ptrdiff_t{r->x} + r->w - hw, r->y + hh,
                      ptrdiff_t{r->y} + r->h - hh, hh + 1, progress);
}

ImageResult FilterVerticalLine(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                               uint32_t length, int32_t mode) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (length == 0 || length > 65 || (mode != 2 && mode != 3) || h->levels < 1) return IMG_BAD_PARAMETER;
  const int32_t hl = static_cast<int32_t>(length / 2);
  const ptrdiff_t stride = ImageCols(h) * SamplesPerPixel(h);
  Cells cells;
  cells.op = mode == 2 ? Op::Median : Op::Mean;
  cells.n = 2 * hl + 1;
  for (int32_t c = 0; c < cells.n; ++c) cells.offset[c] = (c - hl) * stride;
  return FilterWindow(h, src, dst, cells, 0.0, ptrdiff_t{r->x} + hl, ptrdiff_t{r->x} + r->w,
                      ptrdiff_t{r->y} + hl, ptrdiff_t{r->y} + r->h - hl, hl + 1, nullptr);
}
