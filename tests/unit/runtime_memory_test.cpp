// Script memory: the block split of an index, block length, clearing by the
// reset step, the complex multiply entry and its array routines, and the
// refusal of buffers that would run past the end of their block.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/math/complexmultiply.h"
#include "runtime/math/fft.h"
#include "runtime/vexmold.h"
#include "tests/unit/signal_test_util.h"

namespace {

constexpr int32_t kBlock = 65536;

TEST(ScriptMemory, MinusOneIsTheLastEntryOfBlockMinusOne) {
    TVexmold script;
    double* p = script.resolve(-1);
    ASSERT_EQ(script.memoryBlocks.size(), 1u);
    ASSERT_EQ(script.memoryBlocks.count(-1), 1u);
    EXPECT_EQ(p, script.memoryBlocks[-1].data() + 65535);
    const double* first = script.resolve(-65536);
    EXPECT_EQ(first, script.memoryBlocks[-1].data());
    const double* before = script.resolve(-65537);
    EXPECT_EQ(before, script.memoryBlocks[-2].data() + 65535);
}

TEST(ScriptMemory, NeighbouringIndexesAcrossABoundaryLieInDifferentBlocks) {
    TVexmold script;
    double* last = script.resolve(65535);
    double* next = script.resolve(65536);
    ASSERT_EQ(script.memoryBlocks.size(), 2u);
    EXPECT_EQ(last, script.memoryBlocks[0].data() + 65535);
    EXPECT_EQ(next, script.memoryBlocks[1].data());
    EXPECT_NE(last + 1, next);
    *last = 1.5;
    *next = 2.5;
    EXPECT_EQ(*script.resolve(65535), 1.5);
    EXPECT_EQ(*script.resolve(65536), 2.5);
}

TEST(ScriptMemory, ExtremeIndexesResolve) {
    TVexmold script;
    const double* lowest = script.resolve(INT32_MIN);
    const double* highest = script.resolve(INT32_MAX);
    const double* zero = script.resolve(0);
    EXPECT_EQ(lowest, script.memoryBlocks[-32768].data());
    EXPECT_EQ(highest, script.memoryBlocks[32767].data() + 65535);
    EXPECT_EQ(zero, script.memoryBlocks[0].data());
    EXPECT_EQ(script.memoryBlocks.size(), 3u);
}

TEST(ScriptMemory, NewBlocksReadZeroAndResetClearsEverything) {
    TVexmold script;
    for (int32_t i : {0, 17, 65535, -1, 1000000})
        EXPECT_EQ(*script.resolve(i), 0.0) << i;
    *script.resolve(17) = 3.0;
    *script.resolve(-1) = 4.0;
    script.doReset();
    EXPECT_TRUE(script.memoryBlocks.empty());
    EXPECT_EQ(*script.resolve(17), 0.0);
    EXPECT_EQ(*script.resolve(-1), 0.0);
}

TEST(ScriptMemory, ResolveBringsABlockBackToFullLength) {
    TVexmold script;
    script.memoryBlocks[3] = std::vector<double>(10, 7.0);
    script.memoryBlocks[4] = std::vector<double>(70000, 8.0);
    EXPECT_EQ(*script.resolve(3 * kBlock + 9), 7.0);
    EXPECT_EQ(*script.resolve(3 * kBlock + 10), 0.0);
    EXPECT_EQ(script.memoryBlocks[3].size(), 65536u);
    EXPECT_EQ(*script.resolve(4 * kBlock + 65535), 8.0);
    EXPECT_EQ(script.memoryBlocks[4].size(), 65536u);
}

// --- Complex multiply ------------------------------------------------------------

// Small integers keep every product exact.
void fill(double* p, int32_t values, double start) {
    for (int32_t i = 0; i < 2 * values; ++i)
        p[i] = start + i;
}

TEST(ComplexMultiply, EntryClearsTheLowestBitOfTheCount) {
    TVexmold script;
    double* dst = script.resolve(100);
    double* src = script.resolve(300);
    fill(dst, 5, 1.0);  // (1, 2), (3, 4), ...
    fill(src, 5, -3.0);
    const std::vector<double> before(dst, dst + 10);
    script.complexMultiply(100, 300, 5);
    for (int32_t k = 0; k < 4; ++k) {
        const double ar = before[static_cast<size_t>(2 * k)],
                     ai = before[static_cast<size_t>(2 * k + 1)];
        const double br = src[2 * k], bi = src[2 * k + 1];
        EXPECT_EQ(dst[2 * k], ar * br - ai * bi) << k;
        EXPECT_EQ(dst[2 * k + 1], ar * bi + br * ai) << k;
    }
    EXPECT_EQ(dst[8], before[8]);
    EXPECT_EQ(dst[9], before[9]);
    // (1 + 2i)(-3 - 2i) = 1 - 8i
    EXPECT_EQ(dst[0], 1.0);
    EXPECT_EQ(dst[1], -8.0);
}

TEST(ComplexMultiply, SameBufferSquaresEachValue) {
    TVexmold script;
    double* a = script.resolve(0);
    fill(a, 2, 1.0);  // (1, 2), (3, 4)
    script.complexMultiply(0, 0, 2);
    EXPECT_EQ(a[0], -3.0);  // (1 + 2i)^2 = -3 + 4i
    EXPECT_EQ(a[1], 4.0);
    EXPECT_EQ(a[2], -7.0);  // (3 + 4i)^2 = -7 + 24i
    EXPECT_EQ(a[3], 24.0);
}

TEST(ComplexMultiply, SmallAndNegativeCountsDoNothing) {
    TVexmold script;
    double* a = script.resolve(0);
    fill(a, 4, 1.0);
    const std::vector<double> before(a, a + 8);
    for (int32_t count : {1, 0, -1, -2, -5, INT32_MIN}) {
        script.complexMultiply(0, 0, count);
        EXPECT_EQ(std::vector<double>(a, a + 8), before) << count;
    }
}

TEST(ComplexMultiply, BuffersRunningPastTheirBlockAreRefused) {
    TVexmold script;
    // 4 values need 8 doubles: offset 65528 fits exactly, 65529 does not.
    double* edge = script.resolve(kBlock - 8);
    fill(edge, 4, 1.0);
    double* src = script.resolve(1000);
    fill(src, 4, 2.0);
    script.complexMultiply(kBlock - 7, 1000, 4);  // destination too close to the end
    script.complexMultiply(1000, kBlock - 7, 4);  // source too close to the end
    EXPECT_EQ(script.memoryBlocks.size(), 1u);    // block 1 was never created
    for (int32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(edge[i], 1.0 + i);
        EXPECT_EQ(src[i], 2.0 + i);
    }
    script.complexMultiply(kBlock - 8, 1000, 4);
    EXPECT_EQ(edge[0], 1.0 * 2.0 - 2.0 * 3.0);
    EXPECT_EQ(edge[7], 7.0 * 9.0 + 8.0 * 8.0);
    // Negative indexes: -8 is offset 65528 of block -1.
    fill(script.resolve(-8), 4, 1.0);
    script.complexMultiply(-7, -8, 4);
    EXPECT_EQ(*script.resolve(-7), 2.0);
}

TEST(ComplexMultiply, ArrayRoutinesNeedAnEvenCountOfAtLeastTwo) {
    const std::vector<double> a = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::vector<double> b = {-1, 1, 2, -2, 0.5, 3, -4, 0, 1, 1};
    for (int32_t count : {5, 3, 1, 0, -2}) {
        std::vector<double> x = a, out = b;
        vexmold::complexMultiplyInPlace(x.data(), b.data(), count);
        vexmold::complexMultiplyInto(out.data(), a.data(), b.data(), count);
        EXPECT_EQ(x, a) << count;
        EXPECT_EQ(out, b) << count;
        vexmold::complexMultiplyAdd(out.data(), a.data(), b.data(), count);
        EXPECT_EQ(out, b) << count;
    }
}

TEST(ComplexMultiply, ArrayRoutinesComputeProductsAndSums) {
    const std::vector<double> a = signaltest::randomSignal(8, 1);
    const std::vector<double> b = signaltest::randomSignal(8, 2);
    std::vector<double> into(8, 99.0), acc = signaltest::randomSignal(8, 3), inPlace = a;
    const std::vector<double> accBefore = acc;
    vexmold::complexMultiplyInto(into.data(), a.data(), b.data(), 4);
    vexmold::complexMultiplyAdd(acc.data(), a.data(), b.data(), 4);
    vexmold::complexMultiplyInPlace(inPlace.data(), b.data(), 4);
    for (size_t k = 0; k < 8; k += 2) {
        const double re = a[k] * b[k] - a[k + 1] * b[k + 1];
        const double im = a[k] * b[k + 1] + b[k] * a[k + 1];
        EXPECT_EQ(into[k], re);
        EXPECT_EQ(into[k + 1], im);
        EXPECT_EQ(inPlace[k], re);
        EXPECT_EQ(inPlace[k + 1], im);
        EXPECT_EQ(acc[k], accBefore[k] + re);
        EXPECT_EQ(acc[k + 1], accBefore[k + 1] + im);
    }
}

// --- FFT entry -------------------------------------------------------------------

TEST(ScriptMemoryFft, SizeRules) {
    TVexmold script;
    double* buffer = script.resolve(0);
    const std::vector<double> x = signaltest::randomSignal(2 * 32768, 11);
    std::copy(x.begin(), x.end(), buffer);
    for (int32_t size : {-64, 0, 1, 8, 15, 65536, INT32_MAX}) {
        script.fft(0, size, 0);
        ASSERT_EQ(std::vector<double>(buffer, buffer + x.size()), x) << size;
    }
    for (uint32_t mode : {2u, 3u, 6u, 100u}) {
        script.fft(0, 64, mode);
        ASSERT_EQ(std::vector<double>(buffer, buffer + x.size()), x) << mode;
    }
    // 100 transforms 64 values: 128 doubles, nothing after them.
    script.fft(0, 100, 0);
    std::vector<double> expected = x;
    vexmold::fftDispatch(6, expected.data(), 0);
    EXPECT_EQ(std::vector<double>(buffer, buffer + x.size()), expected);
    EXPECT_NE(buffer[127], x[127]);
    // 16 is the smallest size, 32768 the largest.
    std::copy(x.begin(), x.end(), buffer);
    script.fft(0, 16, 0);
    expected = x;
    vexmold::fftDispatch(4, expected.data(), 0);
    EXPECT_EQ(std::vector<double>(buffer, buffer + x.size()), expected);
    std::copy(x.begin(), x.end(), buffer);
    script.fft(0, 65535, 1);
    expected = x;
    vexmold::fftDispatch(15, expected.data(), 1);
    EXPECT_EQ(std::vector<double>(buffer, buffer + x.size()), expected);
}

TEST(ScriptMemoryFft, BufferPastTheBlockEndIsRefused) {
    TVexmold script;
    // 16 values need 32 doubles.
    double* fits = script.resolve(kBlock - 32);
    const std::vector<double> x = signaltest::randomSignal(32, 12);
    std::copy(x.begin(), x.end(), fits);
    for (uint32_t mode : {0u, 1u, 4u, 5u})
        script.fft(kBlock - 31, 16, mode);
    EXPECT_EQ(std::vector<double>(fits, fits + 32), x);
    EXPECT_EQ(script.memoryBlocks.size(), 1u);
    script.fft(1, 32768, 0);  // 65536 doubles only fit from offset 0
    EXPECT_EQ(std::vector<double>(fits, fits + 32), x);
    script.fft(kBlock - 32, 16, 0);
    std::vector<double> expected = x;
    vexmold::fftDispatch(4, expected.data(), 0);
    EXPECT_EQ(std::vector<double>(fits, fits + 32), expected);
}

}  // namespace
