#include "runtime/math/fft.h"

#include "runtime/math/complex_ops.h"
#include "runtime/math/fft_tables.h"

#include <atomic>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VEXMOLD_FFT_WIDE 1
#include <immintrin.h>
#endif

namespace vexmold {

namespace {

using cx::Complex;

constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kCos1_8Pi = 0.92387953251128675613;  // cos(pi/8) = sin(3 pi/8)
constexpr double kSin1_8Pi = 0.38268343236508977173;  // sin(pi/8) = cos(3 pi/8)

// --- Butterflies -----------------------------------------------------------
// a points at complex value k of a transform of 4m values (doubles, so the
// quarters are 2m doubles apart). W^k = c + i s with W = e^(2 pi i / n).

inline void forwardButterfly0(double* a, int m) {
    const Complex A = cx::load(a), B = cx::load(a + 2 * m);
    const Complex C = cx::load(a + 4 * m), D = cx::load(a + 6 * m);
    const Complex t = cx::sub(A, C), iu = cx::timesI(cx::sub(B, D));
    cx::store(a, cx::add(A, C));
    cx::store(a + 2 * m, cx::add(B, D));
    cx::store(a + 4 * m, cx::add(t, iu));
    cx::store(a + 6 * m, cx::sub(t, iu));
}

inline void forwardButterfly(double* a, int m, cx::Twiddle w) {
    const Complex A = cx::load(a), B = cx::load(a + 2 * m);
    const Complex C = cx::load(a + 4 * m), D = cx::load(a + 6 * m);
    const Complex t = cx::sub(A, C), iu = cx::timesI(cx::sub(B, D));
    cx::store(a, cx::add(A, C));
    cx::store(a + 2 * m, cx::add(B, D));
    cx::store(a + 4 * m, cx::mul(cx::add(t, iu), w));
    cx::store(a + 6 * m, cx::mulConj(cx::sub(t, iu), w));
}

inline void forwardButterfly(double* a, int m, double c, double s) {
    forwardButterfly(a, m, cx::twiddle(c, s));
}

inline void inverseCombine(double* a, int m, Complex C, Complex D) {
    const Complex A = cx::load(a), B = cx::load(a + 2 * m);
    const Complex sum = cx::add(C, D), iDiff = cx::timesI(cx::sub(C, D));
    cx::store(a, cx::add(A, sum));
    cx::store(a + 4 * m, cx::sub(A, sum));
    cx::store(a + 2 * m, cx::sub(B, iDiff));
    cx::store(a + 6 * m, cx::add(B, iDiff));
}

inline void inverseButterfly0(double* a, int m) {
    inverseCombine(a, m, cx::load(a + 4 * m), cx::load(a + 6 * m));
}

inline void inverseButterfly(double* a, int m, cx::Twiddle w) {
    inverseCombine(a, m, cx::mulConj(cx::load(a + 4 * m), w), cx::mul(cx::load(a + 6 * m), w));
}

inline void inverseButterfly(double* a, int m, double c, double s) {
    inverseButterfly(a, m, cx::twiddle(c, s));
}

// --- Straight-line kernels for n = 2 ... 16 --------------------------------

inline void transform2(double* a) {
    const Complex x = cx::load(a), y = cx::load(a + 2);
    cx::store(a, cx::add(x, y));
    cx::store(a + 2, cx::sub(x, y));
}

inline void forward4(double* a) {
    forwardButterfly0(a, 1);
    transform2(a);
}

inline void forward8(double* a) {
    forwardButterfly0(a, 2);
    forwardButterfly(a + 2, 2, kSqrtHalf, kSqrtHalf);
    forward4(a);
    transform2(a + 8);
    transform2(a + 12);
}

inline void forward16(double* a) {
    forwardButterfly0(a, 4);
    forwardButterfly(a + 2, 4, kCos1_8Pi, kSin1_8Pi);
    forwardButterfly(a + 4, 4, kSqrtHalf, kSqrtHalf);
    forwardButterfly(a + 6, 4, kSin1_8Pi, kCos1_8Pi);
    forward8(a);
    forward4(a + 16);
    forward4(a + 24);
}

inline void inverse4(double* a) {
    transform2(a);
    inverseButterfly0(a, 1);
}

inline void inverse8(double* a) {
    inverse4(a);
    transform2(a + 8);
    transform2(a + 12);
    inverseButterfly0(a, 2);
    inverseButterfly(a + 2, 2, kSqrtHalf, kSqrtHalf);
}

inline void inverse16(double* a) {
    inverse8(a);
    inverse4(a + 16);
    inverse4(a + 24);
    inverseButterfly0(a, 4);
    inverseButterfly(a + 2, 4, kCos1_8Pi, kSin1_8Pi);
    inverseButterfly(a + 4, 4, kSqrtHalf, kSqrtHalf);
    inverseButterfly(a + 6, 4, kSin1_8Pi, kCos1_8Pi);
}

// --- One pass of n >= 32 ---------------------------------------------------
// Up to n = 512 every k reads its own entry of D_n. From n = 1024 on only
// k < n/8 is stored: W^(n/8) = (sqrt 1/2, sqrt 1/2), and for n/8 < k < n/4,
// W^k = (sin, cos) of entry n/4 - k. k = 0 needs no factor.

template <bool Inverse> inline void butterflyAt(double* a, int m, int k, cx::Twiddle w) {
    if (Inverse)
        inverseButterfly(a + 2 * k, m, w);
    else
        forwardButterfly(a + 2 * k, m, w);
}

// --- Two butterflies at once ----------------------------------------------
// k and k + 1 side by side in AVX's 256-bit registers, on processors that
// have it. Every lane does the multiplies and the one add or subtraction of
// the 128-bit forms above, and AVX alone has no fused multiply-add, so the
// bits are the same.

std::atomic<bool> wideAllowed{true};

#ifdef VEXMOLD_FFT_WIDE
#define VEXMOLD_WIDE __attribute__((target("avx")))

bool processorHasAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

bool wideAvailable() {
    static const bool available = processorHasAvx();
    return available;
}

// The factors of k and k + 1: (c, c) and (-s, s) in each half.
struct WideTwiddle {
    __m256d cc, ss;
};

VEXMOLD_WIDE inline __m256d wideSwapped(__m256d a) {
    return _mm256_permute_pd(a, 0x5);
}
VEXMOLD_WIDE inline __m256d wideNegLow(__m256d a) {
    return _mm256_xor_pd(a, _mm256_set_pd(0.0, -0.0, 0.0, -0.0));
}
VEXMOLD_WIDE inline __m256d wideTimesI(__m256d a) {
    return wideNegLow(wideSwapped(a));
}
// Entries k and k + 1, in that order from cs.
VEXMOLD_WIDE inline WideTwiddle wideTwiddle(const double* cs) {
    const __m256d v = _mm256_loadu_pd(cs);
    return {_mm256_unpacklo_pd(v, v), wideNegLow(_mm256_unpackhi_pd(v, v))};
}
// Entries of k + 1 and k, in that order from cs, as the factors s + i c.
VEXMOLD_WIDE inline WideTwiddle wideSwappedTwiddle(const double* cs) {
    __m256d v = _mm256_loadu_pd(cs);
    v = _mm256_permute2f128_pd(v, v, 0x01);
    return {_mm256_unpackhi_pd(v, v), wideNegLow(_mm256_unpacklo_pd(v, v))};
}
VEXMOLD_WIDE inline __m256d wideMul(__m256d a, WideTwiddle w) {
    return _mm256_add_pd(_mm256_mul_pd(a, w.cc), _mm256_mul_pd(wideSwapped(a), w.ss));
}
VEXMOLD_WIDE inline __m256d wideMulConj(__m256d a, WideTwiddle w) {
    return _mm256_sub_pd(_mm256_mul_pd(a, w.cc), _mm256_mul_pd(wideSwapped(a), w.ss));
}

template <bool Inverse> VEXMOLD_WIDE inline void wideButterfly(double* a, int m, WideTwiddle w) {
    const __m256d A = _mm256_loadu_pd(a), B = _mm256_loadu_pd(a + 2 * m);
    if (Inverse) {
        const __m256d C = wideMulConj(_mm256_loadu_pd(a + 4 * m), w);
        const __m256d D = wideMul(_mm256_loadu_pd(a + 6 * m), w);
        const __m256d sum = _mm256_add_pd(C, D), iDiff = wideTimesI(_mm256_sub_pd(C, D));
        _mm256_storeu_pd(a, _mm256_add_pd(A, sum));
        _mm256_storeu_pd(a + 4 * m, _mm256_sub_pd(A, sum));
        _mm256_storeu_pd(a + 2 * m, _mm256_sub_pd(B, iDiff));
        _mm256_storeu_pd(a + 6 * m, _mm256_add_pd(B, iDiff));
    } else {
        const __m256d C = _mm256_loadu_pd(a + 4 * m), D = _mm256_loadu_pd(a + 6 * m);
        const __m256d t = _mm256_sub_pd(A, C), iu = wideTimesI(_mm256_sub_pd(B, D));
        _mm256_storeu_pd(a, _mm256_add_pd(A, C));
        _mm256_storeu_pd(a + 2 * m, _mm256_add_pd(B, D));
        _mm256_storeu_pd(a + 4 * m, wideMul(_mm256_add_pd(t, iu), w));
        _mm256_storeu_pd(a + 6 * m, wideMulConj(_mm256_sub_pd(t, iu), w));
    }
}

// k = kBegin ... kEnd - 1 in pairs; returns the first k not done (an odd
// one out is left to the 128-bit form).
template <bool Inverse>
VEXMOLD_WIDE int wideRun(double* a, int m, int kBegin, int kEnd, const double* d, bool mirrored) {
    int k = kBegin;
    if (mirrored) {
        for (; k + 1 < kEnd; k += 2)
            wideButterfly<Inverse>(a + 2 * k, m, wideSwappedTwiddle(d + 2 * (m - k) - 4));
    } else {
        for (; k + 1 < kEnd; k += 2)
            wideButterfly<Inverse>(a + 2 * k, m, wideTwiddle(d + 2 * k - 2));
    }
    return k;
}
#else
bool wideAvailable() {
    return false;
}
#endif

bool useWide() {
    return wideAllowed.load(std::memory_order_relaxed) && wideAvailable();
}

// k = kBegin ... kEnd - 1; d + 2k - 2 points at entry k of D_n.
template <bool Inverse>
void butterflyRun(double* a, int m, int kBegin, int kEnd, const double* d, bool mirrored) {
#ifdef VEXMOLD_FFT_WIDE
    if (useWide())
        kBegin = wideRun<Inverse>(a, m, kBegin, kEnd, d, mirrored);
#endif
    if (mirrored) {
        for (int k = kBegin; k < kEnd; ++k)
            butterflyAt<Inverse>(a, m, k, cx::swappedTwiddle(d + 2 * (m - k) - 2));
    } else {
        for (int k = kBegin; k < kEnd; ++k)
            butterflyAt<Inverse>(a, m, k, cx::twiddle(d + 2 * k - 2));
    }
}

template <bool Inverse> void pass(double* a, int log2n, const TFftTables& tables) {
    const int m = 1 << (log2n - 2);
    const int eighth = m / 2;
    const double* d = tables.twiddlesFor(log2n);  // d[2k - 2], d[2k - 1]: entry k
    if (Inverse)
        inverseButterfly0(a, m);
    else
        forwardButterfly0(a, m);
    butterflyAt<Inverse>(a, m, 1, cx::twiddle(d));
    if (log2n < kFftHalvedTwiddleLog2) {
        butterflyRun<Inverse>(a, m, 2, m, d, false);
        return;
    }
    butterflyRun<Inverse>(a, m, 2, eighth, d, false);
    butterflyAt<Inverse>(a, m, eighth, cx::twiddle(kSqrtHalf, kSqrtHalf));
    butterflyAt<Inverse>(a, m, m - 1, cx::swappedTwiddle(d));
    butterflyRun<Inverse>(a, m, eighth + 1, m - 1, d, true);
}

// n = 1 ... 16 by the fixed kernels.
template <bool Inverse> void smallTransform(double* a, int log2n) {
    switch (log2n) {
    case 1:
        transform2(a);
        break;
    case 2:
        Inverse ? inverse4(a) : forward4(a);
        break;
    case 3:
        Inverse ? inverse8(a) : forward8(a);
        break;
    case 4:
        Inverse ? inverse16(a) : forward16(a);
        break;
    default:
        break;
    }
}

// Forward: the pass, then F_(n/2), F_(n/4), F_(n/4). Inverse: the same
// sub-transforms first, then the pass.
template <bool Inverse>
void transform(double* a, int log2n, const TFftTables& tables) {
    if (log2n <= 4) {
        smallTransform<Inverse>(a, log2n);
        return;
    }
    const int n = 1 << log2n;
    if (!Inverse)
        pass<false>(a, log2n, tables);
    transform<Inverse>(a, log2n - 1, tables);
    transform<Inverse>(a + n, log2n - 2, tables);
    transform<Inverse>(a + n + n / 2, log2n - 2, tables);
    if (Inverse)
        pass<true>(a, log2n, tables);
}

// --- Reordering ------------------------------------------------------------
// Each cycle of T_n is walked from its leader with one value held aside. The
// walk's positions come from a table read in order, so the loads and stores
// of one step do not wait for the table lookup of the step before.

// new[k] = old[T[k]]
void toNaturalOrder(double* a, int log2n, const TFftTables& tables) {
    const int32_t* walk = tables.cycleWalks.data() + tables.walkBegin[log2n];
    const int32_t* leader = tables.leaders.data() + tables.leaderBegin[log2n];
    const int32_t* const end = tables.leaders.data() + tables.leaderBegin[log2n + 1];
    const int32_t* length = tables.cycleLengths.data() + tables.leaderBegin[log2n];
    for (; leader != end; ++leader, ++length) {
        double* to = a + 2 * *leader;
        const Complex held = cx::load(to);
        for (const int32_t* const stop = walk + *length; walk != stop; ++walk) {
            double* const from = a + 2 * *walk;
            cx::store(to, cx::load(from));
            to = from;
        }
        cx::store(to, held);
    }
}

// new[T[k]] = old[k]
void toTransformOrder(double* a, int log2n, const TFftTables& tables) {
    const int32_t* walk = tables.cycleWalks.data() + tables.walkBegin[log2n];
    const int32_t* leader = tables.leaders.data() + tables.leaderBegin[log2n];
    const int32_t* const end = tables.leaders.data() + tables.leaderBegin[log2n + 1];
    const int32_t* length = tables.cycleLengths.data() + tables.leaderBegin[log2n];
    for (; leader != end; ++leader, ++length) {
        double* const first = a + 2 * *leader;
        Complex held = cx::load(first);
        for (const int32_t* const stop = walk + *length; walk != stop; ++walk) {
            double* const to = a + 2 * *walk;
            const Complex displaced = cx::load(to);
            cx::store(to, held);
            held = displaced;
        }
        cx::store(first, held);
    }
}

}  // namespace

bool fftWideVectors() {
    return useWide();
}

void fftAllowWideVectors(bool allowed) {
    wideAllowed.store(allowed, std::memory_order_relaxed);
}

void fftDispatch(int32_t log2n, double* buffer, uint32_t mode) {
    if (log2n < kFftMinLog2 || log2n > kFftMaxLog2 || buffer == nullptr)
        return;
    const TFftTables* tables = fftTables();
    if (tables == nullptr)
        return;  // out of memory: the buffer stays as it was
    switch (mode) {
    case kFftForward:
        transform<false>(buffer, log2n, *tables);
        break;
    case kFftInverse:
        transform<true>(buffer, log2n, *tables);
        break;
    case kFftToNaturalOrder:
        if (log2n >= 2)
            toNaturalOrder(buffer, log2n, *tables);
        break;
    case kFftToTransformOrder:
        if (log2n >= 2)
            toTransformOrder(buffer, log2n, *tables);
        break;
    default:
        break;
    }
}

}  // namespace vexmold
