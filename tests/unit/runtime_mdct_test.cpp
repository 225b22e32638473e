// The MDCT: both directions for every size against the direct formulas in
// long double (with the 4/n factor where each path puts it), the lookup
// fields, the window, the memory entry and its size rules, reconstruction by
// overlap-add, and first use of lookups and tables from several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "runtime/math/fft.h"
#include "runtime/math/mdct.h"
#include "runtime/vexmold.h"
#include "tests/unit/signal_test_util.h"

namespace {

using signaltest::kPiL;
using signaltest::randomSignal;

// K(j, k) = cos(pi / (2n) (2j + 1 + n/2) (2k + 1)), from a table of the
// argument modulo 4n.
class DirectMdct {
  public:
    explicit DirectMdct(int32_t n) : n_(n), cosines_(static_cast<size_t>(4 * n)) {
        for (int32_t t = 0; t < 4 * n; ++t)
            cosines_[static_cast<size_t>(t)] = std::cos(kPiL * t / (2 * n));
    }
    long double kernel(int32_t j, int32_t k) const {
        const int64_t t = (int64_t{2 * j + 1 + n_ / 2} * (2 * k + 1)) % (4 * n_);
        return cosines_[static_cast<size_t>(t)];
    }
    // sum_j in[j] K(j, k) for k < n/2
    std::vector<long double> forward(const std::vector<double>& in) const {
        std::vector<long double> out(static_cast<size_t>(n_ / 2));
        for (int32_t k = 0; k < n_ / 2; ++k)
            for (int32_t j = 0; j < n_; ++j)
                out[static_cast<size_t>(k)] += in[static_cast<size_t>(j)] * kernel(j, k);
        return out;
    }
    // sum_k in[k] K(j, k) for j < n
    std::vector<long double> backward(const std::vector<double>& in) const {
        std::vector<long double> out(static_cast<size_t>(n_));
        for (int32_t j = 0; j < n_; ++j)
            for (int32_t k = 0; k < n_ / 2; ++k)
                out[static_cast<size_t>(j)] += in[static_cast<size_t>(k)] * kernel(j, k);
        return out;
    }

  private:
    int32_t n_;
    std::vector<long double> cosines_;
};

long double windowValue(int32_t n, int32_t i) {
    return std::sin((i + 0.5L) * kPiL / n);
}

// Largest deviation from the reference scaled by factor.
double deviation(const double* actual, const std::vector<long double>& reference,
                 long double factor) {
    double worst = 0.0;
    for (size_t i = 0; i < reference.size(); ++i)
        worst = std::fmax(worst, static_cast<double>(std::fabs(actual[i] - factor * reference[i])));
    return worst;
}

// Rounding over n terms of size 1 (and log2 n stages), times the result's factor.
double tolerance(int32_t n, long double factor) {
    return static_cast<double>(factor) * 1e-15 * std::sqrt(static_cast<double>(n)) * std::log2(n) *
           8;
}

const vexmold::TMdctLookup& lookup(int32_t n) {
    const vexmold::TMdctLookup* l = vexmold::mdctLookupFor(n);
    EXPECT_NE(l, nullptr) << n;
    return *l;
}

TEST(Mdct, BothDirectionsMatchTheDirectFormulasForEverySize) {
    for (int32_t n = 32; n <= 4096; n *= 2) {
        const DirectMdct direct(n);
        const long double quarter = 4.0L / n;
        const std::vector<double> x = randomSignal(static_cast<size_t>(n), n);
        std::vector<double> spectrum(static_cast<size_t>(n / 2));
        vexmold::mdctForward(lookup(n), x.data(), spectrum.data());
        // The 4/n factor: on the forward direction from n = 64 on.
        const long double forwardFactor = n > 32 ? quarter : 1.0L;
        EXPECT_LT(deviation(spectrum.data(), direct.forward(x), forwardFactor),
                  tolerance(n, forwardFactor))
            << "forward " << n;

        const std::vector<double> y = randomSignal(static_cast<size_t>(n / 2), 7 * n);
        std::vector<double> signal(static_cast<size_t>(n));
        vexmold::mdctBackward(lookup(n), y.data(), signal.data());
        const long double backwardFactor = n > 32 ? 1.0L : quarter;
        EXPECT_LT(deviation(signal.data(), direct.backward(y), backwardFactor),
                  tolerance(n, backwardFactor))
            << "backward " << n;
    }
}

TEST(Mdct, LookupFieldsFollowTheirFormulas) {
    const vexmold::TMdctLookup& small = lookup(32);
    EXPECT_EQ(small.n, 32);
    EXPECT_TRUE(small.trig.empty());
    EXPECT_TRUE(small.bitrev.empty());
    EXPECT_EQ(small.window.size(), 16u);
    for (int32_t n = 64; n <= 4096; n *= 2) {
        const vexmold::TMdctLookup& l = lookup(n);
        EXPECT_EQ(l.n, n);
        EXPECT_EQ(1 << l.log2n, n);
        EXPECT_EQ(l.trig.size(), static_cast<size_t>(n + n / 4));
        EXPECT_EQ(l.bitrev.size(), static_cast<size_t>(n / 4));
        EXPECT_EQ(l.work.size(), static_cast<size_t>(n));
        EXPECT_EQ(l.scale, 4.0f / static_cast<float>(n));
        for (int32_t i = 0; i < n / 4; i += 3) {
            const size_t s = static_cast<size_t>(i);
            EXPECT_NEAR(l.trig[2 * s], std::cos(4.0L * i * kPiL / n), 1e-15);
            EXPECT_NEAR(l.trig[2 * s + 1], -std::sin(4.0L * i * kPiL / n), 1e-15);
            EXPECT_NEAR(l.trig[n / 2 + 2 * s], std::cos((2 * i + 1) * kPiL / (2 * n)), 1e-15);
            EXPECT_NEAR(l.trig[n / 2 + 2 * s + 1], std::sin((2 * i + 1) * kPiL / (2 * n)), 1e-15);
        }
        for (int32_t i = 0; i < n / 8; ++i) {
            const size_t s = static_cast<size_t>(n + 2 * i);
            EXPECT_NEAR(l.trig[s], 0.5L * std::cos((4 * i + 2) * kPiL / n), 1e-15);
            EXPECT_NEAR(l.trig[s + 1], -0.5L * std::sin((4 * i + 2) * kPiL / n), 1e-15);
        }
    }
    // n = 64: acc is i reversed in 5 bits, its partner (~acc & 31) - 1.
    const std::vector<int32_t> expected = {30, 0, 14, 16, 22, 8,  6, 24,
                                           26, 4, 10, 20, 18, 12, 2, 28};
    EXPECT_EQ(lookup(64).bitrev, expected);
}

TEST(Mdct, WindowIsTheSineWindowAppliedMirrored) {
    for (int32_t n = 32; n <= 4096; n *= 2) {
        const vexmold::TMdctLookup& l = lookup(n);
        ASSERT_EQ(l.window.size(), static_cast<size_t>(n / 2));
        for (int32_t i = 0; i < n / 2; ++i)
            ASSERT_NEAR(l.window[static_cast<size_t>(i)], windowValue(n, i), 2e-16) << n;
        const std::vector<double> x = randomSignal(static_cast<size_t>(n), 3 * n);
        std::vector<double> out(static_cast<size_t>(n));
        vexmold::mdctWindow(l, x.data(), out.data());
        for (int32_t i = 0; i < n / 2; ++i) {
            const size_t lo = static_cast<size_t>(i), hi = static_cast<size_t>(n / 2 + i);
            ASSERT_EQ(out[lo], x[lo] * l.window[lo]);
            ASSERT_EQ(out[hi], x[hi] * l.window[static_cast<size_t>(n / 2 - 1 - i)]);
        }
    }
}

TEST(Mdct, LookupWithoutFastTablesFallsBackToTheDirectFormulas) {
    vexmold::TMdctLookup bare;
    bare.n = 128;
    for (int32_t i = 0; i < 64; ++i)
        bare.window.push_back(std::sin((i + 0.5) * 3.14159265358979323846 / 128));
    const DirectMdct direct(128);
    const std::vector<double> x = randomSignal(128, 41);
    std::vector<double> spectrum(64), signal(128);
    vexmold::mdctForward(bare, x.data(), spectrum.data());
    EXPECT_LT(deviation(spectrum.data(), direct.forward(x), 1.0L), tolerance(128, 1.0L));
    vexmold::mdctBackward(bare, spectrum.data(), signal.data());
    EXPECT_LT(deviation(signal.data(), direct.backward(spectrum), 4.0L / 128),
              tolerance(128, 1.0L));
}

TEST(Mdct, MalformedLookupsAndSizesDoNothing) {
    vexmold::TMdctLookup odd;
    odd.n = 48;
    odd.window.assign(24, 1.0);
    std::vector<double> in(64, 1.0), out(64, 5.0);
    vexmold::mdctForward(odd, in.data(), out.data());
    vexmold::mdctBackward(odd, in.data(), out.data());
    vexmold::mdctWindow(odd, in.data(), out.data());
    EXPECT_EQ(out, std::vector<double>(64, 5.0));
    for (int32_t n : {-64, 0, 16, 48, 8192})
        EXPECT_EQ(vexmold::mdctLookupFor(n), nullptr) << n;
    vexmold::TMdctLookup built;
    EXPECT_FALSE(vexmold::buildMdctLookup(built, 16));
    EXPECT_TRUE(vexmold::buildMdctLookup(built, 256));
    EXPECT_EQ(built.trig, lookup(256).trig);
}

TEST(Mdct, ReleasedLookupsAreBuiltAgainWithTheSameTables) {
    const vexmold::TMdctLookup before = lookup(512);
    vexmold::releaseMdctLookups();
    vexmold::releaseMdctLookups();  // nothing left to free
    const vexmold::TMdctLookup* again = vexmold::mdctLookupFor(512);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(vexmold::mdctLookupFor(512), again);
    EXPECT_EQ(again->trig, before.trig);
    EXPECT_EQ(again->bitrev, before.bitrev);
    EXPECT_EQ(again->window, before.window);
}

// --- Memory entry ----------------------------------------------------------------

std::vector<double> windowed(const std::vector<double>& x, int32_t n) {
    std::vector<double> w(x.size());
    for (int32_t i = 0; i < n / 2; ++i) {
        w[static_cast<size_t>(i)] =
            static_cast<double>(x[static_cast<size_t>(i)] * windowValue(n, i));
        w[static_cast<size_t>(n - 1 - i)] =
            static_cast<double>(x[static_cast<size_t>(n - 1 - i)] * windowValue(n, i));
    }
    return w;
}

TEST(ScriptMemoryMdct, ForwardWindowsTransformsAndKeepsTheUpperHalf) {
    TVexmold script;
    for (int32_t n : {32, 64, 1024}) {
        const std::vector<double> x = randomSignal(static_cast<size_t>(n), 5 * n);
        double* buffer = script.resolve(-n);  // the end of block -1
        std::copy(x.begin(), x.end(), buffer);
        script.mdct(-n, n, false);
        for (int32_t i = n / 2; i < n; ++i)
            ASSERT_EQ(buffer[i], x[static_cast<size_t>(i)]) << n;
        const long double factor = n > 32 ? 4.0L / n : 1.0L;
        EXPECT_LT(deviation(buffer, DirectMdct(n).forward(windowed(x, n)), factor),
                  tolerance(n, factor))
            << n;
    }
}

TEST(ScriptMemoryMdct, InverseTransformsTheLowerHalfAndWindows) {
    TVexmold script;
    for (int32_t n : {32, 256}) {
        const std::vector<double> y = randomSignal(static_cast<size_t>(n / 2), 9 * n);
        double* buffer = script.resolve(1000);
        std::copy(y.begin(), y.end(), buffer);
        script.mdct(1000, n, true);
        const std::vector<long double> raw = DirectMdct(n).backward(y);
        const long double factor = n > 32 ? 1.0L : 4.0L / n;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t w = i < n / 2 ? i : n - 1 - i;
            ASSERT_NEAR(
                buffer[i],
                static_cast<double>(factor * raw[static_cast<size_t>(i)] * windowValue(n, w)),
                tolerance(n, 1.0L))
                << n << " " << i;
        }
    }
}

TEST(ScriptMemoryMdct, OverlapAddOfWindowedFramesRebuildsTheSignal) {
    // Backward after forward is (n/4) times a projection (x - reflected x) / 2
    // per half; with the 4/n of the pair and a window whose squares of the two
    // overlapping halves add up to 1, the overlap-add gives the signal back.
    for (int32_t n : {32, 64, 4096}) {
        TVexmold script;
        const int32_t h = n / 2;
        const std::vector<double> s = randomSignal(static_cast<size_t>(3 * h), 13 * n);
        double* first = script.resolve(0);
        double* second = script.resolve(2 * n);
        std::copy(s.begin(), s.begin() + n, first);
        std::copy(s.begin() + h, s.end(), second);
        for (int32_t index : {0, 2 * n}) {
            script.mdct(index, n, false);
            script.mdct(index, n, true);
        }
        for (int32_t i = 0; i < h; ++i)
            ASSERT_NEAR(first[h + i] + second[i], s[static_cast<size_t>(h + i)], 1e-13)
                << n << " " << i;
    }
}

TEST(ScriptMemoryMdct, SizeRulesAndRefusalAtTheBlockEnd) {
    TVexmold script;
    double* buffer = script.resolve(0);
    const std::vector<double> x = randomSignal(8192, 21);
    std::copy(x.begin(), x.end(), buffer);
    for (int32_t size : {-100, 0, 1, 16, 31, 8192, INT32_MAX}) {
        script.mdct(0, size, false);
        script.mdct(0, size, true);
        ASSERT_EQ(std::vector<double>(buffer, buffer + 8192), x) << size;
    }
    // 100 works on 64 values.
    script.mdct(0, 100, false);
    std::vector<double> expected = x;
    std::vector<double> scratch(64);
    vexmold::mdctWindow(lookup(64), x.data(), scratch.data());
    vexmold::mdctForward(lookup(64), scratch.data(), expected.data());
    EXPECT_EQ(std::vector<double>(buffer, buffer + 8192), expected);
    // 64 doubles fit from offset 65472, not from 65473.
    double* edge = script.resolve(65472);
    std::copy(x.begin(), x.begin() + 64, edge);
    script.mdct(65473, 64, false);
    script.mdct(65473, 64, true);
    EXPECT_EQ(std::vector<double>(edge, edge + 64), std::vector<double>(x.begin(), x.begin() + 64));
    EXPECT_EQ(script.memoryBlocks.size(), 1u);
    script.mdct(65472, 64, false);
    EXPECT_EQ(std::vector<double>(edge, edge + 32),
              std::vector<double>(expected.begin(), expected.begin() + 32));
}

// --- Threads ---------------------------------------------------------------------

constexpr int kThreads = 4;

// Several threads construct script objects and run transforms of one size
// at the same moment; answers whether every thread got the same, right bits.
bool transformsOnSeveralThreads(int32_t n) {
    const std::vector<double> x = randomSignal(static_cast<size_t>(n), 77);
    std::vector<std::vector<double>> spectra(kThreads), ffts(kThreads);
    std::atomic<int> arrived{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            arrived.fetch_add(1);
            while (arrived.load() < kThreads)
                std::this_thread::yield();
            auto script = std::make_unique<TVexmold>();
            double* buffer = script->resolve(0);
            std::copy(x.begin(), x.end(), buffer);
            script->mdct(0, n, false);
            spectra[static_cast<size_t>(t)].assign(buffer, buffer + n / 2);
            std::copy(x.begin(), x.end(), buffer);
            script->fft(0, n / 2, vexmold::kFftForward);
            script->fft(0, n / 2, vexmold::kFftToNaturalOrder);
            ffts[static_cast<size_t>(t)].assign(buffer, buffer + n);
        });
    }
    for (std::thread& th : threads)
        th.join();
    bool same = true;
    for (int t = 1; t < kThreads; ++t)
        same = same && spectra[static_cast<size_t>(t)] == spectra[0] &&
               ffts[static_cast<size_t>(t)] == ffts[0];
    const double error =
        deviation(spectra[0].data(), DirectMdct(n).forward(windowed(x, n)), 4.0L / n);
    // The DC bin of the FFT is the plain sum of the values.
    long double re = 0.0L;
    for (int32_t i = 0; i < n; i += 2)
        re += x[static_cast<size_t>(i)];
    return same && error < tolerance(n, 4.0L / n) &&
           std::fabs(ffts[0][0] - static_cast<double>(re)) < 1e-10;
}

// A process of its own, so that the FFT tables and the lookup of this size
// are built by these threads and nothing before them.
TEST(TransformThreads, FirstInstancesAndFirstMdctsOfOneSizeRaceSafely) {
#if GTEST_HAS_DEATH_TEST
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(transformsOnSeveralThreads(2048) ? 0 : 1), ::testing::ExitedWithCode(0),
                "");
#else
    EXPECT_TRUE(transformsOnSeveralThreads(2048));
#endif
}

TEST(TransformThreads, ConcurrentTransformsAgree) {
    EXPECT_TRUE(transformsOnSeveralThreads(512));
}

}  // namespace
