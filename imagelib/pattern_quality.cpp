#include "imagelib/pattern_quality.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/primitives.h"
#include "imagelib/statistics.h"
#include "imagelib/summation.h"
#include "imagelib/work_memory.h"
#include "imagelib/work_planes.h"

namespace {

constexpr int32_t kSmoothRadius = 11;

// A rectangle of pixels as half-open ranges [x0, x1) x [y0, y1).
struct Area {
  int64_t x0, x1, y0, y1;
  bool empty() const { return x1 <= x0 || y1 <= y0; }
};

Area Clip(const Area& a, int64_t W, int64_t H) {
  return {std::max<int64_t>(a.x0, 0), std::min<int64_t>(a.x1, W), std::max<int64_t>(a.y0, 0),
          std::min<int64_t>(a.y1, H)};
}

Area Grow(const Area& a, int64_t d) { return {a.x0 - d, a.x1 + d, a.y0 - d, a.y1 + d}; }

ImageRect ToRect(const Area& a) {
  if (a.empty()) return {0, 0, 0, 0};
  return {static_cast<int32_t>(a.x0), static_cast<int32_t>(a.y0), static_cast<int32_t>(a.x1 - a.x0),
          static_cast<int32_t>(a.y1 - a.y0)};
}

// The pattern's samples on the grid, in grid order, and their sums.
struct Grid {
  int32_t ni = 0, nj = 0;   // grid columns and rows
  int64_t hw = 0, hh = 0;   // pattern half width and height
  int64_t S = 0;            // grid spacing
  int64_t n = 0;
  const int16_t* values = nullptr;
  int64_t sum = 0;
  double nVar = 0.0;        // n * sum of squares - sum^2
};

void SampleGrid(Grid& g, const int16_t* plane, int64_t pw, int16_t* values) {
  int64_t sum = 0, squares = 0;
  int16_t* v = values;
  for (int32_t j = 0; j < g.nj; ++j)
    for (int32_t i = 0; i < g.ni; ++i) {
      const int32_t p = plane[j * g.S * pw + i * g.S];
      *v++ = static_cast<int16_t>(p);
      sum += p;
      squares += p * p;
    }
  g.values = values;
  g.sum = sum;
  g.nVar = static_cast<double>(static_cast<__int128>(g.n) * squares - static_cast<__int128>(sum) * sum);
}

// The Pearson coefficient from exact integer sums of the frame samples, their
// squares and their products with the pattern: the exact coefficient, rounded
// once.
double Coefficient(const Grid& g, int64_t sf, int64_t sff, int64_t sfp) {
  const double nVarF = static_cast<double>(static_cast<__int128>(g.n) * sff - static_cast<__int128>(sf) * sf);
  const double product = g.nVar * nVarF;
  if (product <= 0.0) return 0.0;
  const double nCov = static_cast<double>(static_cast<__int128>(g.n) * sfp - static_cast<__int128>(sf) * g.sum);
  return nCov / std::sqrt(product);
}

// A search plane: pixel (x, y) of the frame lies at p + (y - oy) * stride + (x - ox).
struct PlaneView {
  const int16_t* p = nullptr;
  ptrdiff_t stride = 0;
  int64_t ox = 0, oy = 0;
  const int16_t* At(int64_t x, int64_t y) const { return p + (y - oy) * stride + (x - ox); }
};

// Scores a row of positions x = xlo, xlo + step, ... <= xhi at once. The
// grid reads the frame every S = r x step columns, so the samples a row needs
// go into compact rows of every step-th column, where position k and grid
// column i meet at index k + r i. The sums of products then run along those
// rows for all positions together. Every sum is of integers below 2^53, so
// doubles hold them exactly and the order of adding does not matter.
class RowScorer {
 public:
  ~RowScorer() { FreeWork(&work_); }

  // Room for rows of up to `columns` frame columns.
  bool Reserve(const Grid& g, int64_t columns) {
    FreeWork(&work_);
    capacity_ = std::max<int64_t>(columns, 1);
    work_ = static_cast<double*>(
        AllocWork(static_cast<size_t>(capacity_) * static_cast<size_t>(g.nj + 5), sizeof(double)));
    return work_ != nullptr;
  }

  void Start(const PlaneView& plane, const Grid& g, int64_t y, int64_t xlo, int64_t xhi, int64_t step) {
    g_ = &g;
    xlo_ = xlo;
    step_ = step;
    const int64_t r = g.S / step;
    count_ = xhi >= xlo ? (xhi - xlo) / step + 1 : 0;
    const int64_t m = std::min(count_ + (g.ni - 1) * r, capacity_);
    double* rows = work_;
    double* colSum = rows + g.nj * capacity_;
    double* colSq = colSum + capacity_;
    double* products = colSq + capacity_;
    sf_ = products + capacity_;
    sff_ = sf_ + capacity_;
    sfp_ = products;
    if (count_ == 0) return;
    for (int64_t k = 0; k < m; ++k) colSum[k] = colSq[k] = 0.0;
    for (int32_t j = 0; j < g.nj; ++j) {
      const int16_t* in = plane.At(xlo - g.hw, y - g.hh + j * g.S);
      double* out = rows + j * capacity_;
      for (int64_t k = 0; k < m; ++k) {
        const double v = in[k * step];
        out[k] = v;
        colSum[k] += v;
        colSq[k] += v * v;
      }
    }
    for (int64_t k = 0; k < count_; ++k) sf_[k] = sff_[k] = products[k] = 0.0;
    for (int32_t i = 0; i < g.ni; ++i) {
      const double* s1 = colSum + i * r;
      const double* s2 = colSq + i * r;
      for (int64_t k = 0; k < count_; ++k) {
        sf_[k] += s1[k];
        sff_[k] += s2[k];
      }
    }
    // Eight grid samples per pass over the positions, an eighth of the loads
    // and stores of the sums; the samples in grid order, rows running on.
    auto samplesOf = [&](int64_t c) { return rows + c / g.ni * capacity_ + c % g.ni * r; };
    const int16_t* q = g.values;
    int64_t c = 0;
    for (; c + 8 <= g.n; c += 8) {
      const double q0 = q[c], q1 = q[c + 1], q2 = q[c + 2], q3 = q[c + 3];
      const double q4 = q[c + 4], q5 = q[c + 5], q6 = q[c + 6], q7 = q[c + 7];
      const double *f0 = samplesOf(c), *f1 = samplesOf(c + 1), *f2 = samplesOf(c + 2), *f3 = samplesOf(c + 3);
      const double *f4 = samplesOf(c + 4), *f5 = samplesOf(c + 5), *f6 = samplesOf(c + 6), *f7 = samplesOf(c + 7);
      for (int64_t k = 0; k < count_; ++k)
        products[k] +=
            f0[k] * q0 + f1[k] * q1 + f2[k] * q2 + f3[k] * q3 + f4[k] * q4 + f5[k] * q5 + f6[k] * q6 + f7[k] * q7;
    }
    for (; c < g.n; ++c) {
      const double qc = q[c];
      const double* f = samplesOf(c);
      for (int64_t k = 0; k < count_; ++k) products[k] += f[k] * qc;
    }
  }

  // Position x of the started row.
  double Score(int64_t x) const {
    const int64_t k = (x - xlo_) / step_;
    return Coefficient(*g_, static_cast<int64_t>(sf_[k]), static_cast<int64_t>(sff_[k]),
                       static_cast<int64_t>(sfp_[k]));
  }

 private:
  double* work_ = nullptr;   // nj compact rows, column sums and squares, then per position sums
  int64_t capacity_ = 0;
  const Grid* g_ = nullptr;
  int64_t xlo_ = 0, step_ = 1, count_ = 0;
  double *sf_ = nullptr, *sff_ = nullptr, *sfp_ = nullptr;
};

struct Best {
  double score = -1.0;
  int64_t x = 0, y = 0;
  bool tried = false;
  void offer(double s, int64_t px, int64_t py) {
    tried = true;
    if (s > score) {
      score = s;
      x = px;
      y = py;
    }
  }
};

// Everything both searches share: the planes, their smoothed copies and the
// pattern's grids; owns its buffers.
class Search {
 public:
  ~Search() {
    FreeWork(&framePlane_);
    FreeSmoothedPart(&smooth_);
    FreeWork(&patternWork_);
    FreeWork(&gridValues_);
  }

  // Checks the arguments shared by both searches (after the caller's own).
  ImageResult Check(int64_t pw, int64_t ph, int32_t scale, int32_t step, int32_t channel, const ImageHeader* frame) {
    W_ = ImageCols(frame);
    H_ = ImageRows(frame);
    if (scale < 1 || step < 1 || pw < 1 || ph < 1 || pw % 2 == 0 || ph % 2 == 0) return IMG_BAD_PARAMETER;
    G_ = int64_t{scale} * step;
    const int64_t S = 2 * G_;
    if ((pw / 2) % S != 0 || (ph / 2) % S != 0) return IMG_BAD_PARAMETER;
    if (pw > W_ || ph > H_) return IMG_BAD_RECT;
    if (frame->colourType == kColourRgb && (channel < 0 || channel > 3)) return IMG_BAD_PARAMETER;
    grid_.hw = pw / 2;
    grid_.hh = ph / 2;
    grid_.S = S;
    grid_.ni = static_cast<int32_t>(pw / S + 1);
    grid_.nj = static_cast<int32_t>(ph / S + 1);
    grid_.n = int64_t{grid_.ni} * grid_.nj;
    // The sums stay exact in doubles up to 2^23 samples of up to 2^15 squared.
    if (grid_.n >= (int64_t{1} << 23)) return IMG_BAD_PARAMETER;
    pw_ = pw;
    ph_ = ph;
    return IMG_OK;
  }

  // Makes the pattern's grids and the smoothed frame plane over `coarse`
  // (where the coarse stage reads); the rest of the smoothed plane is not
  // looked at.
  ImageResult Prepare(int32_t channel, const ImageHeader* frame, const int16_t* framePixels,
                      const int16_t* patternPixels, const Area& coarse) {
    frame_ = frame;
    framePixels_ = framePixels;
    channel_ = channel;
    colour_ = frame->colourType == kColourRgb;
    plane_ = *frame;
    plane_.colourType = 0;
    const size_t frameSamples = static_cast<size_t>(W_ * H_), patternSamples = static_cast<size_t>(pw_ * ph_);
    patternWork_ = AllocWorkOf<int16_t>(2 * patternSamples);
    gridValues_ = AllocWorkOf<int16_t>(2 * static_cast<size_t>(grid_.n));
    // Colour frames get a plane of the frame's size, filled only where read.
    if (colour_) framePlane_ = AllocWorkOf<int16_t>(frameSamples);
    if (!patternWork_ || !gridValues_ || (colour_ && !framePlane_) || !ReserveRows()) return IMG_NO_MEMORY;

    ImageHeader patternHeader = plane_;
    patternHeader.width = static_cast<int32_t>(pw_);
    patternHeader.height = static_cast<int32_t>(ph_);
    const ImageRect wholePattern = {0, 0, patternHeader.width, patternHeader.height};
    const int16_t* patternPlane = patternPixels;
    int16_t* patternSmooth = patternWork_ + patternSamples;
    if (colour_) {
      ImageHeader colourPattern = patternHeader;
      colourPattern.colourType = kColourRgb;
      ExtractPlaneArea(patternPixels, &colourPattern, channel, wholePattern, patternWork_);
      patternPlane = patternWork_;
    }
    SmoothRect(patternSmooth, patternPlane, &patternHeader, &wholePattern, kSmoothRadius);
    fine_ = grid_;
    SampleGrid(grid_, patternSmooth, pw_, gridValues_);
    SampleGrid(fine_, patternPlane, pw_, gridValues_ + grid_.n);

    // Only the part the coarse stage reads is smoothed.
    const Area reads = Clip({coarse.x0 - grid_.hw, coarse.x1 + grid_.hw, coarse.y0 - grid_.hh, coarse.y1 + grid_.hh},
                            W_, H_);
    if (reads.empty()) return IMG_OK;
    const int16_t* planePixels = framePixels;
    if (colour_) {
      ExtractPlaneArea(framePixels, frame, channel, ToRect(Clip(Grow(reads, kSmoothRadius + 1), W_, H_)), framePlane_);
      planePixels = framePlane_;
    }
    return SmoothPart(planePixels, &plane_, ToRect(reads), kSmoothRadius, 0, &smooth_);
  }

  // The smoothed plane where the coarse stage reads.
  PlaneView CoarsePlane() const { return {smooth_.samples, smooth_.part.w, smooth_.part.x, smooth_.part.y}; }

  // Room for scoring rows of positions up to the frame's width.
  bool ReserveRows() { return coarseRow_.Reserve(grid_, W_) && fineRow_.Reserve(grid_, W_); }
  RowScorer& CoarseRow() { return coarseRow_; }

  // Scores every position of the fine window around (bx, by), rows first,
  // and leaves the best in `best`.
  void Fine(int64_t bx, int64_t by, int64_t reach, Best* best) {
    const Area a = {std::max(bx - reach, grid_.hw), std::min(bx + reach, W_ - 1 - grid_.hw) + 1,
                    std::max(by - reach, grid_.hh), std::min(by + reach, H_ - 1 - grid_.hh) + 1};
    *best = Best();
    best->x = bx;
    best->y = by;
    if (a.empty()) return;
    PlaneView plane = {framePixels_, static_cast<ptrdiff_t>(W_), 0, 0};
    if (colour_) {
      ExtractPlaneArea(framePixels_, frame_, channel_,
                       ToRect(Clip({a.x0 - grid_.hw, a.x1 + grid_.hw, a.y0 - grid_.hh, a.y1 + grid_.hh}, W_, H_)),
                       framePlane_);
      plane.p = framePlane_;
    }
    for (int64_t y = a.y0; y < a.y1; ++y) {
      fineRow_.Start(plane, fine_, y, a.x0, a.x1 - 1, 1);
      for (int64_t x = a.x0; x < a.x1; ++x) best->offer(fineRow_.Score(x), x, y);
    }
  }

  int64_t G() const { return G_; }
  int64_t W() const { return W_; }
  int64_t H() const { return H_; }
  const Grid& grid() const { return grid_; }

 private:
  const ImageHeader* frame_ = nullptr;
  const int16_t* framePixels_ = nullptr;
  int32_t channel_ = 0;
  bool colour_ = false;
  ImageHeader plane_{};
  int64_t W_ = 0, H_ = 0, pw_ = 0, ph_ = 0, G_ = 0;
  Grid grid_, fine_;
  int16_t* framePlane_ = nullptr;    // colour frames: the channel's plane
  SmoothedPart smooth_;              // the smoothed plane where the coarse stage reads
  RowScorer coarseRow_, fineRow_;
  int16_t* patternWork_ = nullptr;   // colour pattern plane, then the smoothed pattern
  int16_t* gridValues_ = nullptr;
};

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Positions along one axis in the order c, c - G, c + G, c - 2G, c + 2G, ...
// (candidate k = 0 .. count - 1): c + tG (k = 2t) while below `hi`, c - tG
// (k = 2t - 1) while at or above `lo`, and always between the positions the
// pattern fits at, first and last. Worked out as two ranges of t, so a far
// off centre costs nothing.
class Alternation {
 public:
  Alternation(int64_t c, int64_t G, int64_t lo, int64_t hi, int64_t count, int64_t first, int64_t last)
      : c_(c), G_(G) {
    upFirst_ = std::max<int64_t>(0, CeilDiv(first - c, G));
    upLast_ = std::min({(count - 1) / 2, FloorDiv(hi - 1 - c, G), FloorDiv(last - c, G)});
    downFirst_ = std::max<int64_t>(1, CeilDiv(c - last, G));
    downLast_ = std::min({count / 2, FloorDiv(c - lo, G), FloorDiv(c - first, G)});
  }

  bool Next(int64_t* v) {
    const int64_t none = INT64_MAX;
    const int64_t tu = std::max(CeilDiv(k_, 2), upFirst_);
    const int64_t ku = tu <= upLast_ ? 2 * tu : none;
    const int64_t td = std::max(CeilDiv(k_ + 1, 2), downFirst_);
    const int64_t kd = td <= downLast_ ? 2 * td - 1 : none;
    if (ku == none && kd == none) return false;
    if (ku < kd) {
      k_ = ku + 1;
      *v = c_ + tu * G_;
    } else {
      k_ = kd + 1;
      *v = c_ - td * G_;
    }
    return true;
  }

  void Restart() { k_ = 0; }

  // Range [lo, hi) of all candidates; empty when there are none.
  void Extent(int64_t* lo, int64_t* hi) const {
    *lo = INT64_MAX;
    *hi = INT64_MIN;
    if (upFirst_ <= upLast_) {
      *lo = c_ + upFirst_ * G_;
      *hi = c_ + upLast_ * G_ + 1;
    }
    if (downFirst_ <= downLast_) {
      *lo = std::min(*lo, c_ - downLast_ * G_);
      *hi = std::max(*hi, c_ - downFirst_ * G_ + 1);
    }
  }

 private:
  int64_t c_, G_;
  int64_t upFirst_, upLast_, downFirst_, downLast_;
  int64_t k_ = 0;
};

}  // namespace

ImageResult MatchPatternFull(const int32_t patternSize[2], int32_t scale, int32_t step, int32_t channel,
                             const ImageHeader* frame, const int16_t* framePixels, const int16_t* patternPixels,
                             int32_t result[4], double* correlation, SearchProgress progress) {
  if (!correlation) return IMG_NULL_ARRAY;
  *correlation = 0.0;
  if (!framePixels || !result) return IMG_NULL_ARRAY;
  result[2] = result[3] = 0;
  if (!patternSize || !frame || !patternPixels) return IMG_NULL_ARRAY;
  Search search;
  if (ImageResult e = search.Check(patternSize[0], patternSize[1], scale, step, channel, frame)) return e;
  const Grid& g = search.grid();
  const int64_t G = search.G(), W = search.W(), H = search.H();
  const Area coarse = {g.hw + step + 2, W - g.hw - step - 3, g.hh + step + 2, H - g.hh - step - 3};
  if (ImageResult e = search.Prepare(channel, frame, framePixels, patternPixels, coarse)) return e;

  Best best;
  best.x = W / 2;
  best.y = H / 2;
  const PlaneView smooth = search.CoarsePlane();
  RowScorer& row = search.CoarseRow();
  for (int64_t y = coarse.y0; y < coarse.y1; y += G) {
    if (progress) progress();
    row.Start(smooth, search.grid(), y, coarse.x0, coarse.x1 - 1, G);
    for (int64_t x = coarse.x0; x < coarse.x1; x += G) best.offer(row.Score(x), x, y);
  }
  Best fine;
  search.Fine(best.x, best.y, 4 * G, &fine);
  result[0] = static_cast<int32_t>(fine.x);
  result[1] = static_cast<int32_t>(fine.y);
  *correlation = fine.tried ? fine.score : 0.0;
  return IMG_OK;
}

ImageResult MatchPatternInRadius(const ImageRect* pattern, int32_t radius, int32_t scale, int32_t step,
                                 int32_t channel, const ImageHeader* frame, const int16_t* framePixels,
                                 const int16_t* patternPixels, double minCorrelation, int32_t result[4],
                                 double* correlation) {
  if (!correlation) return IMG_NULL_ARRAY;
  *correlation = 0.0;
  if (!framePixels || !result) return IMG_NULL_ARRAY;
  result[2] = result[3] = 0;
  if (!pattern || !frame || !patternPixels) return IMG_NULL_ARRAY;
  Search search;
  if (ImageResult e = search.Check(pattern->w, pattern->h, scale, step, channel, frame)) return e;
  const Grid& g = search.grid();
  const int64_t G = search.G(), W = search.W(), H = search.H();
  const int64_t cx = int64_t{pattern->x} + g.hw, cy = int64_t{pattern->y} + g.hh;

  // The box: a side that would reach past where the pattern fits is pulled in.
  Area box = {cx - radius, cx + radius, cy - radius, cy + radius};
  if (box.x0 < g.hw) box.x0 = g.hw + 2;
  if (box.x1 > W - g.hw - 3) box.x1 = W - g.hw - 3;
  if (box.y0 < g.hh) box.y0 = g.hh + 2;
  if (box.y1 > H - g.hh - 3) box.y1 = H - g.hh - 3;
  const int64_t count = 2 * int64_t{radius};
  Alternation rows(cy, G, box.y0, box.y1, count, g.hh, H - 1 - g.hh);
  Alternation cols(cx, G, box.x0, box.x1, count, g.hw, W - 1 - g.hw);
  Area candidates;
  cols.Extent(&candidates.x0, &candidates.x1);
  rows.Extent(&candidates.y0, &candidates.y1);
  if (ImageResult e = search.Prepare(channel, frame, framePixels, patternPixels, candidates)) return e;

  const double threshold = std::pow(minCorrelation, 1.5);
  Best best;
  best.x = cx;
  best.y = cy;
  const PlaneView smooth = search.CoarsePlane();
  RowScorer& row = search.CoarseRow();
  int64_t x, y;
  // Without a column to try there is no coarse position at all.
  bool done = candidates.x1 <= candidates.x0;
  while (!done && rows.Next(&y)) {
    cols.Restart();
    row.Start(smooth, search.grid(), y, candidates.x0, candidates.x1 - 1, G);
    while (cols.Next(&x)) {
      best.offer(row.Score(x), x, y);
      if (best.score >= threshold) {
        done = true;
        break;
      }
    }
  }
  Best fine;
  search.Fine(best.x, best.y, 12 * G, &fine);
  result[0] = static_cast<int32_t>(fine.x);
  result[1] = static_cast<int32_t>(fine.y);
  *correlation = fine.tried ? fine.score : 0.0;
  return IMG_OK;
}

// Running totals of the quality measures, added pixel after pixel in row order.
struct QualitySums {
  double maxG = 0.0, sumG = 0.0, sumNoise = 0.0;
  int32_t n = 0;
};

// The pixels of one measured row (those marked 127 when there is a mask): s
// the smoothed frame at the row's first pixel, sums and squares the 3 x 3
// neighbourhood sums of each sample's column triple, from the row's first
// sample on. The squared distances from the smoothed centre c are
// sum p^2 - 2 c sum p + 9 c^2, exactly, in integers.
template <int kSpp>
void MeasureRow(const int16_t* s, ptrdiff_t sStride, const int32_t* sums, const uint32_t* squares,
                const uint8_t* mask, int32_t count, QualitySums* total) {
  double maxG = total->maxG, sumG = total->sumG, sumNoise = total->sumNoise;
  int32_t n = total->n;
  for (int32_t x = 0; x < count; ++x, s += kSpp, sums += kSpp, squares += kSpp) {
    if (mask && mask[x] != 127) continue;
    double noiseOf[kSpp];
    for (int c = 0; c < kSpp; ++c) {
      const int64_t s1 = int64_t{sums[c - kSpp]} + sums[c] + sums[c + kSpp];
      const int64_t s2 = int64_t{squares[c - kSpp]} + squares[c] + squares[c + kSpp];
      const int64_t sc = s[c];
      noiseOf[c] = std::sqrt(static_cast<double>(s2 - 2 * sc * s1 + 9 * sc * sc) / 8.0);
    }
    double g, noise;
    if constexpr (kSpp == 1) {
      const int64_t gx = s[1] - s[-1], gy = s[sStride] - s[-sStride];
      g = 0.5 * std::sqrt(static_cast<double>(gx * gx + gy * gy));
      noise = noiseOf[0];
    } else {
      auto diff = [&](int c, ptrdiff_t d) { return s[d + c] - s[-d + c]; };
      const double gx = 0.299 * diff(2, 3) + 0.587 * diff(1, 3) + 0.114 * diff(0, 3);
      const double gy = 0.299 * diff(2, sStride) + 0.587 * diff(1, sStride) + 0.114 * diff(0, sStride);
      g = std::sqrt(gx * gx + gy * gy);
      noise = 0.299 * noiseOf[2] + 0.587 * noiseOf[1] + 0.114 * noiseOf[0];
    }
    maxG = std::max(maxG, g);
    sumG += g;
    sumNoise += noise;
    ++n;
  }
  *total = {maxG, sumG, sumNoise, n};
}

int MeasureFrameQuality(double* q1, double* q2, double* q3, double* q4, double* q5, double* q6, double* q7,
                        int32_t* count, ImageRect* measured, const int16_t* pixels, const ImageHeader* h,
                        const ImageRect* window) {
  double* measures[] = {q1, q2, q3, q4, q5, q6, q7};
  for (double* q : measures)
    if (!q) return 0;
  if (!count || !measured) return 0;
  for (double* q : measures) *q = 0.0;
  *count = 0;
  if (!pixels || !h || (window && !RectInImage(window, h))) return 0;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  uint8_t* mask = nullptr;
  double spread = 0.0;
  ImageRect rect;
  if (!window) {
    if (BuildObjectMask(q5, &spread, &mask, &rect, pixels, h, 0.1) != IMG_OK) return 0;
  } else {
    // The gradients and the noise read one pixel around each measured one.
    const Area a = {std::max<int64_t>(window->x, 1), std::min<int64_t>(int64_t{window->x} + window->w, W - 1),
                    std::max<int64_t>(window->y, 1), std::min<int64_t>(int64_t{window->y} + window->h, H - 1)};
    rect = ToRect(a);
    auto* hist = AllocWorkOf<uint32_t>(static_cast<size_t>(std::max(h->levels, 1)));
    LevelsRecord levels;
    const bool ok = hist && ComputeRegionHistogram(&rect, h, pixels, hist) == IMG_OK &&
                    AnalyseLevels(hist, h->levels, 1, 0, 0, &levels) == IMG_OK;
    FreeWork(&hist);
    if (!ok) return 0;
    *q5 = levels.rangeBits;
    spread = levels.whitePoint - levels.peakLevel;
  }
  *measured = rect;

  // The smoothed frame where it is read, and per row the sums of each
  // sample's column triple and of their squares.
  SmoothedPart smooth;
  const ptrdiff_t span = (ptrdiff_t{std::max(rect.w, 0)} + 2) * spp;
  auto* sums = static_cast<int32_t*>(AllocWork(static_cast<size_t>(span), 2 * sizeof(int32_t)));
  if (!sums || SmoothPart(pixels, h, rect, kSmoothRadius, 1, &smooth) != IMG_OK) {
    FreeWork(&sums);
    FreeMem(&mask);
    FreeSmoothedPart(&smooth);
    return 0;
  }
  auto* squares = reinterpret_cast<uint32_t*>(sums + span);
  const ptrdiff_t stride = W * spp;
  QualitySums total;
  for (ptrdiff_t y = rect.y; y < ptrdiff_t{rect.y} + rect.h; ++y) {
    const uint8_t* maskRow = mask ? mask + y * W + rect.x : nullptr;
    if (maskRow && !std::memchr(maskRow, 127, static_cast<size_t>(rect.w))) continue;
    const int16_t* above = pixels + (y - 1) * stride + (rect.x - 1) * spp;
    for (ptrdiff_t i = 0; i < span; ++i) {
      const int32_t a = above[i], b = above[i + stride], c = above[i + 2 * stride];
      sums[i] = a + b + c;
      squares[i] = static_cast<uint32_t>(a * a) + static_cast<uint32_t>(b * b) + static_cast<uint32_t>(c * c);
    }
    const int16_t* s = smooth.At(rect.x, y);
    const ptrdiff_t sStride = ptrdiff_t{smooth.part.w} * spp;
    if (spp == 3)
      MeasureRow<3>(s, sStride, sums + 3, squares + 3, maskRow, rect.w, &total);
    else
      MeasureRow<1>(s, sStride, sums + 1, squares + 1, maskRow, rect.w, &total);
  }
  const double maxG = total.maxG, sumG = total.sumG, sumNoise = total.sumNoise;
  const int32_t n = total.n;
  if (n > 0) {
    *q1 = maxG;
    *q2 = sumG / n;
    *q3 = sumNoise / n;
    *q6 = spread / h->levels;
    *q7 = *q3 != 0.0 ? spread / *q3 : 0.0;
  }
  *count = n;
  FreeSmoothedPart(&smooth);
  FreeWork(&sums);
  FreeMem(&mask);
  return 1;
}
