// The fractional delay's two paths (overlap-save transforms for long
// inputs, direct sums for the rest) give the same outputs, and those are
// the input read a fraction of a sample later.
#include "tools/nullmeter/fractional_delay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/noise_signal.h"
#include "tools/common/analytic_signal.h"

namespace {

using nullmeter::FractionalDelay;

TEST(NullmeterFractionalDelay, TransformsAndDirectSumsAgreeWhateverTheBlocks) {
    const int channels = 3;  // one channel pair and one channel alone
    const std::vector<double> input =
        plux::testing_support::whiteNoise(3 * 40000, 5, 0.5);  // interleaved
    FractionalDelay whole(channels, 0.3), pieces(channels, 0.3);
    std::vector<double> a, b;
    whole.process(input.data(), 40000, a);
    for (std::size_t at = 0; at < 40000;) {
        const std::size_t n = std::min<std::size_t>(40000 - at, 1 + at % 997);
        pieces.process(input.data() + 3 * at, static_cast<std::int64_t>(n), b);
        at += n;
    }
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(a.size(), static_cast<std::size_t>(3 * (40000 - 2 * FractionalDelay::kHalfTaps + 1)));
    double worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    EXPECT_LT(worst, 1e-13);
}

TEST(NullmeterFractionalDelay, ReadsBandLimitedMaterialBetweenItsSamples) {
    const plux::audio::AnalyticSignal signal(3, 32, 48000);
    const std::vector<double> x = signal.render(30000);
    for (const double fraction : {0.0, 0.25, 0.5, 0.9}) {
        FractionalDelay delay(1, fraction);
        std::vector<double> y;
        delay.process(x.data(), static_cast<std::int64_t>(x.size()), y);
        double worst = 0;
        // Output k is the input at k + fraction, counted from frame lead().
        for (std::size_t k = 0; k < y.size(); ++k)
            worst =
                std::max(worst, std::fabs(y[k] - signal.at(static_cast<double>(k) +
                                                           FractionalDelay::lead() + fraction)));
        EXPECT_LT(20 * std::log10(worst), -100.0) << fraction;
    }
}

}  // namespace
