// Sampling a grid of doubles at a fractional position, for resampling a
// planet map. grid[i][j] with i = 0..nx along x and j = 0..ny along y; the
// kernels read only taps of non-zero weight, so a grid of (nx + 1) x (ny + 1)
// values suffices up to (nx, ny).
#pragma once

// Bilinear; 0.0 outside 0..nx x 0..ny.
double ResamplePixelLinear(const double* const* grid, int nx, int ny, double x, double y);
// Sinc over 4 x 4 taps (sin(pi d / 2) / (pi d / 2)), bilinear within a pixel
// of the edges; the weights are not normalised.
double ResamplePixelSinc2(const double* const* grid, int nx, int ny, double x, double y);
// Sinc over 6 x 6 taps (sin(pi d / 3) / (pi d / 3)), Sinc2 within two pixels
// of the edges and bilinear within one.
double ResamplePixelSinc3(const double* const* grid, int nx, int ny, double x, double y);
