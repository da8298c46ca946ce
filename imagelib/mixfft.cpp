#include "imagelib/mixfft.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kHalfPrime = kMaxFftPrime / 2 + 1;

// Constants of the radix-3 and radix-5 butterflies: sin 60 degrees and, with
// u = 72 degrees, (cos u + cos 2u) / 2 - 1, (cos u - cos 2u) / 2, -sin u,
// -(sin u + sin 2u) and sin u - sin 2u.
constexpr double kSin60 = 0.86602540378444;
constexpr double kC51 = -1.25;
constexpr double kC52 = 0.55901699437495;
constexpr double kC53 = -0.95105651629515;
constexpr double kC54 = -1.5388417685876;
constexpr double kC55 = 0.36327126400268;
constexpr double kRoot2Half = 0.70710678118655;

// Work state of one transform: stage tables, rotation factors of the current
// radix, the stage twiddles and the elements of one butterfly. Per thread,
// so that no allocation happens per call and threads stay apart.
struct FftState {
  double pi;
  int32_t count;
  int32_t factor[kMaxFftFactors + 2];
  int32_t sofar[kMaxFftFactors + 2];
  int32_t remain[kMaxFftFactors + 2];
  double rotRe[kMaxFftPrime], rotIm[kMaxFftPrime];
  double twRe[kMaxFftPrime], twIm[kMaxFftPrime];
  double zRe[kMaxFftPrime], zIm[kMaxFftPrime];
  double outRe[kMaxFftPrime], outIm[kMaxFftPrime];
  double vRe[kHalfPrime], vIm[kHalfPrime], wRe[kHalfPrime], wIm[kHalfPrime];
};

thread_local FftState tState;

// Stage tables, 1-based like the permutation walks them. False when a prime
// factor is larger than the work state holds.
bool SetupFftFactors(FftState& st, int32_t n) {
  int32_t list[kMaxFftFactors];
  FactoriseFftLength(n, &st.count, list);
  if (list[0] > kMaxFftPrime) return false;
  for (int32_t i = 0; i < st.count; ++i) st.factor[i + 1] = list[i];
  st.remain[0] = n;
  st.sofar[1] = 1;
  st.remain[1] = n / st.factor[1];
  for (int32_t i = 2; i <= st.count; ++i) {
    st.sofar[i] = st.sofar[i - 1] * st.factor[i - 1];
    st.remain[i] = st.remain[i - 1] / st.factor[i];
  }
  st.remain[st.count + 1] = 1;
  return true;
}

// x into y in mixed-radix digit-reversed order.
void PermuteFftInput(const FftState& st, int32_t n, const double* xRe, const double* xIm, double* yRe, double* yIm) {
  int32_t counter[kMaxFftFactors + 2] = {};
  int32_t k = 0;
  for (int32_t i = 0; i < n - 1; ++i) {
    yRe[i] = xRe[k];
    yIm[i] = xIm[k];
    int32_t j = 1;
    k += st.remain[1];
    ++counter[1];
    while (counter[j] >= st.factor[j]) {
      counter[j] = 0;
      k += st.remain[j + 1] - st.remain[j - 1];
      ++j;
      ++counter[j];
    }
  }
  yRe[n - 1] = xRe[n - 1];
  yIm[n - 1] = xIm[n - 1];
}

// rot[k] = exp(-2 pi i k / radix) by repeated rotation.
void InitFftRotation(FftState& st, int32_t radix) {
  const double w = 2.0 * st.pi / radix;
  const double c = std::cos(w), s = -std::sin(w);
  st.rotRe[0] = 1.0;
  st.rotIm[0] = 0.0;
  for (int32_t k = 1; k < radix; ++k) {
    st.rotRe[k] = st.rotRe[k - 1] * c - st.rotIm[k - 1] * s;
    st.rotIm[k] = st.rotRe[k - 1] * s + st.rotIm[k - 1] * c;
  }
}

void FftRadix2(double* re, double* im) {
  const double r = re[0] - re[1], i = im[0] - im[1];
  re[0] += re[1];
  im[0] += im[1];
  re[1] = r;
  im[1] = i;
}

void FftRadix3(double* re, double* im) {
  const double tRe = re[1] + re[2], tIm = im[1] + im[2];
  const double dRe = kSin60 * (re[1] - re[2]), dIm = kSin60 * (im[1] - im[2]);
  re[0] += tRe;
  im[0] += tIm;
  const double sRe = re[0] - 1.5 * tRe, sIm = im[0] - 1.5 * tIm;
  re[1] = sRe + dIm;
  im[1] = sIm - dRe;
  re[2] = sRe - dIm;
  im[2] = sIm + dRe;
}

// Four points at stride `step`; the multiplication by -i is folded in.
void FftRadix4(double* re, double* im, int32_t step = 1) {
  double* r0 = re;
  double* r1 = re + step;
  double* r2 = re + 2 * step;
  double* r3 = re + 3 * step;
  double* i0 = im;
  double* i1 = im + step;
  double* i2 = im + 2 * step;
  double* i3 = im + 3 * step;
  const double aRe = *r0 + *r2, aIm = *i0 + *i2, bRe = *r0 - *r2, bIm = *i0 - *i2;
  const double cRe = *r1 + *r3, cIm = *i1 + *i3, dRe = *r1 - *r3, dIm = *i1 - *i3;
  *r0 = aRe + cRe;
  *i0 = aIm + cIm;
  *r2 = aRe - cRe;
  *i2 = aIm - cIm;
  *r1 = bRe + dIm;
  *i1 = bIm - dRe;
  *r3 = bRe - dIm;
  *i3 = bIm + dRe;
}

// Five points at stride `step`.
void FftRadix5(double* re, double* im, int32_t step = 1) {
  double* r[5];
  double* i[5];
  for (int k = 0; k < 5; ++k) {
    r[k] = re + k * step;
    i[k] = im + k * step;
  }
  const double t1Re = *r[1] + *r[4], t1Im = *i[1] + *i[4];
  const double t2Re = *r[2] + *r[3], t2Im = *i[2] + *i[3];
  const double t3Re = *r[1] - *r[4], t3Im = *i[1] - *i[4];
  const double t4Re = *r[3] - *r[2], t4Im = *i[3] - *i[2];
  const double t5Re = t1Re + t2Re, t5Im = t1Im + t2Im;
  *r[0] += t5Re;
  *i[0] += t5Im;
  const double m1Re = kC51 * t5Re, m1Im = kC51 * t5Im;
  const double m2Re = kC52 * (t1Re - t2Re), m2Im = kC52 * (t1Im - t2Im);
  const double m3Re = kC53 * (t3Re + t4Re), m3Im = kC53 * (t3Im + t4Im);
  const double m4Re = kC54 * t4Re, m4Im = kC54 * t4Im;
  const double m5Re = kC55 * t3Re, m5Im = kC55 * t3Im;
  const double s1Re = *r[0] + m1Re, s1Im = *i[0] + m1Im;
  const double aRe = s1Re + m2Re, aIm = s1Im + m2Im;   // real-part sums of outputs 1 and 4
  const double bRe = s1Re - m2Re, bIm = s1Im - m2Im;   // of outputs 2 and 3
  const double s3Re = m3Re - m4Re, s3Im = m3Im - m4Im;
  const double s5Re = m3Re + m5Re, s5Im = m3Im + m5Im;
  *r[1] = aRe - s3Im;
  *i[1] = aIm + s3Re;
  *r[4] = aRe + s3Im;
  *i[4] = aIm - s3Re;
  *r[2] = bRe - s5Im;
  *i[2] = bIm + s5Re;
  *r[3] = bRe + s5Im;
  *i[3] = bIm - s5Re;
}

// Radix-4 transforms of the even and the odd points, joined by exp(-i pi k / 4).
void FftRadix8(double* re, double* im) {
  FftRadix4(re, im, 2);
  FftRadix4(re + 1, im + 1, 2);
  double oRe[4], oIm[4];
  oRe[0] = re[1];
  oIm[0] = im[1];
  oRe[1] = kRoot2Half * (re[3] + im[3]);
  oIm[1] = kRoot2Half * (im[3] - re[3]);
  oRe[2] = im[5];
  oIm[2] = -re[5];
  oRe[3] = kRoot2Half * (im[7] - re[7]);
  oIm[3] = -kRoot2Half * (re[7] + im[7]);
  double eRe[4], eIm[4];
  for (int k = 0; k < 4; ++k) {
    eRe[k] = re[2 * k];
    eIm[k] = im[2 * k];
  }
  for (int k = 0; k < 4; ++k) {
    re[k] = eRe[k] + oRe[k];
    im[k] = eIm[k] + oIm[k];
    re[k + 4] = eRe[k] - oRe[k];
    im[k + 4] = eIm[k] - oIm[k];
  }
}

// Two radix-5 transforms joined by a radix-2 step; with 10 = 2 x 5 coprime
// the index maps need no twiddles (a holds points 0, 2, 4, 6, 8, b the
// points 5, 7, 9, 1, 3, and output k takes a and b at k mod 5).
void FftRadix10(double* re, double* im) {
  constexpr int kA[5] = {0, 2, 4, 6, 8};
  constexpr int kB[5] = {5, 7, 9, 1, 3};
  double aRe[5], aIm[5], bRe[5], bIm[5];
  for (int k = 0; k < 5; ++k) {
    aRe[k] = re[kA[k]];
    aIm[k] = im[kA[k]];
    bRe[k] = re[kB[k]];
    bIm[k] = im[kB[k]];
  }
  FftRadix5(aRe, aIm);
  FftRadix5(bRe, bIm);
  for (int k = 0; k < 10; ++k) {
    const int j = k % 5;
    const double sign = (k % 2) ? -1.0 : 1.0;
    re[k] = aRe[j] + sign * bRe[j];
    im[k] = aIm[j] + sign * bIm[j];
  }
}

// Direct transform of an odd length, pairing points j and radix - j.
void FftOddRadix(FftState& st, int32_t radix) {
  double* zRe = st.zRe;
  double* zIm = st.zIm;
  const int32_t half = (radix + 1) / 2;
  double sumRe = zRe[0], sumIm = zIm[0];
  for (int32_t j = 1; j < half; ++j) {
    st.vRe[j] = zRe[j] + zRe[radix - j];
    st.vIm[j] = zIm[j] + zIm[radix - j];
    st.wRe[j] = zRe[j] - zRe[radix - j];
    st.wIm[j] = zIm[j] - zIm[radix - j];
    sumRe += st.vRe[j];
    sumIm += st.vIm[j];
  }
  for (int32_t k = 1; k < half; ++k) {
    double aRe = zRe[0], aIm = zIm[0], bRe = 0.0, bIm = 0.0;
    int32_t idx = 0;
    for (int32_t j = 1; j < half; ++j) {
      idx += k;
      if (idx >= radix) idx -= radix;
      aRe += st.rotRe[idx] * st.vRe[j];
      aIm += st.rotRe[idx] * st.vIm[j];
      bRe += st.rotIm[idx] * st.wRe[j];
      bIm += st.rotIm[idx] * st.wIm[j];
    }
    // rotIm holds -sin, so output k is a + i b and output radix - k is a - i b.
    st.outRe[k] = aRe - bIm;
    st.outIm[k] = aIm + bRe;
    st.outRe[radix - k] = aRe + bIm;
    st.outIm[radix - k] = aIm - bRe;
  }
  zRe[0] = sumRe;
  zIm[0] = sumIm;
  for (int32_t k = 1; k < radix; ++k) {
    zRe[k] = st.outRe[k];
    zIm[k] = st.outIm[k];
  }
}

void Butterfly(FftState& st, int32_t radix) {
  switch (radix) {
    case 1: break;
    case 2: FftRadix2(st.zRe, st.zIm); break;
    case 3: FftRadix3(st.zRe, st.zIm); break;
    case 4: FftRadix4(st.zRe, st.zIm); break;
    case 5: FftRadix5(st.zRe, st.zIm); break;
    case 8: FftRadix8(st.zRe, st.zIm); break;
    case 10: FftRadix10(st.zRe, st.zIm); break;
    default: FftOddRadix(st, radix); break;
  }
}

// One stage: combines `radix` transforms of length sofar into transforms of
// length sofar x radix, remain of them side by side.
void FftRotationPass(FftState& st, int32_t sofar, int32_t radix, int32_t remain, double* yRe, double* yIm) {
  InitFftRotation(st, radix);
  const double omega = 2.0 * st.pi / (double(sofar) * radix);
  const double stepRe = std::cos(omega), stepIm = -std::sin(omega);
  double twRe = 1.0, twIm = 0.0;
  const ptrdiff_t span = ptrdiff_t{sofar} * radix;
  for (int32_t d = 0; d < sofar; ++d) {
    if (sofar > 1) {
      st.twRe[0] = 1.0;
      st.twIm[0] = 0.0;
      st.twRe[1] = twRe;
      st.twIm[1] = twIm;
      for (int32_t k = 2; k < radix; ++k) {
        st.twRe[k] = twRe * st.twRe[k - 1] - twIm * st.twIm[k - 1];
        st.twIm[k] = twIm * st.twRe[k - 1] + twRe * st.twIm[k - 1];
      }
      const double t = twRe;
      twRe = stepRe * t - stepIm * twIm;
      twIm = stepIm * t + stepRe * twIm;
    }
    const bool rotate = sofar > 1 && d > 0;
    for (int32_t b = 0; b < remain; ++b) {
      const ptrdiff_t base = b * span + d;
      for (int32_t k = 0; k < radix; ++k) {
        const double re = yRe[base + ptrdiff_t{k} * sofar], im = yIm[base + ptrdiff_t{k} * sofar];
        if (rotate && k > 0) {
          st.zRe[k] = st.twRe[k] * re - st.twIm[k] * im;
          st.zIm[k] = st.twRe[k] * im + st.twIm[k] * re;
        } else {
          st.zRe[k] = re;
          st.zIm[k] = im;
        }
      }
      Butterfly(st, radix);
      for (int32_t k = 0; k < radix; ++k) {
        yRe[base + ptrdiff_t{k} * sofar] = st.zRe[k];
        yIm[base + ptrdiff_t{k} * sofar] = st.zIm[k];
      }
    }
  }
}

}  // namespace

ImageResult FactoriseFftLength(int32_t n, int32_t* count, int32_t* factors) {
  if (!count || !factors) return IMG_NULL_ARRAY;
  if (n < 1) return IMG_BAD_PARAMETER;
  int32_t list[kMaxFftFactors];
  int32_t k = 0;
  if (n == 1) list[k++] = 1;
  for (int32_t radix : {10, 8, 5, 4, 3, 2})
    while (n % radix == 0) {
      n /= radix;
      list[k++] = radix;
    }
  if (k > 0 && list[k - 1] == 2) {
    // 8 x 2 runs faster as 4 x 4.
    for (int32_t i = k - 2; i >= 0; --i)
      if (list[i] == 8) {
        list[i] = 4;
        list[k - 1] = 4;
        break;
      }
  }
  for (int32_t j = 2; j < std::sqrt(double(n)) + 1; ++j)
    while (n % j == 0) {
      n /= j;
      list[k++] = j;
    }
  if (n > 1) list[k++] = n;
  *count = k;
  for (int32_t i = 0; i < k; ++i) factors[i] = list[k - 1 - i];
  return IMG_OK;
}

ImageResult MixedRadixFft(int32_t n, const double* xRe, const double* xIm, double* yRe, double* yIm) {
  if (!xRe || !xIm || !yRe || !yIm) return IMG_NULL_ARRAY;
  if (n < 1) return IMG_BAD_PARAMETER;
  FftState& st = tState;
  st.pi = 4.0 * std::atan(1.0);
  if (!SetupFftFactors(st, n)) return IMG_BAD_PARAMETER;
  PermuteFftInput(st, n, xRe, xIm, yRe, yIm);
  for (int32_t i = 1; i <= st.count; ++i) FftRotationPass(st, st.sofar[i], st.factor[i], st.remain[i], yRe, yIm);
  return IMG_OK;
}
