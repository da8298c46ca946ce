#include "imagelib/matrix.h"

#include "imagelib/image.h"

namespace {

// The row table and the elements share one block, table first; the elements
// start on a double boundary.
size_t ElementsOffset(int32_t n) {
  const size_t table = size_t(n) * sizeof(double*);
  return (table + sizeof(double) - 1) / sizeof(double) * sizeof(double);
}

template <int N>
void TransformFixed(double out[N], const double* const* M, const double v[N]) {
  double sum[N] = {};
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < N; ++i)
      if (v[i] != 0 && M[i][j] != 0) sum[j] += v[i] * M[i][j];
  for (int j = 0; j < N; ++j) out[j] = sum[j];
}

}  // namespace

int AllocMatrix(double*** out, int32_t n) {
  if (!out) return 0;
  *out = nullptr;
  if (n < 1 || n > 4096) return 0;
  const size_t offset = ElementsOffset(n);
  char* block = static_cast<char*>(AllocMem(static_cast<uint32_t>(offset + size_t(n) * n * sizeof(double))));
  if (!block) return 0;
  double** rows = reinterpret_cast<double**>(block);
  double* elements = reinterpret_cast<double*>(block + offset);
  for (int32_t i = 0; i < n; ++i) rows[i] = elements + size_t(i) * n;
  *out = rows;
  return 1;
}

void FreeMatrix(double*** m) {
  if (m) FreeMem(m);
}

void CopyMatrix(double* const* dst, const double* const* src, int32_t n) {
  if (!dst || !src) return;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) dst[i][j] = src[i][j];
}

void MultiplyMatrix(double* const* out, const double* const* A, const double* const* B, int32_t n) {
  if (!out || !A || !B) return;
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < n; ++j) {
      double sum = 0.0;
      for (int32_t k = 0; k < n; ++k)
        if (B[i][k] != 0 || A[k][j] != 0) sum += B[i][k] * A[k][j];
      out[i][j] = sum;
    }
  }
}

void TransformVector4(double out[4], const double* const* M, const double v[4]) {
  if (out && M && v) TransformFixed<4>(out, M, v);
}

void TransformVector3(double out[3], const double* const* M, const double v[3]) {
  if (out && M && v) TransformFixed<3>(out, M, v);
}

void MultiplyMatrixVector(double* out, const double* const* M, const double* v, int32_t n) {
  if (!out || !M || !v) return;
  for (int32_t j = 0; j < n; ++j) {
    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i)
      if (v[i] != 0 && M[i][j] != 0) sum += v[i] * M[i][j];
    out[j] = sum;
  }
}
