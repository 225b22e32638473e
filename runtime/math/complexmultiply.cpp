#include "runtime/math/complexmultiply.h"

#include "runtime/math/complex_ops.h"

namespace vexmold {

namespace {

bool countAccepted(int32_t count) {
    return count >= 2 && count % 2 == 0;
}

inline cx::Complex product(const double* a, const double* b) {
    return cx::mul(cx::load(a), b[0], b[1]);
}

}  // namespace

void complexMultiplyInPlace(double* a, const double* b, int32_t count) {
    complexMultiplyInto(a, a, b, count);
}

void complexMultiplyInto(double* out, const double* a, const double* b, int32_t count) {
    if (!countAccepted(count))
        return;
    for (int64_t k = 0; k < 2 * int64_t{count}; k += 2)
        cx::store(out + k, product(a + k, b + k));
}

void complexMultiplyAdd(double* out, const double* a, const double* b, int32_t count) {
    if (!countAccepted(count))
        return;
    for (int64_t k = 0; k < 2 * int64_t{count}; k += 2)
        cx::store(out + k, cx::add(cx::load(out + k), product(a + k, b + k)));
}

}  // namespace vexmold
