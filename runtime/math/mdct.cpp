#include "runtime/math/mdct.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <new>

#include "runtime/math/complex_ops.h"
#include "platform/platform.h"

namespace vexmold {

namespace {

using cx::Complex;

constexpr double kPi = 3.14159265358979323846;
constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kCos1_8Pi = 0.92387953251128675613;
constexpr double kSin1_8Pi = 0.38268343236508977173;

int log2Of(int32_t n) {
    int b = 0;
    while ((int32_t{1} << b) < n)
        ++b;
    return b;
}

bool validSize(int32_t n) {
    return n >= kMdctMinSize && n <= kMdctMaxSize && (n & (n - 1)) == 0;
}

// --- Lookup construction ---------------------------------------------------

void fillTrig(TMdctLookup& l) {
    const int32_t n = l.n, half = n / 2, quarter = n / 4, eighth = n / 8;
    double* trig = l.trig.data();
    for (int32_t i = 0; i < quarter; ++i) {
        trig[2 * i] = std::cos(4 * i * kPi / n);
        trig[2 * i + 1] = -std::sin(4 * i * kPi / n);
        trig[half + 2 * i] = std::cos((2 * i + 1) * kPi / (2 * n));
        trig[half + 2 * i + 1] = std::sin((2 * i + 1) * kPi / (2 * n));
    }
    for (int32_t i = 0; i < eighth; ++i) {
        trig[n + 2 * i] = 0.5 * std::cos((4 * i + 2) * kPi / n);
        trig[n + 2 * i + 1] = -0.5 * std::sin((4 * i + 2) * kPi / n);
    }
}

void fillBitrev(TMdctLookup& l) {
    const int bits = l.log2n - 1;
    const int32_t mask = (int32_t{1} << bits) - 1;
    for (int32_t i = 0; i < l.n / 8; ++i) {
        int32_t acc = 0;
        for (int j = 0; j < bits; ++j)
            if (i & (int32_t{1} << (bits - 1 - j)))
                acc |= int32_t{1} << j;
        l.bitrev[static_cast<std::size_t>(2 * i)] = (~acc & mask) - 1;
        l.bitrev[static_cast<std::size_t>(2 * i + 1)] = acc;
    }
}

// --- Direct formulas -------------------------------------------------------

double kernel(int32_t n, int32_t j, int32_t k) {
    return std::cos(kPi / (2.0 * n) * static_cast<double>(2 * j + 1 + n / 2) *
                    static_cast<double>(2 * k + 1));
}

void directForward(int32_t n, const double* in, double* out) {
    for (int32_t k = 0; k < n / 2; ++k) {
        double sum = 0.0;
        for (int32_t j = 0; j < n; ++j)
            sum += in[j] * kernel(n, j, k);
        out[k] = sum;
    }
}

void directBackward(int32_t n, const double* in, double* out) {
    const double factor = 4.0 / n;
    for (int32_t j = 0; j < n; ++j) {
        double sum = 0.0;
        for (int32_t k = 0; k < n / 2; ++k)
            sum += in[k] * kernel(n, j, k);
        out[j] = factor * sum;
    }
}

// --- Fast path -------------------------------------------------------------
// N = n/2 reals, M = n/4 complex values. Trig A (trig[0 ... N)) holds
// e^(-i pi p / M), trig B (trig[N ... 2N)) e^(i pi (2k + 1) / (2n)), trig C
// (trig[n ...)) e^(-i pi (2i + 1) / N) / 2.

// Radix-2 decimation in frequency over blocks of `points` complex values:
// x[k] = a + b, x[k + points/2] = (a - b) e^(-2 pi i k / points).
void butterflyStage(double* x, int32_t reals, int32_t points, const double* trigA, int32_t stride) {
    const int32_t halfPoints = points / 2;
    for (double* block = x; block < x + reals; block += 2 * points) {
        double* lo = block;
        double* hi = block + points;
        const double* w = trigA;
        for (int32_t k = 0; k < halfPoints; ++k, lo += 2, hi += 2, w += 2 * stride) {
            const Complex a = cx::load(lo), b = cx::load(hi);
            cx::store(lo, cx::add(a, b));
            cx::store(hi, cx::mul(cx::sub(a, b), w[0], w[1]));
        }
    }
}

// a, b: values k and k + h of a stage; (a - b) times -i.
inline void butterflyMinusI(double* lo, double* hi) {
    const Complex a = cx::load(lo), b = cx::load(hi);
    const Complex d = cx::sub(a, b);
    cx::store(lo, cx::add(a, b));
    cx::store(hi, cx::timesMinusI(d));
}

inline void butterflyTrivial(double* lo, double* hi) {
    const Complex a = cx::load(lo), b = cx::load(hi);
    cx::store(lo, cx::add(a, b));
    cx::store(hi, cx::sub(a, b));
}

inline void butterflyTwiddle(double* lo, double* hi, double c, double s) {
    const Complex a = cx::load(lo), b = cx::load(hi);
    cx::store(lo, cx::add(a, b));
    cx::store(hi, cx::mul(cx::sub(a, b), c, s));
}

// 4 complex values: the last two radix-2 stages.
inline void butterfly8(double* x) {
    butterflyTrivial(x, x + 4);
    butterflyMinusI(x + 2, x + 6);
    butterflyTrivial(x, x + 2);
    butterflyTrivial(x + 4, x + 6);
}

// 8 complex values.
inline void butterfly16(double* x) {
    butterflyTrivial(x, x + 8);
    butterflyTwiddle(x + 2, x + 10, kSqrtHalf, -kSqrtHalf);
    butterflyMinusI(x + 4, x + 12);
    butterflyTwiddle(x + 6, x + 14, -kSqrtHalf, -kSqrtHalf);
    butterfly8(x);
    butterfly8(x + 8);
}

// 16 complex values.
inline void butterfly32(double* x) {
    butterflyTrivial(x, x + 16);
    butterflyTwiddle(x + 2, x + 18, kCos1_8Pi, -kSin1_8Pi);
    butterflyTwiddle(x + 4, x + 20, kSqrtHalf, -kSqrtHalf);
    butterflyTwiddle(x + 6, x + 22, kSin1_8Pi, -kCos1_8Pi);
    butterflyMinusI(x + 8, x + 24);
    butterflyTwiddle(x + 10, x + 26, -kSin1_8Pi, -kCos1_8Pi);
    butterflyTwiddle(x + 12, x + 28, -kSqrtHalf, -kSqrtHalf);
    butterflyTwiddle(x + 14, x + 30, -kCos1_8Pi, -kSin1_8Pi);
    butterfly16(x);
    butterfly16(x + 16);
}

// The M-point complex FFT of x (N doubles), output in bit-reversed order.
void butterflies(const TMdctLookup& l, double* x) {
    const int32_t reals = l.n / 2;
    const double* trigA = l.trig.data();
    // First stage over all M values (from n = 128 on), then the generic
    // stages down to blocks of 32 values; the twiddle stride doubles per stage.
    int32_t stride = 2;
    for (int32_t points = reals / 2; points >= 32; points /= 2, stride *= 2)
        butterflyStage(x, reals, points, trigA, stride);
    for (int32_t block = 0; block < reals; block += 32)
        butterfly32(x + block);
}

// Bit reversal and the split of the M-point result C into the odd-frequency
// DFT Y of the real sequence: bitrev pairs C_i with C_(M-1-i); with
// P = (C_i + conj C_(M-1-i)) / 2 and Q = trigC_i (C_i - conj C_(M-1-i)),
// Y_i = P - iQ and Y_(M-1-i) = conj(P + iQ). y gets Y in natural order.
void bitReverseSplit(const TMdctLookup& l, const double* x, double* y) {
    const int32_t quarter = l.n / 4;
    const double* trigC = l.trig.data() + l.n;
    const int32_t* bitrev = l.bitrev.data();
    for (int32_t i = 0; i < quarter / 2; ++i) {
        const double* a = x + bitrev[2 * i + 1];
        const double* b = x + bitrev[2 * i];
        const double pRe = (a[0] + b[0]) * 0.5;
        const double pIm = (a[1] - b[1]) * 0.5;
        const double dRe = a[0] - b[0];
        const double dIm = a[1] + b[1];
        const double c = trigC[2 * i], s = trigC[2 * i + 1];
        const double qRe = dRe * c - dIm * s;
        const double qIm = dIm * c + dRe * s;
        double* lo = y + 2 * i;
        double* hi = y + 2 * (quarter - 1 - i);
        lo[0] = pRe + qIm;
        lo[1] = pIm - qRe;
        hi[0] = pRe - qIm;
        hi[1] = -pIm - qRe;
    }
}

// DCT-IV outputs from Y: with Z_k = Y_k e^(-i pi (2k + 1) / (2n)),
// v[k] = Re Z_k and v[N-1-k] = -Im Z_k, times factor.
void postRotate(const TMdctLookup& l, const double* y, double* v, double factor) {
    const int32_t half = l.n / 2;
    const double* trigB = l.trig.data() + half;
    for (int32_t k = 0; k < half / 2; ++k) {
        const double re = y[2 * k], im = y[2 * k + 1];
        const double c = trigB[2 * k], s = trigB[2 * k + 1];
        v[k] = (re * c + im * s) * factor;
        v[half - 1 - k] = (re * s - im * c) * factor;
    }
}

// Complex value p of the FFT input: (y_2p + i y_2p+1) e^(-i pi p / M).
inline void preRotated(double* out, const double* trigA, int32_t p, double y0, double y1) {
    const double c = trigA[2 * p], s = trigA[2 * p + 1];
    out[2 * p] = y0 * c - y1 * s;
    out[2 * p + 1] = y1 * c + y0 * s;
}

// Forward: fold the n inputs into the DCT-IV input u and take
// y_r = u_2r (r < M), y_r = -u_(2N-1-2r) (r >= M), written out per region
// of r in terms of the inputs x.
void preRotateForward(const TMdctLookup& l, const double* x, double* out) {
    const int32_t m = l.n / 4;
    const double* trigA = l.trig.data();
    auto y = [x, m](int32_t r) {
        if (r < m / 2)
            return -x[3 * m - 1 - 2 * r] - x[3 * m + 2 * r];
        if (r < 3 * m / 2)
            return x[2 * r - m] - x[3 * m - 1 - 2 * r];
        return x[2 * r - m] + x[7 * m - 1 - 2 * r];
    };
    for (int32_t p = 0; p < m; ++p)
        preRotated(out, trigA, p, y(2 * p), y(2 * p + 1));
}

// Backward: the DCT-IV input is the n/2 transform values themselves.
void preRotateBackward(const TMdctLookup& l, const double* u, double* out) {
    const int32_t m = l.n / 4;
    const double* trigA = l.trig.data();
    for (int32_t p = 0; p < m / 2; ++p)
        preRotated(out, trigA, p, u[4 * p], u[4 * p + 2]);
    for (int32_t p = m / 2; p < m; ++p)
        preRotated(out, trigA, p, -u[4 * m - 1 - 4 * p], -u[4 * m - 3 - 4 * p]);
}

// Unfolds the DCT-IV result v, stored in out[N ... 2N), into the n outputs:
// out[j] = v[j + M] (j < M), -v[3M - 1 - j] (M <= j < 3M), -v[j - 3M] (j >= 3M).
// The lower half reads v[M ... N) only, so it goes first; the upper half is
// then rearranged in place in pairs.
void unfold(int32_t n, double* out) {
    const int32_t m = n / 4;
    for (int32_t j = 0; j < m; ++j)
        out[j] = out[3 * m + j];
    for (int32_t j = m; j < 2 * m; ++j)
        out[j] = -out[5 * m - 1 - j];
    for (int32_t r = 0; r < m / 2; ++r) {
        const double a = out[2 * m + r];      // v[r]
        const double b = out[3 * m - 1 - r];  // v[M - 1 - r]
        out[3 * m + r] = -a;
        out[4 * m - 1 - r] = -b;
        out[2 * m + r] = -b;
        out[3 * m - 1 - r] = -a;
    }
}

bool hasFastTables(const TMdctLookup& l) {
    return l.n >= 2 * kMdctMinSize && !l.trig.empty() && !l.bitrev.empty();
}

// A lookup the routines can work with (built here or filled by hand).
bool usable(const TMdctLookup& l) {
    if (!validSize(l.n) || l.window.size() != static_cast<std::size_t>(l.n / 2))
        return false;
    if (l.trig.empty() && l.bitrev.empty())
        return true;
    return l.n > kMdctMinSize && l.log2n == log2Of(l.n) &&
           l.trig.size() == static_cast<std::size_t>(l.n + l.n / 4) &&
           l.bitrev.size() == static_cast<std::size_t>(l.n / 4);
}

std::atomic<TMdctLookup*> gLookups[13];
plux::platform::Lock gLookupCreation;  // held only while a size has no lookup yet, or to free them

}  // namespace

bool buildMdctLookup(TMdctLookup& l, int32_t n) {
    l = TMdctLookup{};
    if (!validSize(n))
        return false;
    l.n = n;
    try {
        l.window.resize(static_cast<std::size_t>(n / 2));
    } catch (const std::bad_alloc&) {
        l = TMdctLookup{};
        return false;
    }
    if (n > kMdctMinSize) {
        try {
            l.trig.resize(static_cast<std::size_t>(n + n / 4));
            l.bitrev.resize(static_cast<std::size_t>(n / 4));
            l.work.resize(static_cast<std::size_t>(n));
            l.log2n = static_cast<int32_t>(std::lround(std::log(n) / std::log(2.0)));
            fillTrig(l);
            fillBitrev(l);
            l.scale = 4.0f / static_cast<float>(n);
        } catch (const std::bad_alloc&) {
            l.trig = {};
            l.bitrev = {};
            l.work = {};
        }
    }
    for (int32_t i = 0; i < n / 2; ++i)
        l.window[static_cast<std::size_t>(i)] = std::sin((i + 0.5) * kPi / n);
    return true;
}

const TMdctLookup* mdctLookupFor(int32_t n) {
    if (!validSize(n))
        return nullptr;
    std::atomic<TMdctLookup*>& slot = gLookups[log2Of(n)];
    if (TMdctLookup* ready = slot.load(std::memory_order_acquire))
        return ready;
    std::lock_guard<plux::platform::Lock> lock(gLookupCreation);
    if (TMdctLookup* ready = slot.load(std::memory_order_relaxed))
        return ready;
    TMdctLookup* created = new (std::nothrow) TMdctLookup;
    if (created == nullptr)
        return nullptr;
    if (!buildMdctLookup(*created, n)) {
        delete created;
        return nullptr;
    }
    slot.store(created, std::memory_order_release);
    return created;
}

void releaseMdctLookups() {
    std::lock_guard<plux::platform::Lock> lock(gLookupCreation);
    for (std::atomic<TMdctLookup*>& slot : gLookups)
        delete slot.exchange(nullptr, std::memory_order_acq_rel);
}

void mdctForward(const TMdctLookup& l, const double* in, double* out) {
    if (!usable(l))
        return;
    if (!hasFastTables(l)) {
        directForward(l.n, in, out);
        return;
    }
    double y[kMdctMaxSize / 2];
    preRotateForward(l, in, out);
    butterflies(l, out);
    bitReverseSplit(l, out, y);
    postRotate(l, y, out, static_cast<double>(l.scale));
}

void mdctBackward(const TMdctLookup& l, const double* in, double* out) {
    if (!usable(l))
        return;
    if (!hasFastTables(l)) {
        directBackward(l.n, in, out);
        return;
    }
    double y[kMdctMaxSize / 2];
    const int32_t half = l.n / 2;
    preRotateBackward(l, in, y);
    butterflies(l, y);
    bitReverseSplit(l, y, out);
    postRotate(l, out, out + half, 1.0);
    unfold(l.n, out);
}

void mdctWindow(const TMdctLookup& l, const double* in, double* out) {
    if (!validSize(l.n) || l.window.size() != static_cast<std::size_t>(l.n / 2))
        return;
    const int32_t half = l.n / 2;
    const double* w = l.window.data();
    for (int32_t i = 0; i < half; ++i) {
        out[i] = in[i] * w[i];
        out[half + i] = in[half + i] * w[half - 1 - i];
    }
}

}  // namespace vexmold
