#include "tools/nullmeter/subsample_delay.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>

#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"

namespace nullmeter {
namespace {

constexpr int kLog2Segment = 12;
constexpr std::size_t kSegment = std::size_t{1} << kLog2Segment;
constexpr double kPi = 3.14159265358979323846;

using Complex = std::complex<double>;

void transform(const std::vector<double>& x, std::size_t start, const std::vector<double>& window,
               std::vector<double>& buffer) {
    for (std::size_t j = 0; j < kSegment; ++j) {
        const double v = x[start + j];
        buffer[2 * j] = std::isfinite(v) ? v * window[j] : 0.0;
        buffer[2 * j + 1] = 0;
    }
    vexmold::fftDispatch(kLog2Segment, buffer.data(), vexmold::kFftForward);
    vexmold::fftDispatch(kLog2Segment, buffer.data(), vexmold::kFftToNaturalOrder);
}

double wrap(double phase) {
    return std::remainder(phase, 2 * kPi);
}

}  // namespace

DelayEstimate estimateSubSampleDelay(const std::vector<std::vector<double>>& a,
                                     const std::vector<std::vector<double>>& b, double initial) {
    DelayEstimate result;
    const std::size_t channels = std::min(a.size(), b.size());
    std::size_t length = SIZE_MAX;
    for (std::size_t c = 0; c < channels; ++c)
        length = std::min({length, a[c].size(), b[c].size()});
    if (channels == 0 || length < kSegment)
        return result;

    vexmold::ensureFftTables();
    std::vector<double> window(kSegment);
    for (std::size_t j = 0; j < kSegment; ++j)
        window[j] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(j) / kSegment);
    // Cross-spectrum conj(A) B, summed over channels and half-overlapping
    // segments.
    const std::size_t bins = kSegment / 2;
    std::vector<Complex> cross(bins, Complex());
    std::vector<double> fa(2 * kSegment), fb(2 * kSegment);
    for (std::size_t c = 0; c < channels; ++c) {
        for (std::size_t start = 0; start + kSegment <= length; start += kSegment / 2) {
            transform(a[c], start, window, fa);
            transform(b[c], start, window, fb);
            for (std::size_t k = 1; k < bins; ++k)
                cross[k] += std::conj(Complex(fa[2 * k], fa[2 * k + 1])) *
                            Complex(fb[2 * k], fb[2 * k + 1]);
        }
    }

    // Weighted least squares of the phase, unwrapped about the current
    // estimate; a few rounds settle the unwrapping.
    double tau = initial;
    double weightSum = 0, scatter = 0, curvature = 0;
    for (int round = 0; round < 4; ++round) {
        double num = 0;
        weightSum = scatter = curvature = 0;
        for (std::size_t k = 1; k < bins; ++k) {
            const double w = std::abs(cross[k]);
            if (!(w > 0))
                continue;
            const double omega = 2 * kPi * static_cast<double>(k) / kSegment;
            const double residual = wrap(std::arg(cross[k]) + omega * tau);
            num += w * omega * residual;
            curvature += w * omega * omega;
            weightSum += w;
        }
        if (!(curvature > 0) || !std::isfinite(curvature))
            return result;
        tau -= num / curvature;
    }
    for (std::size_t k = 1; k < bins; ++k) {
        const double w = std::abs(cross[k]);
        const double omega = 2 * kPi * static_cast<double>(k) / kSegment;
        if (w > 0)
            scatter += w * std::pow(wrap(std::arg(cross[k]) + omega * tau), 2);
    }
    result.found = std::isfinite(tau);
    result.delay = tau;
    // The slope's variance for phase errors of the observed weighted scatter,
    // spread over the bins that carry the weight.
    result.variance = scatter / curvature / static_cast<double>(bins);
    return result;
}

}  // namespace nullmeter
