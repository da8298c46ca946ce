#include "imagelib/convolution.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/gradients.h"
#include "imagelib/matrix.h"
#include "imagelib/scratch.h"

namespace {

constexpr double kGaussWidth = 1.0 / 3.0;   // g of the Gaussian forms
constexpr int32_t kAdaptiveKernels = 16;
constexpr int32_t kMaxWorkers = 16;

constexpr int8_t kRelief[8][3][3] = {
    {{1, 1, 1}, {0, 0, 0}, {-1, -1, -1}},   {{0, 1, 1}, {-1, 0, 1}, {-1, -1, 0}},
    {{-1, 0, 1}, {-1, 0, 1}, {-1, 0, 1}},   {{-1, -1, 0}, {-1, 0, 1}, {0, 1, 1}},
    {{-1, -1, -1}, {0, 0, 0}, {1, 1, 1}},   {{0, -1, -1}, {1, 0, -1}, {1, 1, 0}},
    {{1, 0, -1}, {1, 0, -1}, {1, 0, -1}},   {{1, 1, 0}, {1, 0, -1}, {0, -1, -1}},
};

bool IsUnsharp(int32_t type) { return (type >= 0 && type <= 3) || type == KERNEL_STAR; }

int64_t LineSide(int32_t size, int32_t lineLength) {
  return lineLength < 2 ? size : int64_t{size} + 2 * int64_t{lineLength / 2};
}

// The parameters of one kernel, checked, with its side K and centre c.
struct KernelParams {
  int32_t N, inner, M;
  double s;
  int32_t L;
  double angle;
  int32_t type, shape;
  int32_t K, c;

  bool UsesSecondary() const { return shape != kCentreCellShape && type >= 0 && type <= 2; }
};

// Refuses the sizes that would divide by zero or place the sharp kernel
// outside the main one.
ImageResult MakeParams(KernelParams* p, int32_t N, int32_t inner, int32_t M, double s, int32_t L, double angle,
                       int32_t type, int32_t shape) {
  if (type < 0) return IMG_BAD_PARAMETER;
  if (type == KERNEL_MEAN || type == KERNEL_MEDIAN) L = 0;
  *p = KernelParams{N, inner, M, s, L, angle, type, shape, 3, 1};
  if (type >= KERNEL_RELIEF) return IMG_OK;
  const int64_t K = LineSide(N, L);
  if (N < 1 || K > 4096 || !(s > 0.0)) return IMG_BAD_PARAMETER;
  p->K = static_cast<int32_t>(K);
  p->c = p->K / 2;
  if (p->c == 0 && (type == KERNEL_DISTANCE || type == KERNEL_STAR)) return IMG_BAD_PARAMETER;
  // A flat centre below 0 wide leaves a Gaussian that can vanish altogether.
  if (type == KERNEL_FLAT_TOP && (inner == N || inner < 0)) return IMG_BAD_PARAMETER;
  // The line's cells come from the angle: one that is not a number has none.
  if (p->L >= 2 && IsUnsharp(type) && !std::isfinite(angle)) return IMG_BAD_PARAMETER;
  if (p->UsesSecondary() && (M < 1 || M > p->K)) return IMG_BAD_PARAMETER;
  return IMG_OK;
}

// Value of the blur at distance d from the disc centre, (dx, dy) from it,
// before its sign; c is the kernel centre.
double BlurForm(const KernelParams& p, double d, double dx, double dy) {
  const double rN = p.N * 0.5, rI = p.inner * 0.5, c = p.c;
  switch (p.type) {
    case KERNEL_FLAT: return 1.0;
    case KERNEL_GAUSS: return std::exp(-d * d / (kGaussWidth * rN));
    case KERNEL_DISTANCE: return d / c;
    case KERNEL_FLAT_TOP: return d < rI ? 1.0 : std::exp(-(d - rI) * (d - rI) / (kGaussWidth * (rN - rI)));
    case KERNEL_STAR: return 1.0 / (dx * dx * dy * dy * 9.0 / (c * c) + 1.0);
    default: return 0.0;
  }
}

// The main kernel before its sharp part: the negative blur on the disc (the
// positive disc for the mean and the median), or the disc smeared along the
// line with its weights spread over four cells.
void FillMainKernel(double* const* k, const KernelParams& p) {
  const int32_t K = p.K;
  for (int32_t i = 0; i < K; ++i) std::fill(k[i], k[i] + K, 0.0);
  const double rN = p.N * 0.5, c = p.c;
  if (p.L < 2) {
    for (int32_t i = 0; i < K; ++i)
      for (int32_t j = 0; j < K; ++j) {
        const double dx = j - c, dy = i - c, d = std::sqrt(dx * dx + dy * dy);
        if (d > rN) continue;
        if (p.type == KERNEL_MEAN || p.type == KERNEL_MEDIAN)
          k[i][j] = 1.0;
        else if (p.type != KERNEL_NOTHING)
          k[i][j] = -BlurForm(p, d, dx, dy);
      }
    return;
  }
  if (!IsUnsharp(p.type)) return;
  for (int32_t t = 0; t < p.L; ++t) {
    const double off = (p.L - t - 1) - (p.L - 1) * 0.5;
    const double x = (c - rN) + std::cos(p.angle) * off;
    const double y = (c - rN) - std::sin(p.angle) * off;
    // Disc cell j lies at column x + j: its weight goes to the two columns
    // around that by nearness (and likewise for rows), so the smear stays
    // centred on the kernel.
    const double fx0 = std::floor(x), fy0 = std::floor(y);
    const int64_t x0 = static_cast<int64_t>(fx0), y0 = static_cast<int64_t>(fy0);
    const double fx = x - fx0, fy = y - fy0;
    const double weight[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const int32_t stepX[4] = {0, 1, 0, 1}, stepY[4] = {0, 0, 1, 1};
    for (int32_t i = 0; i < p.N; ++i)
      for (int32_t j = 0; j < p.N; ++j) {
        const double dx = j - rN, dy = i - rN, d = std::sqrt(dx * dx + dy * dy);
        if (d > rN) continue;
        const double v = BlurForm(p, d, dx, dy);
        for (int q = 0; q < 4; ++q) {
          const int64_t row = y0 + i + stepY[q], col = x0 + j + stepX[q];
          if (row >= 0 && row < K && col >= 0 && col < K) k[row][col] -= weight[q] * v;
        }
      }
  }
}

double SumAbs(const double* const* k, int32_t n) {
  double sum = 0.0;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) sum += std::fabs(k[i][j]);
  return sum;
}

double SumCells(const double* const* k, int32_t n) {
  double sum = 0.0;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) sum += k[i][j];
  return sum;
}

// The centre weight (1/s + 1) x S is taken in single precision.
double CentreWeight(double s, double S) { return (1.0f / static_cast<float>(s) + 1.0f) * static_cast<float>(S); }

// The sharp part of an unsharp kernel: the centre cell, or the secondary
// kernel when it has anything in it (with nothing in it there would be no
// scale to put on it, so the centre cell stands in).
struct SharpPart {
  enum Kind { kNone, kCentre, kSecondary } kind = kNone;
  double** secondary = nullptr;   // M x M
  double S = 0.0, S2 = 1.0;
  int32_t M = 0;

  SharpPart() = default;
  SharpPart(const SharpPart&) = delete;
  SharpPart& operator=(const SharpPart&) = delete;
  ~SharpPart() { FreeMatrix(&secondary); }
};

ImageResult PrepareSharpPart(const KernelParams& p, double S, SharpPart* out) {
  out->S = S;
  if (!IsUnsharp(p.type)) return IMG_OK;
  out->kind = SharpPart::kCentre;
  if (!p.UsesSecondary()) return IMG_OK;
  if (!AllocMatrix(&out->secondary, p.M)) return IMG_NO_MEMORY;
  const int32_t M = p.M, m = M / 2;
  const double rM = M * 0.5;
  for (int32_t i = 0; i < M; ++i)
    for (int32_t j = 0; j < M; ++j) {
      const double d = std::sqrt(double(j - m) * (j - m) + double(i - m) * (i - m));
      if (d > rM) continue;
      out->secondary[i][j] =
          p.type == KERNEL_FLAT ? std::exp(-d * d / (kGaussWidth * rM)) : p.type == KERNEL_GAUSS ? 1.0 : d / rM;
    }
  out->S2 = SumAbs(out->secondary, M);
  out->M = M;
  if (out->S2 != 0.0 && out->S2 != 1.0) {
    out->kind = SharpPart::kSecondary;
  } else {
    FreeMatrix(&out->secondary);
  }
  return IMG_OK;
}

// Adds the secondary kernel x factor centred on the main kernel.
void AddSecondary(double* const* k, const KernelParams& p, const SharpPart& sharp, double factor) {
  const int32_t at = p.c - sharp.M / 2;
  for (int32_t i = 0; i < sharp.M; ++i)
    for (int32_t j = 0; j < sharp.M; ++j) k[at + i][at + j] += sharp.secondary[i][j] * factor;
}

ImageResult BuildKernel(double* const* kernel, const KernelParams& p) {
  if (p.type > 15) return IMG_OK;
  if (p.type >= KERNEL_RELIEF) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) kernel[i][j] = kRelief[p.type - KERNEL_RELIEF][i][j];
    return IMG_OK;
  }
  FillMainKernel(kernel, p);
  SharpPart sharp;
  if (ImageResult e = PrepareSharpPart(p, SumAbs(kernel, p.K), &sharp)) return e;
  double T = sharp.S;
  if (sharp.kind == SharpPart::kCentre) {
    kernel[p.c][p.c] += CentreWeight(p.s, sharp.S);
    T = SumCells(kernel, p.K);
  } else if (sharp.kind == SharpPart::kSecondary) {
    AddSecondary(kernel, p, sharp, (sharp.S / sharp.S2) * (1.0 / p.s + 1.0));
    T = SumCells(kernel, p.K);
  }
  if (T != 0.0)   // only the empty kernel of type 5 has nothing to divide by
    for (int32_t i = 0; i < p.K; ++i)
      for (int32_t j = 0; j < p.K; ++j) kernel[i][j] /= T;
  return IMG_OK;
}

// ---- Convolution engine ----------------------------------------------------

// A kernel laid out for the row loops. The kernels are mirror-symmetric as a
// rule: rows i and 2c - i are added before they are weighted, and so are
// cells j and 2c - j of a row, which leaves a quarter of the multiplications.
struct CellTerm {
  int32_t a, b;   // window columns; b < 0 for a single cell
  double w;
};
struct RowTerm {
  int32_t i1, i2;   // window rows; i2 < 0 for a single row
  int32_t first, count;
};
struct ConvPlan {
  int32_t K, c, rowCount;
  int32_t lo[kMaxFilterKernel], hi[kMaxFilterKernel];   // non-zero cells of each row (none when lo > hi)
  double w[kMaxFilterKernel][kMaxFilterKernel];
  RowTerm row[kMaxFilterKernel];
  CellTerm cell[kMaxFilterKernel * kMaxFilterKernel];
};

ConvPlan* MakePlan(const double* const* k, int32_t K) {
  auto* p = static_cast<ConvPlan*>(AllocMem(sizeof(ConvPlan)));
  if (!p) return nullptr;
  p->K = K;
  p->c = K / 2;
  const int32_t c = p->c;
  for (int32_t i = 0; i < K; ++i) {
    p->lo[i] = K;
    p->hi[i] = -1;
    for (int32_t j = 0; j < K; ++j) {
      p->w[i][j] = k[i][j];
      if (k[i][j] != 0.0) {
        p->lo[i] = std::min(p->lo[i], j);
        p->hi[i] = std::max(p->hi[i], j);
      }
    }
  }
  auto mirrored = [&](int32_t i) { return 2 * c - i >= 0 && 2 * c - i < K ? 2 * c - i : -1; };
  int32_t cells = 0;
  for (int32_t i = 0; i < K; ++i) {
    const int32_t m = mirrored(i);
    if (m >= 0 && m < i && std::equal(k[i], k[i] + K, k[m])) continue;   // taken with its mirror
    RowTerm& t = p->row[p->rowCount++];
    t.i1 = i;
    t.i2 = m > i && std::equal(k[i], k[i] + K, k[m]) ? m : -1;
    t.first = cells;
    for (int32_t j = 0; j < K; ++j) {
      const double w = k[i][j];
      if (w == 0.0) continue;
      const int32_t mj = mirrored(j);
      if (mj >= 0 && mj < j && k[i][mj] == w) continue;
      p->cell[cells++] = CellTerm{j, mj > j && k[i][mj] == w ? mj : -1, w};
    }
    t.count = cells - t.first;
  }
  return p;
}

// A blur whose disc rows are scaled copies of one column profile (the flat
// and the Gaussian disc of an odd side, no line): row i holds
// q[i] x p[|j - c|] for |j - c| <= half[i]. Each source row then needs its
// profile sums over every half width once, shared by all K output rows.
struct ProfileDisc {
  int32_t widest;                    // largest half width
  double p[kMaxFilterKernel];        // by distance from the centre column
  double q[kMaxFilterKernel];        // by kernel row
  int32_t half[kMaxFilterKernel];    // by kernel row; -1 for an empty row
};

// The profile form of the main kernel in plan, when it has one.
bool MakeProfile(const KernelParams& params, const ConvPlan& plan, ProfileDisc* out) {
  const bool flat = params.type == KERNEL_FLAT || params.type == KERNEL_MEAN;
  if ((!flat && params.type != KERNEL_GAUSS) || params.L >= 2 || params.K % 2 == 0) return false;
  const int32_t c = plan.c;
  const double rN = params.N * 0.5;
  out->widest = -1;
  for (int32_t i = 0; i < plan.K; ++i) {
    out->half[i] = -1;
    if (plan.lo[i] > plan.hi[i]) continue;
    if (c - plan.lo[i] != plan.hi[i] - c) return false;
    out->half[i] = c - plan.lo[i];
    out->widest = std::max(out->widest, out->half[i]);
    const double dy = i - c;
    out->q[i] = params.type == KERNEL_MEAN ? 1.0 : flat ? -1.0 : -std::exp(-dy * dy / (kGaussWidth * rN));
  }
  for (int32_t a = 0; a <= out->widest; ++a) out->p[a] = flat ? 1.0 : std::exp(-double(a) * a / (kGaussWidth * rN));
  return out->widest >= 0;
}

// What every band of rows shares, read-only while the bands run.
struct FilterSetup {
  // kKernel: the kernel in plan, acc / W. kSplit: the blur in plan (through
  // profile when set) and the sharp part in sharp, (blur + lambda sharp) /
  // (their weights), lambda by pixel when adaptive. kMedian: the cells of
  // plan. kRelief: plan plus half the scale.
  enum Mode { kKernel, kSplit, kMedian, kRelief } mode = kKernel;
  ConvPlan* plan = nullptr;
  ConvPlan* sharp = nullptr;
  ProfileDisc* profile = nullptr;
  bool adaptive = false;
  double lambda[kAdaptiveKernels] = {};   // by adaptive kernel; the last one without adaptive
  int16_t* gradient = nullptr;            // adaptive: stretched gradient length per pixel
  bool squareRootIndex = false;

  FilterSetup() = default;
  FilterSetup(const FilterSetup&) = delete;
  FilterSetup& operator=(const FilterSetup&) = delete;
  ~FilterSetup() {
    FreeMem(&plan);
    FreeMem(&sharp);
    FreeMem(&profile);
    FreeMem(&gradient);
  }
};

// One band of output rows. Image pixel (X, Y) is written to
// out[(Y - outY) * outStride + (X - outX) * spp].
struct Band {
  const FilterSetup* setup;
  const ImageHeader* h;
  ImageRect r;
  const int16_t* src;
  int16_t* out;
  ptrdiff_t outStride;
  int32_t outX, outY;
  int32_t y0, y1;   // rows of r, relative
  ProgressCallback progress;
  ImageResult result;
};

// A ring of K source rows as doubles, each covering the columns the windows
// of the band reach, zero outside the image. Rows are read before the band
// writes them, so a single band may write into its own source.
class SourceRing {
 public:
  SourceRing(const Band& b, int32_t K)
      : b_(b), K_(K), c_(K / 2), spp_(SamplesPerPixel(b.h)), len_((ptrdiff_t{b.r.w} + K - 1) * spp_),
        rows_(size_t(K) * size_t(len_)), held_(size_t(K)) {
    if (held_.p)
      for (int32_t i = 0; i < K; ++i) held_.p[i] = INT64_MIN;
  }
  bool ok() const { return rows_.p && held_.p; }
  ptrdiff_t length() const { return len_; }

  // Row Y of the image, or null for rows outside it (all zeros).
  const double* Row(int64_t Y) {
    if (Y < 0 || Y >= ImageRows(b_.h)) return nullptr;
    const size_t slot = size_t(Y % K_);
    double* row = rows_.p + slot * size_t(len_);
    if (held_.p[slot] != Y) {
      held_.p[slot] = Y;
      const ptrdiff_t x0 = ptrdiff_t{b_.r.x} - c_;   // image column of the first window column
      const ptrdiff_t from = std::max<ptrdiff_t>(0, -x0);
      const ptrdiff_t to = std::min<ptrdiff_t>(len_ / spp_, ImageCols(b_.h) - x0);
      std::fill(row, row + len_, 0.0);
      const int16_t* in = b_.src + (Y * ImageCols(b_.h) + x0) * spp_;
      for (ptrdiff_t t = from * spp_; t < to * spp_; ++t) row[t] = in[t];
    }
    return row;
  }

 private:
  const Band& b_;
  int32_t K_, c_;
  ptrdiff_t spp_, len_;
  ScratchArray<double> rows_;
  ScratchArray<int64_t> held_;
};

// acc[t] = sum over the kernel of weight x source, for the n samples of one
// output row; rows[i] is window row i (null when outside the image).
void ConvolveRow(const ConvPlan& plan, const double* const* rows, ptrdiff_t spp, ptrdiff_t n, ptrdiff_t len,
                 double* __restrict fold, double* __restrict acc) {
  std::fill(acc, acc + n, 0.0);
  for (int32_t r = 0; r < plan.rowCount; ++r) {
    const RowTerm& t = plan.row[r];
    const double* a = rows[t.i1];
    const double* b = t.i2 >= 0 ? rows[t.i2] : nullptr;
    const double* base;
    if (a && b) {
      for (ptrdiff_t x = 0; x < len; ++x) fold[x] = a[x] + b[x];
      base = fold;
    } else if (a || b) {
      base = a ? a : b;
    } else {
      continue;
    }
    for (int32_t k = t.first; k < t.first + t.count; ++k) {
      const CellTerm& cell = plan.cell[k];
      const double w = cell.w;
      const double* __restrict p = base + cell.a * spp;
      if (cell.b >= 0) {
        const double* __restrict q = base + cell.b * spp;
        for (ptrdiff_t x = 0; x < n; ++x) acc[x] += w * (p[x] + q[x]);
      } else {
        for (ptrdiff_t x = 0; x < n; ++x) acc[x] += w * p[x];
      }
    }
  }
}

// Sum of the kernel weights whose window pixel lies inside the image, per
// output pixel of row Y; prefix holds K + 1 doubles of work room.
void WeightSums(const ConvPlan& plan, const Band& b, int64_t Y, double* prefix, double* sums) {
  const int32_t K = plan.K, c = plan.c;
  const int64_t rows = ImageRows(b.h), cols = ImageCols(b.h);
  const int32_t i0 = static_cast<int32_t>(std::max<int64_t>(0, c - Y));
  const int32_t i1 = static_cast<int32_t>(std::min<int64_t>(K - 1, rows - 1 - Y + c));
  prefix[0] = 0.0;
  for (int32_t j = 0; j < K; ++j) {
    double column = 0.0;
    for (int32_t i = i0; i <= i1; ++i) column += plan.w[i][j];
    prefix[j + 1] = prefix[j] + column;
  }
  for (int32_t u = 0; u < b.r.w; ++u) {
    const int64_t X = int64_t{b.r.x} + u;
    const int32_t j0 = static_cast<int32_t>(std::max<int64_t>(0, c - X));
    const int32_t j1 = static_cast<int32_t>(std::min<int64_t>(K - 1, cols - 1 - X + c));
    sums[u] = j1 >= j0 ? prefix[j1 + 1] - prefix[j0] : 0.0;
  }
}

// Counts of the samples in a window for rank selection: one bin per signed
// 16-bit value and coarse bins of 64 beneath them; the coarse position of
// the last answer is kept, since neighbouring windows have close medians.
struct RankHistogram {
  static constexpr int32_t kBins = 65536, kShift = 6;
  uint16_t fine[kBins];
  uint16_t coarse[kBins >> kShift];
  int32_t n, cb, below;   // count, current coarse bin, count below it

  // The value of rank `rank` (0-based, below n).
  int32_t Select(int32_t rank) {
    while (below > rank) below -= coarse[--cb];
    while (below + coarse[cb] <= rank) below += coarse[cb++];
    int32_t i = cb << kShift, acc = below;
    while (acc + fine[i] <= rank) acc += fine[i++];
    return i - 32768;
  }
};

// Adds (step 1) or removes (step -1) the samples of channel ch at ring
// columns col[i] of the rows that lie in the image and have a column there.
// The counts live in locals while the rows are walked.
void UpdateHistogram(RankHistogram& hg, const double* const* rows, const int32_t* col, int32_t K, ptrdiff_t spp,
                     ptrdiff_t ch, int32_t step) {
  uint16_t* fine = hg.fine;
  uint16_t* coarse = hg.coarse;
  int32_t n = hg.n, below = hg.below;
  const int32_t cb = hg.cb;
  for (int32_t i = 0; i < K; ++i) {
    if (!rows[i] || col[i] < 0) continue;
    const int32_t v = static_cast<int32_t>(rows[i][col[i] * spp + ch]) + 32768;
    fine[v] = static_cast<uint16_t>(fine[v] + step);
    coarse[v >> RankHistogram::kShift] = static_cast<uint16_t>(coarse[v >> RankHistogram::kShift] + step);
    n += step;
    if ((v >> RankHistogram::kShift) < cb) below += step;
  }
  hg.n = n;
  hg.below = below;
}

void MedianRow(const Band& b, const ConvPlan& plan, const double* const* rows, RankHistogram* hist, int16_t* out) {
  const ptrdiff_t spp = SamplesPerPixel(b.h), cols = ImageCols(b.h);
  const int32_t K = plan.K, c = plan.c;
  // Window column j of output column u is image column r.x + u - c + j and
  // column u + j of the ring rows; col[i] is -1 where that is outside the image.
  int32_t col[kMaxFilterKernel];
  auto columnsAt = [&](int32_t u, bool left) {
    for (int32_t i = 0; i < K; ++i) {
      col[i] = -1;
      if (plan.lo[i] > plan.hi[i]) continue;
      const int32_t j = left ? plan.lo[i] : plan.hi[i];
      const int64_t X = int64_t{b.r.x} + u - c + j;
      if (X >= 0 && X < cols) col[i] = u + j;
    }
  };
  for (ptrdiff_t ch = 0; ch < spp; ++ch) {
    RankHistogram& hg = hist[ch];
    // The first window whole, then one column out and one in per step.
    auto wholeWindow = [&](int32_t u, int32_t step) {
      for (int32_t j = 0; j < K; ++j) {
        for (int32_t i = 0; i < K; ++i) {
          const int64_t X = int64_t{b.r.x} + u - c + j;
          col[i] = plan.lo[i] <= j && j <= plan.hi[i] && X >= 0 && X < cols ? u + j : -1;
        }
        UpdateHistogram(hg, rows, col, K, spp, ch, step);
      }
    };
    wholeWindow(0, 1);
    for (int32_t u = 0;; ++u) {
      out[ptrdiff_t{u} * spp + ch] = static_cast<int16_t>(hg.Select(hg.n / 2));
      if (u + 1 == b.r.w) break;
      columnsAt(u, true);
      UpdateHistogram(hg, rows, col, K, spp, ch, -1);
      columnsAt(u + 1, false);
      UpdateHistogram(hg, rows, col, K, spp, ch, 1);
    }
    wholeWindow(b.r.w - 1, -1);   // empty again for the next row
  }
}

// Index of the adaptive kernel for a stretched gradient sample: strong
// gradients get weak kernels; kernel 0 is never chosen.
int32_t AdaptiveKernel(int16_t gradient, bool squareRoot) {
  const double q = std::abs(int32_t{gradient}) * (1.0 / 32768.0);
  const int32_t idx = squareRoot ? static_cast<int32_t>(std::sqrt(q) * 16.0)
                                 : static_cast<int32_t>(std::pow(q, 0.33333333) * 16.0 + 0.5);
  return idx <= 14 ? 15 - idx : 1;
}

// Adds the profile sums of one source row to the output rows it reaches:
// sums[a][t] = p over the columns within a of window centre column, built
// outwards one width at a time, then row Y = Yi + c - i takes q[i] x
// sums[half[i]]. Output rows outside [first, end) are not kept.
void ScatterProfile(const ProfileDisc& pd, int32_t c, const double* in, int64_t Yi, int64_t first, int64_t end,
                    ptrdiff_t spp, ptrdiff_t n, double* sums, double* const* accRing, int32_t K) {
  const double* centre = in + c * spp;
  for (ptrdiff_t t = 0; t < n; ++t) sums[t] = pd.p[0] * centre[t];
  for (int32_t a = 1; a <= pd.widest; ++a) {
    const double* __restrict prev = sums + (a - 1) * n;
    double* __restrict cur = sums + a * n;
    const double* __restrict left = centre - a * spp;
    const double* __restrict right = centre + a * spp;
    const double w = pd.p[a];
    for (ptrdiff_t t = 0; t < n; ++t) cur[t] = prev[t] + w * (left[t] + right[t]);
  }
  for (int32_t i = 0; i < K; ++i) {
    const int64_t Y = Yi + c - i;
    if (pd.half[i] < 0 || Y < first || Y >= end) continue;
    double* __restrict acc = accRing[Y % K];
    const double* __restrict sum = sums + pd.half[i] * n;
    const double q = pd.q[i];
    for (ptrdiff_t t = 0; t < n; ++t) acc[t] += q * sum[t];
  }
}

// The band runs down its source rows; after source row Yi the output row
// Yi - (K - 1 - c) has everything it needs and is written, so rows are read
// before they are written and a single band may write into its own source.
void FilterKernelWorker(Band* band) {
  Band& b = *band;
  const FilterSetup& s = *b.setup;
  const ConvPlan& plan = *s.plan;
  const int32_t K = plan.K, c = plan.c, lead = K - 1 - c, top = b.h->levels - 1;
  const ptrdiff_t spp = SamplesPerPixel(b.h), n = ptrdiff_t{b.r.w} * spp;
  const bool split = s.mode == FilterSetup::kSplit, median = s.mode == FilterSetup::kMedian;
  const ProfileDisc* pd = split ? s.profile : nullptr;
  SourceRing ring(b, K);
  ScratchArray<double> fold{size_t(ring.length())}, acc{size_t(n)}, accSharp{s.sharp ? size_t(n) : 0};
  ScratchArray<double> prefix{size_t(K) + 1}, sums{size_t(b.r.w)}, sumsSharp{size_t(b.r.w)};
  ScratchArray<double> profileSums{pd ? size_t(pd->widest + 1) * size_t(n) : 0};
  ScratchArray<double> accRing{pd ? size_t(K) * size_t(n) : 0};
  ScratchArray<RankHistogram> hist{median ? size_t(spp) : 0};
  if (!ring.ok() || !fold.p || !acc.p || (s.sharp && !accSharp.p) || !prefix.p || !sums.p || !sumsSharp.p ||
      (pd && (!profileSums.p || !accRing.p)) || (median && !hist.p)) {
    b.result = IMG_NO_MEMORY;
    return;
  }
  double* ringRows[kMaxFilterKernel] = {};
  for (int32_t i = 0; pd && i < K; ++i) ringRows[i] = accRing.p + ptrdiff_t{i} * n;
  const double* rows[kMaxFilterKernel];
  const double half = b.h->levels * 0.5;
  const int64_t first = int64_t{b.r.y} + b.y0, end = int64_t{b.r.y} + b.y1;
  for (int64_t Yi = first - c; Yi < end + lead; ++Yi) {
    const double* in = ring.Row(Yi);
    if (pd && in) ScatterProfile(*pd, c, in, Yi, first, end, spp, n, profileSums.p, ringRows, K);
    const int64_t Y = Yi - lead;
    if (Y < first) continue;
    if (b.progress) b.progress(b.r.h, 0);
    for (int32_t i = 0; i < K; ++i) rows[i] = ring.Row(Y - c + i);
    int16_t* out = b.out + (Y - b.outY) * b.outStride + (ptrdiff_t{b.r.x} - b.outX) * spp;
    switch (s.mode) {
      case FilterSetup::kMedian:
        MedianRow(b, plan, rows, hist.p, out);
        break;
      case FilterSetup::kRelief:
        ConvolveRow(plan, rows, spp, n, ring.length(), fold.p, acc.p);
        for (ptrdiff_t t = 0; t < n; ++t) out[t] = CutToLevel(acc.p[t] + half, top);
        break;
      case FilterSetup::kKernel:
        ConvolveRow(plan, rows, spp, n, ring.length(), fold.p, acc.p);
        WeightSums(plan, b, Y, prefix.p, sums.p);
        for (int32_t u = 0; u < b.r.w; ++u) {
          const double W = sums.p[u];
          for (ptrdiff_t k = 0; k < spp; ++k) {
            const ptrdiff_t t = u * spp + k;
            out[t] = W == 0.0 ? 0 : CutToLevel(acc.p[t] / W, top);
          }
        }
        break;
      case FilterSetup::kSplit: {
        // Kernel i is (blur + lambda_i sharp) / T_i; T_i cancels in acc / W.
        double* blur = acc.p;
        if (pd)
          blur = ringRows[Y % K];
        else
          ConvolveRow(plan, rows, spp, n, ring.length(), fold.p, blur);
        WeightSums(plan, b, Y, prefix.p, sums.p);
        if (s.sharp) {
          ConvolveRow(*s.sharp, rows, spp, n, ring.length(), fold.p, accSharp.p);
          WeightSums(*s.sharp, b, Y, prefix.p, sumsSharp.p);
        }
        const int16_t* grad = s.adaptive ? s.gradient + Y * ImageCols(b.h) + b.r.x : nullptr;
        for (int32_t u = 0; u < b.r.w; ++u) {
          const double lambda =
              grad ? s.lambda[AdaptiveKernel(grad[u], s.squareRootIndex)] : s.lambda[kAdaptiveKernels - 1];
          const double W = sums.p[u] + (s.sharp ? lambda * sumsSharp.p[u] : 0.0);
          for (ptrdiff_t k = 0; k < spp; ++k) {
            const ptrdiff_t t = u * spp + k;
            const double v = blur[t] + (s.sharp ? lambda * accSharp.p[t] : 0.0);
            out[t] = W == 0.0 ? 0 : CutToLevel(v / W, top);
          }
        }
        if (pd) std::fill(blur, blur + n, 0.0);   // the slot serves row Y + K next
        break;
      }
    }
  }
  b.result = IMG_OK;
}

// Copies r from src into the same place of dst.
void CopyRectInPlace(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst) {
  if (src == dst) return;
  const ptrdiff_t spp = SamplesPerPixel(h), stride = ImageCols(h) * spp;
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y)
    std::memmove(dst + y * stride + ptrdiff_t{r->x} * spp, src + y * stride + ptrdiff_t{r->x} * spp,
                 size_t(r->w) * size_t(spp) * sizeof(int16_t));
}

// Builds the kernels and planes of one filter call.
ImageResult PrepareFilter(FilterSetup* s, const KernelParams& p, const ImageHeader* h, const int16_t* src,
                          int32_t adaptive) {
  double** k = nullptr;
  if (!AllocMatrix(&k, p.K)) return IMG_NO_MEMORY;
  // Mean and median kernels do not depend on the strength: nothing to adapt.
  s->adaptive = adaptive && IsUnsharp(p.type);
  const bool profiled = p.L < 2 && p.K % 2 == 1 &&
                        (p.type == KERNEL_FLAT || p.type == KERNEL_GAUSS || p.type == KERNEL_MEAN);
  if (p.type >= KERNEL_RELIEF || p.type == KERNEL_MEDIAN || (!s->adaptive && !profiled)) {
    s->mode = p.type >= KERNEL_RELIEF ? FilterSetup::kRelief
              : p.type == KERNEL_MEDIAN ? FilterSetup::kMedian
                                        : FilterSetup::kKernel;
    ImageResult e = BuildKernel(k, p);
    if (e == IMG_OK) {
      s->plan = MakePlan(k, p.K);
      if (!s->plan) e = IMG_NO_MEMORY;
    }
    FreeMatrix(&k);
    return e;
  }
  s->mode = FilterSetup::kSplit;
  FillMainKernel(k, p);
  SharpPart sharp;
  ImageResult e = PrepareSharpPart(p, SumAbs(k, p.K), &sharp);
  if (e == IMG_OK) {
    s->plan = MakePlan(k, p.K);
    if (s->plan && profiled) {
      s->profile = static_cast<ProfileDisc*>(AllocMem(sizeof(ProfileDisc)));
      if (s->profile && !MakeProfile(p, *s->plan, s->profile)) FreeMem(&s->profile);
    }
    if (sharp.kind != SharpPart::kNone) {
      // The sharp part alone: the centre cell, or the secondary x S / S2.
      for (int32_t i = 0; i < p.K; ++i) std::fill(k[i], k[i] + p.K, 0.0);
      if (sharp.kind == SharpPart::kSecondary)
        AddSecondary(k, p, sharp, sharp.S / sharp.S2);
      else
        k[p.c][p.c] = 1.0;
      s->sharp = MakePlan(k, p.K);
      if (!s->sharp) e = IMG_NO_MEMORY;
    }
    for (int32_t i = 0; i < kAdaptiveKernels; ++i) {
      const double si = s->adaptive ? (i + 1) * p.s * 0.0625 : p.s;
      s->lambda[i] = sharp.kind == SharpPart::kSecondary ? 1.0 / si + 1.0 : CentreWeight(si, sharp.S);
    }
    if (!s->plan || (profiled && !s->profile)) e = IMG_NO_MEMORY;
  }
  FreeMatrix(&k);
  if (e != IMG_OK || !s->adaptive) return e;
  // The gradient of the picture's grey image, stretched over the full scale.
  const size_t pixels = size_t(ImageCols(h)) * size_t(ImageRows(h));
  s->gradient = static_cast<int16_t*>(AllocArray(pixels, sizeof(int16_t)));
  if (!s->gradient) return IMG_NO_MEMORY;
  ImageHeader grey = *h;
  if (h->colourType == kColourRgb) {
    RgbToLuminance(src, h, s->gradient);
    grey.colourType = 0;
  } else {
    std::memcpy(s->gradient, src, pixels * sizeof(int16_t));
  }
  if ((e = ComputeGradientMagnitude(s->gradient, s->gradient, &grey)) != IMG_OK) return e;
  // The gradient leaves its last row unwritten: it still holds the grey
  // picture, whose brightness must not set the stretch.
  std::fill(s->gradient + pixels - size_t(ImageCols(h)), s->gradient + pixels, int16_t{0});
  return StretchToFullRange(s->gradient, &grey);
}

ImageResult FilterImage(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t N,
                        int32_t inner, int32_t M, double s, int32_t adaptive, int32_t L, double angle, int32_t type,
                        int32_t shape, int32_t workers, ProgressCallback progress, bool threaded) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (std::isnan(s)) return IMG_BAD_PARAMETER;
  if (s < 0.01) {
    CopyRectInPlace(r, h, src, dst);
    return IMG_OK;
  }
  if (s <= 1.0) adaptive = 0;
  s = std::min(s, 100.0);
  if (type == KERNEL_MEAN || type == KERNEL_MEDIAN) L = 0;
  if (LineSide(N, L) > kMaxFilterKernel) return IMG_BAD_PARAMETER;
  if (type >= KERNEL_RELIEF) adaptive = 0;
  if (type < 0 || h->levels < 1) return IMG_BAD_PARAMETER;
  KernelParams params;
  if (ImageResult e = MakeParams(&params, N, inner, M, s, L, angle, type, shape)) return e;
  if (type == KERNEL_NOTHING || type > 15 || r->w == 0 || r->h == 0) return IMG_OK;
  FilterSetup setup;
  setup.squareRootIndex = threaded;
  if (ImageResult e = PrepareFilter(&setup, params, h, src, adaptive)) return e;

  const ptrdiff_t spp = SamplesPerPixel(h);
  Band whole{&setup, h, *r, src, dst, ImageCols(h) * spp, 0, 0, 0, r->h, progress, IMG_OK};
  if (!threaded) {
    // One band reads each source row before it writes it: dst may be src.
    FilterKernelWorker(&whole);
    return whole.result;
  }
  // Bands on threads read rows that others write: in place they write into
  // a copy of the rectangle that goes back at the end.
  ScratchArray<int16_t> copy{src == dst ? size_t(r->w) * size_t(r->h) * size_t(spp) : 0};
  if (src == dst) {
    if (!copy.p) return IMG_NO_MEMORY;
    whole.out = copy.p;
    whole.outStride = ptrdiff_t{r->w} * spp;
    whole.outX = r->x;
    whole.outY = r->y;
  }
  whole.progress = nullptr;
  const int32_t count = std::clamp(workers, 1, kMaxWorkers);
  const int32_t rowsPerBand = (r->h + count - 1) / count;
  std::vector<Band> bands;
  for (int32_t y = 0; y < r->h; y += rowsPerBand) {
    bands.push_back(whole);
    bands.back().y0 = y;
    bands.back().y1 = std::min(r->h, y + rowsPerBand);
  }
  std::vector<std::thread> threads;
  for (size_t i = 1; i < bands.size(); ++i) {
    try {
      threads.emplace_back(FilterKernelWorker, &bands[i]);
    } catch (const std::system_error&) {
      FilterKernelWorker(&bands[i]);   // no thread to be had: this one does the band
    }
  }
  FilterKernelWorker(&bands[0]);
  for (std::thread& t : threads) t.join();
  for (const Band& b : bands)
    if (b.result != IMG_OK) return b.result;
  if (src == dst)
    for (int32_t y = 0; y < r->h; ++y)
      std::memcpy(dst + ((ptrdiff_t{r->y} + y) * ImageCols(h) + r->x) * spp, copy.p + y * whole.outStride,
                  size_t(whole.outStride) * sizeof(int16_t));
  return IMG_OK;
}

}  // namespace

int32_t FilterKernelSize(int32_t size, int32_t lineLength, int32_t type) {
  if (type >= KERNEL_RELIEF) return 3;
  if (type == KERNEL_MEAN || type == KERNEL_MEDIAN) lineLength = 0;
  return static_cast<int32_t>(std::clamp<int64_t>(LineSide(size, lineLength), 0, INT32_MAX));
}

ImageResult BuildFilterKernel(double* const* kernel, int32_t size, int32_t innerSize, int32_t secondarySize,
                              double strength, int32_t lineLength, double angle, int32_t type, int32_t shape) {
  if (!kernel) return IMG_NULL_ARRAY;
  KernelParams params;
  if (ImageResult e = MakeParams(&params, size, innerSize, secondarySize, strength, lineLength, angle, type, shape))
    return e;
  return BuildKernel(kernel, params);
}

ImageResult ApplyFilterKernel(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t size,
                              int32_t innerSize, int32_t secondarySize, double strength, int32_t adaptive,
                              int32_t lineLength, double angle, int32_t type, int32_t shape, int32_t workers,
                              ProgressCallback progress) {
  return FilterImage(r, h, src, dst, size, innerSize, secondarySize, strength, adaptive, lineLength, angle, type, shape,
                     workers, progress, false);
}

ImageResult ApplyFilterKernelThreaded(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                                      int32_t size, int32_t innerSize, int32_t secondarySize, double strength,
                                      int32_t adaptive, int32_t lineLength, double angle, int32_t type,
                                      int32_t shape, int32_t workers, ProgressCallback progress) {
  return FilterImage(r, h, src, dst, size, innerSize, secondarySize, strength, adaptive, lineLength, angle, type, shape,
                     workers, progress, true);
}

ImageResult BuildWeightKernel(double* kernel, int32_t size, int32_t innerSize, int32_t secondarySize, double strength,
                              int32_t type, int32_t shape) {
  if (!kernel) return IMG_NULL_ARRAY;
  if (!IsUnsharp(type) && type != KERNEL_MEAN) return IMG_BAD_PARAMETER;
  const int32_t N = size, half = size / 2, M = secondarySize;
  const bool secondary = shape != kCentreCellShape && type <= KERNEL_DISTANCE;
  if (N < 1 || !(strength > 0.0) || (half == 0 && (type == KERNEL_DISTANCE || type == KERNEL_STAR)) ||
      (type == KERNEL_FLAT_TOP && (innerSize == N || innerSize < 0)) || (secondary && (M < 1 || M > N)))
    return IMG_BAD_PARAMETER;
  const double rN = N * 0.5, rI = innerSize * 0.5;
  double S = 0.0;
  for (int32_t i = 0; i < N; ++i) {
    const double x = i - half, d = std::fabs(x);
    double v;
    switch (type) {
      case KERNEL_FLAT: v = -1.0; break;
      case KERNEL_GAUSS: v = -std::exp(-x * x / (kGaussWidth * rN)); break;
      // The distance, as the disc form has it: the line through the centre
      // stays symmetric.
      case KERNEL_DISTANCE: v = -d / half; break;
      case KERNEL_FLAT_TOP: v = d < rI ? -1.0 : -std::exp(-(d - rI) * (d - rI) / (kGaussWidth * (rN - rI))); break;
      case KERNEL_MEAN: v = 1.0; break;
      default: v = -1.0 / (x * x * 3.0 / half + 1.0); break;
    }
    kernel[i] = v;
    S += std::fabs(v);
  }
  if (type != KERNEL_MEAN) {
    ScratchArray<double> sec{secondary ? size_t(M) : 0};
    if (secondary && !sec.p) return IMG_NO_MEMORY;
    double S2 = 0.0;
    const int32_t m = M / 2;
    const double rM = M * 0.5;
    for (int32_t i = 0; secondary && i < M; ++i) {
      const double d = std::fabs(double(i - m));
      sec.p[i] = type == KERNEL_FLAT ? std::exp(-d * d / (kGaussWidth * rM)) : type == KERNEL_GAUSS ? 1.0 : d / rM;
      S2 += std::fabs(sec.p[i]);
    }
    if (!secondary || S2 == 0.0 || S2 == 1.0) {
      kernel[half] += CentreWeight(strength, S);
    } else {
      const double f = (S / S2) * (1.0 / strength + 1.0);
      for (int32_t i = 0; i < M; ++i) kernel[half - m + i] += sec.p[i] * f;
    }
  }
  // The sum of the cells: (1/s + 1) S - S for the sharpening forms, S for
  // the mean, which keeps the mean a mean.
  double T = 0.0;
  for (int32_t i = 0; i < N; ++i) T += kernel[i];
  for (int32_t i = 0; i < N; ++i) kernel[i] /= T;
  return IMG_OK;
}

ImageResult ApplyWeightKernel(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t size,
                              int32_t innerSize, int32_t secondarySize, double strength, int32_t type, int32_t shape,
                              ProgressCallback progress) {
  if (!h) return IMG_NULL_ARRAY;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!(strength >= 0.01 && strength <= 100.0)) {
    CopyRectInPlace(r, h, src, dst);
    return IMG_OK;
  }
  if (size < 1 || h->levels < 1) return IMG_BAD_PARAMETER;
  ScratchArray<double> k{size_t(size)};
  if (!k.p) return IMG_NO_MEMORY;
  if (ImageResult e = BuildWeightKernel(k.p, size, innerSize, secondarySize, strength, type, shape)) return e;
  const int32_t N = size, half = size / 2, top = h->levels - 1;
  const int64_t x0 = int64_t{r->x} + half, x1 = int64_t{r->x} + r->w - half;
  const int64_t y0 = int64_t{r->y} + half, y1 = int64_t{r->y} + r->h - half;
  if (x1 <= x0 || y1 <= y0) return IMG_OK;
  const ptrdiff_t spp = SamplesPerPixel(h), stride = ImageCols(h) * spp, span = ptrdiff_t(x1 - x0) * spp;
  // The rows pass keeps full precision for the columns pass; it reads all
  // of src before anything is written, so dst may be src.
  ScratchArray<double> rowsPass{size_t(r->h) * size_t(span)};
  if (!rowsPass.p) return IMG_NO_MEMORY;
  for (int32_t y = 0; y < r->h; ++y) {
    if (progress && y % 64 == 0) progress(r->h, 0);
    const int16_t* in = src + (ptrdiff_t{r->y} + y) * stride + ptrdiff_t(x0 - half) * spp;
    double* out = rowsPass.p + ptrdiff_t{y} * span;
    for (ptrdiff_t t = 0; t < span; ++t) {
      double sum = 0.0;
      for (int32_t i = 0; i < N; ++i) sum += k.p[i] * in[t + i * spp];
      out[t] = sum;
    }
  }
  for (int64_t Y = y0; Y < y1; ++Y) {
    if (progress && (Y - y0) % 64 == 0) progress(r->h, 0);
    const double* in = rowsPass.p + ptrdiff_t(Y - half - r->y) * span;
    int16_t* out = dst + Y * stride + x0 * spp;
    for (ptrdiff_t t = 0; t < span; ++t) {
      double sum = 0.0;
      for (int32_t i = 0; i < N; ++i) sum += k.p[i] * in[t + ptrdiff_t{i} * span];
      out[t] = static_cast<int16_t>(std::floor(std::clamp(sum, 0.0, double(top)) + 0.5));
    }
  }
  return IMG_OK;
}
