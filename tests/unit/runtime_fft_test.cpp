// The complex FFT: values against a direct DFT in long double, the transform
// order and its tables, the reorderings, the unscaled inverse, and bit
// identity with a plain scalar reading of the split-radix recursion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"
#include "tests/unit/signal_test_util.h"

namespace {

using signaltest::kPiL;
using signaltest::randomSignal;
using Exact = std::complex<long double>;

// f(p, n) straight from its definition.
int32_t orderIndex(int32_t p, int32_t n) {
    if (n < 3)
        return p;
    if (p < n / 2)
        return 2 * orderIndex(p, n / 2);
    if (p < 3 * n / 4)
        return 4 * orderIndex(p - n / 2, n / 4) + 1;
    return (4 * orderIndex(p - 3 * n / 4, n / 4) - 1) & (n - 1);
}

// The frequency index held at position p after a forward transform.
int32_t binAt(int32_t p, int32_t n) {
    return (n - orderIndex(p, n)) % n;
}

// Direct DFT of interleaved x at bin k, sign -1 (forward) or +1.
class DirectDft {
  public:
    explicit DirectDft(int32_t n) : n_(n), table_(static_cast<size_t>(n)) {
        for (int32_t t = 0; t < n; ++t)
            table_[static_cast<size_t>(t)] = std::polar(1.0L, 2.0L * kPiL * t / n);
    }
    Exact bin(const std::vector<double>& x, int32_t k, int sign) const {
        Exact sum = 0.0L;
        for (int32_t j = 0; j < n_; ++j) {
            const Exact w = table_[static_cast<size_t>((int64_t{j} * k) % n_)];
            const Exact v(x[static_cast<size_t>(2 * j)], x[static_cast<size_t>(2 * j + 1)]);
            sum += v * (sign < 0 ? std::conj(w) : w);
        }
        return sum;
    }

  private:
    int32_t n_;
    std::vector<Exact> table_;
};

// Bins to check: all of them for small sizes, a spread sample for large ones.
std::vector<int32_t> sampleBins(int32_t n) {
    std::vector<int32_t> bins;
    if (n <= 1024) {
        for (int32_t k = 0; k < n; ++k)
            bins.push_back(k);
        return bins;
    }
    for (int32_t k : {0, 1, 2, 3, n / 8, n / 8 + 1, n / 4, n / 2 - 1, n / 2, n - 1})
        bins.push_back(k);
    for (int32_t i = 0; i < 24; ++i)
        bins.push_back(static_cast<int32_t>((int64_t{i} * 7919 + 13) % n));
    return bins;
}

// Rounding of a transform of values in [-1, 1): a few ulps per stage.
double tolerance(int32_t n) {
    return 2e-16 * std::sqrt(static_cast<double>(n)) * std::log2(n) * 4;
}

double distance(const std::vector<double>& a, int32_t position, Exact expected) {
    return static_cast<double>(std::abs(
        Exact(a[static_cast<size_t>(2 * position)], a[static_cast<size_t>(2 * position + 1)]) -
        expected));
}

void dispatch(int log2n, std::vector<double>& a, uint32_t mode) {
    vexmold::fftDispatch(log2n, a.data(), mode);
}

// --- Values --------------------------------------------------------------------

TEST(Fft, ForwardMatchesDirectDftInTransformAndNaturalOrder) {
    for (int b = 1; b <= 15; ++b) {
        const int32_t n = 1 << b;
        const std::vector<double> x = randomSignal(2 * static_cast<size_t>(n), b);
        std::vector<double> a = x;
        dispatch(b, a, vexmold::kFftForward);
        std::vector<double> natural = a;
        dispatch(b, natural, vexmold::kFftToNaturalOrder);
        const DirectDft dft(n);
        for (int32_t p : sampleBins(n)) {
            EXPECT_LT(distance(a, p, dft.bin(x, binAt(p, n), -1)), tolerance(n))
                << "n " << n << " position " << p;
            if (b >= 2) {
                EXPECT_LT(distance(natural, p, dft.bin(x, p, -1)), tolerance(n))
                    << "n " << n << " bin " << p;
            }
        }
    }
}

TEST(Fft, InverseOfTransformOrderMatchesDirectSum) {
    for (int b = 1; b <= 15; ++b) {
        const int32_t n = 1 << b;
        // y holds Y in transform order; the sum runs over Y in natural order.
        const std::vector<double> y = randomSignal(2 * static_cast<size_t>(n), 100 + b);
        std::vector<double> natural(y.size());
        for (int32_t p = 0; p < n; ++p) {
            natural[static_cast<size_t>(2 * binAt(p, n))] = y[static_cast<size_t>(2 * p)];
            natural[static_cast<size_t>(2 * binAt(p, n) + 1)] = y[static_cast<size_t>(2 * p + 1)];
        }
        std::vector<double> a = y;
        dispatch(b, a, vexmold::kFftInverse);
        const DirectDft dft(n);
        for (int32_t j : sampleBins(n))
            EXPECT_LT(distance(a, j, dft.bin(natural, j, +1)), tolerance(n))
                << "n " << n << " index " << j;
    }
}

TEST(Fft, OrderOfFourAndSixteenPoints) {
    // n = 4: (X0, X2, X3, X1).
    const std::vector<double> x4 = randomSignal(8, 7);
    std::vector<double> a4 = x4;
    dispatch(2, a4, vexmold::kFftForward);
    const DirectDft dft4(4);
    const int32_t bins4[4] = {0, 2, 3, 1};
    for (int32_t p = 0; p < 4; ++p)
        EXPECT_LT(distance(a4, p, dft4.bin(x4, bins4[p], -1)), 1e-15) << p;

    const int32_t f16[16] = {0, 8, 4, 12, 2, 10, 14, 6, 1, 9, 5, 13, 15, 7, 3, 11};
    const int32_t t16[16] = {0, 12, 6, 11, 3, 15, 5, 9, 1, 13, 7, 10, 2, 14, 4, 8};
    const std::vector<double> x16 = randomSignal(32, 8);
    std::vector<double> a16 = x16;
    dispatch(4, a16, vexmold::kFftForward);
    const DirectDft dft16(16);
    const int32_t* table = vexmold::fftTables()->reorderFor(4);
    for (int32_t p = 0; p < 16; ++p) {
        EXPECT_EQ(orderIndex(p, 16), f16[p]);
        EXPECT_EQ(table[p], t16[p]);
        EXPECT_LT(distance(a16, p, dft16.bin(x16, (16 - f16[p]) % 16, -1)), 1e-14) << p;
    }
}

TEST(Fft, ImpulseGivesOnesAndConstantGivesNAtZero) {
    for (int b = 1; b <= 15; ++b) {
        const int32_t n = 1 << b;
        std::vector<double> impulse(2 * static_cast<size_t>(n), 0.0);
        impulse[0] = 1.0;
        dispatch(b, impulse, vexmold::kFftForward);
        for (int32_t p = 0; p < n; ++p) {
            ASSERT_EQ(impulse[static_cast<size_t>(2 * p)], 1.0) << n << " " << p;
            ASSERT_EQ(impulse[static_cast<size_t>(2 * p + 1)], 0.0) << n << " " << p;
        }
        std::vector<double> constant(2 * static_cast<size_t>(n), 0.0);
        for (int32_t p = 0; p < n; ++p)
            constant[static_cast<size_t>(2 * p)] = 1.0;
        dispatch(b, constant, vexmold::kFftForward);
        ASSERT_EQ(constant[0], static_cast<double>(n));
        for (size_t i = 1; i < constant.size(); ++i)
            ASSERT_EQ(constant[i], 0.0) << n << " " << i;
    }
}

TEST(Fft, InverseOfForwardIsNTimesInputAlsoThroughBothReorderings) {
    for (int b = 1; b <= 15; ++b) {
        const int32_t n = 1 << b;
        const std::vector<double> x = randomSignal(2 * static_cast<size_t>(n), 200 + b);
        std::vector<double> direct = x;
        dispatch(b, direct, vexmold::kFftForward);
        dispatch(b, direct, vexmold::kFftInverse);
        std::vector<double> viaNatural = x;
        dispatch(b, viaNatural, vexmold::kFftForward);
        if (b >= 2) {
            dispatch(b, viaNatural, vexmold::kFftToNaturalOrder);
            dispatch(b, viaNatural, vexmold::kFftToTransformOrder);
        }
        dispatch(b, viaNatural, vexmold::kFftInverse);
        const double tol = tolerance(n) * std::sqrt(static_cast<double>(n));
        for (size_t i = 0; i < x.size(); ++i) {
            ASSERT_NEAR(direct[i], n * x[i], tol) << n << " " << i;
            ASSERT_EQ(viaNatural[i], direct[i]) << n << " " << i;
        }
    }
}

// --- Tables and reordering -----------------------------------------------------

TEST(Fft, ReorderTablesAndCycleLeadersFollowTheTransformOrder) {
    const vexmold::TFftTables& tables = *vexmold::fftTables();
    for (int b = 1; b <= 15; ++b) {
        const int32_t n = 1 << b;
        const int32_t* t = tables.reorderFor(b);
        for (int32_t p = 0; p < n; ++p)
            ASSERT_EQ(t[binAt(p, n)], p) << n;
        if (b < 2)
            continue;
        // Leaders: the smallest index of every cycle longer than one.
        std::vector<int32_t> expected;
        std::vector<bool> seen(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) {
            if (seen[static_cast<size_t>(i)])
                continue;
            int32_t length = 0;
            for (int32_t j = i; !seen[static_cast<size_t>(j)]; j = t[j], ++length)
                seen[static_cast<size_t>(j)] = true;
            if (length > 1)
                expected.push_back(i);
        }
        const std::vector<int32_t> leaders(tables.leaders.begin() + tables.leaderBegin[b],
                                           tables.leaders.begin() + tables.leaderBegin[b + 1]);
        ASSERT_EQ(leaders, expected) << n;
    }
    const int32_t* first = tables.leaders.data() + tables.leaderBegin[15];
    const std::vector<int32_t> firstTwelve(first, first + 12);
    EXPECT_EQ(firstTwelve, (std::vector<int32_t>{1, 3, 4, 7, 13, 18, 31, 64, 113, 145, 203, 246}));
    EXPECT_EQ(tables.reorder.size(), 65534u);
}

TEST(Fft, ReorderMovesWholeValuesAndIsUndoneByTheOtherMode) {
    for (int b = 2; b <= 15; ++b) {
        const int32_t n = 1 << b;
        // Value p carries its own position in both halves.
        std::vector<double> a(2 * static_cast<size_t>(n));
        for (int32_t p = 0; p < n; ++p) {
            a[static_cast<size_t>(2 * p)] = p;
            a[static_cast<size_t>(2 * p + 1)] = -p - 0.5;
        }
        const std::vector<double> original = a;
        dispatch(b, a, vexmold::kFftToNaturalOrder);
        for (int32_t k = 0; k < n; k += (n > 4096 ? 7 : 1)) {
            const int32_t from = vexmold::fftTables()->reorderFor(b)[k];
            ASSERT_EQ(a[static_cast<size_t>(2 * k)], from) << n << " " << k;
            ASSERT_EQ(a[static_cast<size_t>(2 * k + 1)], -from - 0.5) << n << " " << k;
        }
        dispatch(b, a, vexmold::kFftToTransformOrder);
        ASSERT_EQ(a, original) << n;
        dispatch(b, a, vexmold::kFftToTransformOrder);
        dispatch(b, a, vexmold::kFftToNaturalOrder);
        ASSERT_EQ(a, original) << n;
    }
}

TEST(Fft, OutOfRangeSizesAndModesDoNothing) {
    const std::vector<double> x = randomSignal(2 * 65536, 5);
    for (int32_t log2n : {-1, 0, 16, 31}) {
        for (uint32_t mode : {0u, 1u, 4u, 5u}) {
            std::vector<double> a = x;
            dispatch(log2n, a, mode);
            EXPECT_EQ(a, x) << log2n << " " << mode;
        }
    }
    for (uint32_t mode : {2u, 3u, 6u, 0xFFFFFFFFu}) {
        std::vector<double> a = x;
        dispatch(10, a, mode);
        EXPECT_EQ(a, x) << mode;
    }
    // Reordering starts at n = 4; T_2 is the identity anyway.
    std::vector<double> two = {1, 2, 3, 4};
    dispatch(1, two, vexmold::kFftToNaturalOrder);
    EXPECT_EQ(two, (std::vector<double>{1, 2, 3, 4}));
}

// --- Bit identity with the plain scalar algorithm --------------------------------
// The recursion written the simple way: one k at a time, twiddles read from
// D_n with the halving rule from n = 1024 on; the fixed kernels of n <= 16
// use the correctly rounded constants.

struct Cplx {
    double re, im;
};
Cplx operator+(Cplx a, Cplx b) {
    return {a.re + b.re, a.im + b.im};
}
Cplx operator-(Cplx a, Cplx b) {
    return {a.re - b.re, a.im - b.im};
}
Cplx times(Cplx a, Cplx b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + b.re * a.im};
}
Cplx timesI(Cplx a) {
    return {-a.im, a.re};
}
Cplx conj(Cplx a) {
    return {a.re, -a.im};
}

Cplx twiddle(int32_t n, int32_t k) {
    const double h = 0.70710678118654752440, c = 0.92387953251128675613, s = 0.38268343236508977173;
    if (n == 8)
        return {h, h};
    if (n == 16)
        return k == 1 ? Cplx{c, s} : k == 2 ? Cplx{h, h} : Cplx{s, c};
    const int b = static_cast<int>(std::log2(n));
    const double* d = vexmold::fftTables()->twiddlesFor(b);
    auto entry = [d](int32_t i) { return Cplx{d[2 * i - 2], d[2 * i - 1]}; };
    if (n <= 512 || k < n / 8)
        return entry(k);
    if (k == n / 8)
        return {h, h};
    const Cplx e = entry(n / 4 - k);
    return {e.im, e.re};
}

void plainForward(Cplx* a, int32_t n) {
    if (n == 1)
        return;
    if (n == 2) {
        const Cplx x = a[0], y = a[1];
        a[0] = x + y;
        a[1] = x - y;
        return;
    }
    const int32_t m = n / 4;
    for (int32_t k = 0; k < m; ++k) {
        const Cplx A = a[k], B = a[k + m], C = a[k + 2 * m], D = a[k + 3 * m];
        const Cplx t = A - C, u = B - D;
        a[k] = A + C;
        a[k + m] = B + D;
        a[k + 2 * m] = t + timesI(u);
        a[k + 3 * m] = t - timesI(u);
        if (k > 0) {
            const Cplx w = twiddle(n, k);
            a[k + 2 * m] = times(a[k + 2 * m], w);
            a[k + 3 * m] = times(a[k + 3 * m], conj(w));
        }
    }
    plainForward(a, n / 2);
    plainForward(a + 2 * m, n / 4);
    plainForward(a + 3 * m, n / 4);
}

void plainInverse(Cplx* a, int32_t n) {
    if (n == 1)
        return;
    if (n == 2) {
        plainForward(a, 2);
        return;
    }
    const int32_t m = n / 4;
    plainInverse(a, n / 2);
    plainInverse(a + 2 * m, n / 4);
    plainInverse(a + 3 * m, n / 4);
    for (int32_t k = 0; k < m; ++k) {
        Cplx C = a[k + 2 * m], D = a[k + 3 * m];
        if (k > 0) {
            const Cplx w = twiddle(n, k);
            C = times(C, conj(w));
            D = times(D, w);
        }
        const Cplx A = a[k], B = a[k + m];
        a[k] = A + (C + D);
        a[k + 2 * m] = A - (C + D);
        a[k + m] = B - timesI(C - D);
        a[k + 3 * m] = B + timesI(C - D);
    }
}

// On a processor with AVX both the 256-bit and the 128-bit paths are run.
TEST(Fft, BitIdenticalToPlainScalarRecursion) {
    for (const bool wide : {true, false}) {
        vexmold::fftAllowWideVectors(wide);
        const char* path = vexmold::fftWideVectors() ? "256-bit" : "128-bit";
        for (int b = 1; b <= 15; ++b) {
            const int32_t n = 1 << b;
            const std::vector<double> x = randomSignal(2 * static_cast<size_t>(n), 300 + b);
            std::vector<double> fast = x;
            std::vector<Cplx> plain(static_cast<size_t>(n));
            std::memcpy(plain.data(), x.data(), x.size() * sizeof(double));
            dispatch(b, fast, vexmold::kFftForward);
            plainForward(plain.data(), n);
            EXPECT_EQ(std::memcmp(fast.data(), plain.data(), x.size() * sizeof(double)), 0)
                << path << " forward " << n;
            dispatch(b, fast, vexmold::kFftInverse);
            plainInverse(plain.data(), n);
            EXPECT_EQ(std::memcmp(fast.data(), plain.data(), x.size() * sizeof(double)), 0)
                << path << " inverse " << n;
        }
    }
    vexmold::fftAllowWideVectors(true);
}

// What a plug-in module does as it is unloaded and loaded again.
TEST(Fft, ReleasedTablesAreBuiltAgainOnTheNextUseWithTheSameValues) {
    const std::vector<double> x = randomSignal(2 * 1024, 3);
    std::vector<double> before = x;
    dispatch(10, before, vexmold::kFftForward);
    vexmold::releaseFftTables();
    vexmold::releaseFftTables();  // nothing left to free
    std::vector<double> after = x;
    dispatch(10, after, vexmold::kFftForward);
    EXPECT_EQ(after, before);

    const vexmold::TFftTables fresh = vexmold::buildFftTables();
    const vexmold::TFftTables* rebuilt = vexmold::fftTables();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(vexmold::fftTables(), rebuilt);
    EXPECT_EQ(rebuilt->twiddles, fresh.twiddles);
    EXPECT_EQ(rebuilt->reorder, fresh.reorder);
    EXPECT_EQ(rebuilt->leaders, fresh.leaders);
    EXPECT_EQ(rebuilt->cycleWalks, fresh.cycleWalks);
    EXPECT_EQ(rebuilt->cycleLengths, fresh.cycleLengths);
}

TEST(Fft, TwiddleTablesHoldCosineAndSineOfTheirSize) {
    const vexmold::TFftTables& tables = *vexmold::fftTables();
    for (int b = 5; b <= 15; ++b) {
        const int32_t n = 1 << b;
        const int32_t stored = (b < 10 ? n / 4 : n / 8) - 1;
        const int32_t next =
            b < 15 ? tables.twiddleOffset[b + 1] : static_cast<int32_t>(tables.twiddles.size());
        EXPECT_EQ(next - tables.twiddleOffset[b], 2 * stored) << n;
        const double* d = tables.twiddlesFor(b);
        for (int32_t k = 1; k <= stored; ++k) {
            ASSERT_NEAR(d[2 * k - 2], std::cos(2.0L * kPiL * k / n), 2e-16) << n << " " << k;
            ASSERT_NEAR(d[2 * k - 1], std::sin(2.0L * kPiL * k / n), 2e-16) << n << " " << k;
        }
    }
}

}  // namespace
