// Complex FFT of script buffers: values are interleaved (real, imaginary),
// 2 doubles per value, transformed in place.
//
// - Forward (mode 0): the unscaled X_k = sum_j x_j e^(-2 pi i j k / n) by a
//   conjugate-pair split-radix decimation in frequency, left in transform
//   order: position p holds X[(n - f(p, n)) mod n] (f: see fft_tables.h).
// - Inverse (mode 1): input in transform order, output in natural order,
//   y_j = sum_k Y_k e^(+2 pi i j k / n), not scaled, so inverse(forward(x))
//   is n * x.
// - Reorder to natural order (mode 4) and back to transform order (mode 5):
//   moves whole values along the cycles of T_n, without a scratch buffer.
//
// Contracts: no allocation, no lock (the tables are built by the first script
// object, see fft_tables.h); results do not depend on the instruction set
// (the SSE2 and AVX paths compute the same bits as the scalar one).
#pragma once

#include <cstdint>

namespace vexmold {

enum FftMode : uint32_t {
    kFftForward = 0,
    kFftInverse = 1,
    kFftToNaturalOrder = 4,
    kFftToTransformOrder = 5,
};

// n = 2^log2n complex values at buffer. Transforms for n = 2 ... 32768,
// reorderings for n = 4 ... 32768; any other size or mode does nothing.
void fftDispatch(int32_t log2n, double* buffer, uint32_t mode);

// Whether the transforms run two butterflies at a time in 256-bit vectors
// (on processors with AVX). Either way they give the same bits; tests turn
// the wide path off to compare.
bool fftWideVectors();
void fftAllowWideVectors(bool allowed);

}  // namespace vexmold
