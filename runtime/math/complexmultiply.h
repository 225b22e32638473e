// Element-wise products of interleaved complex buffers (real, imaginary):
// (a.re b.re - a.im b.im, a.re b.im + b.re a.im). Each value is read
// completely before it is written, so the output may be either input.
// count is in complex values and is handled two at a time: a count below 2
// or an odd count does nothing.
#pragma once

#include <cstdint>

namespace vexmold {

// a[k] = a[k] * b[k]
void complexMultiplyInPlace(double* a, const double* b, int32_t count);
// out[k] = a[k] * b[k]
void complexMultiplyInto(double* out, const double* a, const double* b, int32_t count);
// out[k] = out[k] + a[k] * b[k]
void complexMultiplyAdd(double* out, const double* a, const double* b, int32_t count);

}  // namespace vexmold
