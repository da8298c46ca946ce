#include "imagelib/resample.h"

#include <algorithm>
#include <cmath>

#include "imagelib/matrix.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFractions = 256;   // interpolation weights in 1/256 steps

double Sinc(double z) {
  if (z == 0) return 1.0;
  if (z == std::floor(z)) return 0.0;   // exact zeros, so whole-pixel positions copy
  return std::sin(kPi * z) / (kPi * z);
}

// Two-lobe Lanczos weights for the taps k = -1..2 at fraction t / 256, each
// fraction's four weights normalised to sum 1: weights[(k + 1) * 256 + t].
void BuildSincTables(double* weights) {
  for (int t = 0; t < kFractions; ++t) {
    double raw[4], sum = 0.0;
    for (int k = -1; k <= 2; ++k) {
      const double d = static_cast<double>(t) / kFractions - k;
      raw[k + 1] = Sinc(d) * Sinc(d / 2);
      sum += raw[k + 1];
    }
    for (int i = 0; i < 4; ++i) weights[i * kFractions + t] = raw[i] / sum;
  }
}

// Everything one rendering pass needs. The source position of an output
// pixel is (x-part + y-part) + constant for each used element of v x M, the
// same sums MapOutputPixel forms, with the column parts worked out once.
struct Render {
  const int16_t* src;
  int16_t* dst;
  ptrdiff_t W, H;         // destination
  ptrdiff_t w, h;         // source
  double halfW, halfH;    // source centre, w / 2 and h / 2
  double margin;
  const double* colTerms; // per destination column: X0 * M[0][j] for j = 0, 1, 3
  double rowFactor[3];    // M[1][j]
  double constant[3];     // M[3][j] (v[3] = 1; z = 0 drops row 2)
  double yCentre;         // Y0 of row r is yCentre - r
  int16_t fill[3];
  const double* sinc;
  int32_t top;            // largest sample of the sinc path
};

// A term with a zero factor is left out, as in TransformVector4; adding 0.0
// in its place gives the same sum.
inline double Term(double v, double m) { return v != 0 && m != 0 ? v * m : 0.0; }

template <int N, int Mode>
void RenderImage(const Render& rd) {
  const ptrdiff_t stride = rd.w * N;
  const double lowX = -(rd.halfW - rd.margin), highX = rd.halfW - rd.margin;
  const double lowY = -(rd.halfH - rd.margin), highY = rd.halfH - rd.margin;
  for (ptrdiff_t r = 0; r < rd.H; ++r) {
    const double Y0 = rd.yCentre - static_cast<double>(r);
    const double b0 = Term(Y0, rd.rowFactor[0]), b1 = Term(Y0, rd.rowFactor[1]), b3 = Term(Y0, rd.rowFactor[2]);
    int16_t* out = rd.dst + r * rd.W * N;
    for (ptrdiff_t c = 0; c < rd.W; ++c, out += N) {
      const double* a = rd.colTerms + 3 * c;
      const double q = (a[2] + b3) + rd.constant[2];
      const double X = q != 0 ? ((a[0] + b0) + rd.constant[0]) / q : 0.0;
      const double Y = q != 0 ? ((a[1] + b1) + rd.constant[1]) / q : 0.0;
      if (q == 0 || !(lowX <= X && X < highX && lowY <= Y && Y < highY)) {
        for (int k = 0; k < N; ++k) out[k] = rd.fill[k];
        continue;
      }
      const double sx = X + rd.halfW, sy = rd.halfH - Y;
      if (Mode == 0) {
        const ptrdiff_t ix = static_cast<ptrdiff_t>(std::floor(sx + 0.5));
        const ptrdiff_t iy = static_cast<ptrdiff_t>(std::floor(sy + 0.5));
        const int16_t* p = rd.src + iy * stride + ix * N;
        for (int k = 0; k < N; ++k) out[k] = p[k];
        continue;
      }
      const double fx0 = std::floor(sx), fy0 = std::floor(sy);
      const int fx = static_cast<int>(kFractions * (sx - fx0));
      const int fy = static_cast<int>(kFractions * (sy - fy0));
      const int16_t* p = rd.src + static_cast<ptrdiff_t>(fy0) * stride + static_cast<ptrdiff_t>(fx0) * N;
      if (Mode == 1) {
        for (int k = 0; k < N; ++k) {
          const int64_t p00 = p[k], p10 = p[N + k], p01 = p[stride + k], p11 = p[stride + N + k];
          const int64_t v =
              p00 * 65536 + (p10 - p00) * fx * 256 + ((p01 - p00) * 256 + (p11 - p01 - p10 + p00) * fx) * fy;
          out[k] = static_cast<int16_t>(v >> 16);
        }
        continue;
      }
      for (int k = 0; k < N; ++k) {
        double sum = 0.0;
        for (int j = -1; j <= 2; ++j) {
          const int16_t* line = p + j * stride + k;
          const double wy = rd.sinc[(j + 1) * kFractions + fy];
          for (int i = -1; i <= 2; ++i) sum += line[i * N] * rd.sinc[(i + 1) * kFractions + fx] * wy;
        }
        // The negative lobes overshoot next to hard edges.
        const double v = std::floor(sum);
        out[k] = static_cast<int16_t>(v < 0 ? 0 : v > rd.top ? rd.top : static_cast<int32_t>(v));
      }
    }
  }
}

template <int N>
void RenderMode(const Render& rd, int32_t mode) {
  switch (mode) {
    case 0:
    case 2: RenderImage<N, 0>(rd); break;
    case 1:
    case 3: RenderImage<N, 1>(rd); break;
    default: RenderImage<N, 4>(rd); break;
  }
}

}  // namespace

ImageResult FitAspectRect(ImageRect* out, const ImageRect* src, int32_t targetW, int32_t targetH) {
  if (!out || !src) return IMG_NULL_ARRAY;
  if (src->w < 1 || src->h < 1 || targetW < 1 || targetH < 1) return IMG_BAD_PARAMETER;
  const double sw = src->w, sh = src->h, tw = targetW, th = targetH;
  if (sh / th <= sw / tw)
    MakeRect(out, 0, 0, targetW, static_cast<int32_t>(std::floor(tw * sh / sw)));
  else
    MakeRect(out, 0, 0, static_cast<int32_t>(std::floor(th * sw / sh)), targetH);
  return IMG_OK;
}

ImageResult BuildRotationScaleMatrix(double* const* M, double angle, double scale, double xScale, double yScale) {
  if (!(scale > 0) || xScale == 0 || yScale == 0) return IMG_BAD_PARAMETER;
  if (!M) return IMG_NULL_ARRAY;
  double** R = nullptr;
  double** S = nullptr;
  if (!AllocMatrix(&R, 4) || !AllocMatrix(&S, 4)) {
    FreeMatrix(&R);
    return IMG_NO_MEMORY;
  }
  const double c = std::cos(angle), s = std::sin(angle);
  R[0][0] = c;
  R[0][1] = s;
  R[1][0] = -s;
  R[1][1] = c;
  R[2][2] = 1;
  R[3][3] = 1;
  S[0][0] = xScale / yScale;
  S[1][1] = 1;
  S[2][3] = 1;
  S[3][3] = scale;
  MultiplyMatrix(M, S, R, 4);   // R x S
  FreeMatrix(&R);
  FreeMatrix(&S);
  return IMG_OK;
}

int MapOutputPixel(double* sx, double* sy, double x, double y, double z, const double* const* M, int32_t W,
                   int32_t H, int32_t w, int32_t h, double m) {
  if (!sx || !sy || !M) return 0;
  const double v[4] = {x - W / 2, H / 2 - y, z, 1.0};
  double out[4];
  TransformVector4(out, M, v);
  if (out[3] == 0) return 0;
  const double X = out[0] / out[3], Y = out[1] / out[3];
  const double hw = w / 2, hh = h / 2;
  *sx = X + hw;
  *sy = hh - Y;
  return -(hw - m) <= X && X < hw - m && -(hh - m) <= Y && Y < hh - m;
}

ImageResult ResampleImage(const ImageHeader* srcHeader, const ImageHeader* dstHeader, const int16_t* src,
                          int16_t* dst, int32_t centreX, int32_t centreY, double angle, double scale, int32_t mode) {
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (!srcHeader || !dstHeader) return IMG_NULL_ARRAY;
  if (src == dst || mode < 0 || mode > 4) return IMG_BAD_PARAMETER;
  double** M = nullptr;
  double* sinc = nullptr;
  double* colTerms = nullptr;
  if (!AllocMatrix(&M, 4)) return IMG_NO_MEMORY;
  if (mode == 4 && !(sinc = static_cast<double*>(AllocArray(4 * kFractions, sizeof(double))))) {
    FreeMatrix(&M);
    return IMG_NO_MEMORY;
  }
  ImageResult result = IMG_OK;
  const ptrdiff_t W = ImageCols(dstHeader), H = ImageRows(dstHeader);
  if (BuildRotationScaleMatrix(M, angle, scale, srcHeader->xScale, srcHeader->yScale) != IMG_OK) {
    result = IMG_BAD_PARAMETER;
  } else if (!(colTerms = static_cast<double*>(AllocArray(3 * (W ? W : 1), sizeof(double))))) {
    result = IMG_NO_MEMORY;
  } else {
    if (sinc) BuildSincTables(sinc);
    Render rd{};
    rd.src = src;
    rd.dst = dst;
    rd.W = W;
    rd.H = H;
    rd.w = ImageCols(srcHeader);
    rd.h = ImageRows(srcHeader);
    rd.halfW = srcHeader->width / 2;
    rd.halfH = srcHeader->height / 2;
    rd.margin = mode == 4 ? 3.0 : 2.0;
    // Output pixel (c, r) is the point x = (centreX - W/2) + c, y likewise,
    // centred as x - W/2 and H/2 - y.
    const int64_t halfDstW = dstHeader->width / 2, halfDstH = dstHeader->height / 2;
    const double x0 = static_cast<double>(int64_t{centreX} - halfDstW - halfDstW);
    rd.yCentre = static_cast<double>(halfDstH - (int64_t{centreY} - halfDstH));
    const int used[3] = {0, 1, 3};
    for (int j = 0; j < 3; ++j) {
      rd.rowFactor[j] = M[1][used[j]];
      rd.constant[j] = Term(1.0, M[3][used[j]]);
    }
    for (ptrdiff_t c = 0; c < W; ++c)
      for (int j = 0; j < 3; ++j) colTerms[3 * c + j] = Term(x0 + static_cast<double>(c), M[0][used[j]]);
    rd.colTerms = colTerms;
    rd.sinc = sinc;
    const int32_t levels = srcHeader->levels;
    rd.top = levels >= 1 && levels <= kFullScale ? levels - 1 : kFullScale - 1;
    const bool colour = srcHeader->colourType == kColourRgb;
    rd.fill[0] = colour ? dstHeader->fillBlue : dstHeader->fillRed;
    rd.fill[1] = dstHeader->fillGreen;
    rd.fill[2] = dstHeader->fillRed;
    if (colour)
      RenderMode<3>(rd, mode);
    else
      RenderMode<1>(rd, mode);
  }
  FreeMem(&colTerms);
  FreeMem(&sinc);
  FreeMatrix(&M);
  return result;
}
