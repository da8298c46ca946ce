// Small square matrices of doubles as a table of row pointers over one
// zeroed block, and their products. Vectors are rows and multiply on the
// left: out[j] = sum over i of v[i] * M[i][j]. Row pointers may be swapped
// by the owner; FreeMatrix still frees the right block.
#pragma once

#include <cstdint>

// n x n zeros in *out; 1 on success, 0 (and *out null) when memory or n fail.
int AllocMatrix(double*** out, int32_t n);

// Frees a matrix of AllocMatrix and clears the caller's pointer.
void FreeMatrix(double*** m);

// dst = src, element by element.
void CopyMatrix(double* const* dst, const double* const* src, int32_t n);

// out = B x A: out[i][j] = sum over k of B[i][k] * A[k][j], leaving out terms
// whose two factors are both 0. out must be neither A nor B.
void MultiplyMatrix(double* const* out, const double* const* A, const double* const* B, int32_t n);

// out = v x M for 4 and 3 elements; terms with a zero factor are left out.
// out may be v.
void TransformVector4(double out[4], const double* const* M, const double v[4]);
void TransformVector3(double out[3], const double* const* M, const double v[3]);

// out = v x M for n elements; out must not be v.
void MultiplyMatrixVector(double* out, const double* const* M, const double* v, int32_t n);
