#include "tools/nullmeter/frequency_levels.h"

#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace nullmeter {
namespace {

constexpr int kMinLog2 = 5;
constexpr int kMaxLog2 = vexmold::kFftMaxLog2;
constexpr double kPi = 3.14159265358979323846;

}  // namespace

SpectrumAccumulator::SpectrumAccumulator(int log2Size)
    : log2Size_(std::clamp(log2Size, kMinLog2, kMaxLog2)), size_(1 << log2Size_) {
    const auto n = static_cast<std::size_t>(size_);
    try {
        vexmold::ensureFftTables();
        // The periodic Hann window sums to exactly n / 2, and half-overlapping
        // copies of it add up to a constant.
        window_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            window_[i] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / size_);
        pending_.assign(n, 0.0);
        buffer_.assign(2 * n, 0.0);
        power_.assign(n / 2 + 1, 0.0);
    } catch (const std::bad_alloc&) {
        // Without its buffers the accumulator takes no segments: all bins
        // read the floor.
        window_.clear();
        pending_.clear();
    }
}

void SpectrumAccumulator::add(const double* samples, std::size_t count) {
    if (samples == nullptr || pending_.empty())
        return;
    const std::size_t n = pending_.size();
    for (std::size_t i = 0; i < count;) {
        const std::size_t take = std::min(count - i, n - filled_);
        for (std::size_t j = 0; j < take; ++j) {
            const double v = samples[i + j];
            pending_[filled_ + j] = std::isfinite(v) ? v : 0.0;
        }
        filled_ += take;
        i += take;
        if (filled_ == n)
            finishSegment();
    }
}

void SpectrumAccumulator::finishSegment() {
    const std::size_t n = pending_.size();
    for (std::size_t i = 0; i < n; ++i) {
        buffer_[2 * i] = pending_[i] * window_[i];
        buffer_[2 * i + 1] = 0;
    }
    vexmold::fftDispatch(log2Size_, buffer_.data(), vexmold::kFftForward);
    vexmold::fftDispatch(log2Size_, buffer_.data(), vexmold::kFftToNaturalOrder);
    for (std::size_t k = 0; k < power_.size(); ++k)
        power_[k] += buffer_[2 * k] * buffer_[2 * k] + buffer_[2 * k + 1] * buffer_[2 * k + 1];
    ++segments_;
    // The second half starts the next segment.
    std::copy(pending_.begin() + static_cast<std::ptrdiff_t>(n / 2), pending_.end(),
              pending_.begin());
    filled_ = n / 2;
}

std::vector<double> SpectrumAccumulator::levelsDb(double floorDb) const {
    std::vector<double> levels;
    try {
        levels.assign(power_.size(), floorDb);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (segments_ == 0)
        return levels;
    // A sine of amplitude a at a bin's centre puts a / 2 * sum(w) = a n / 4
    // into that bin and as much into its mirror; the one-sided spectrum counts
    // both. DC and Nyquist have no mirror: a constant a reads a n / 2.
    const double n = size_;
    const double sideReference = (n / 4) * (n / 4);
    const double edgeReference = (n / 2) * (n / 2);
    const std::size_t last = power_.size() - 1;
    for (std::size_t k = 0; k < power_.size(); ++k) {
        const double reference = (k == 0 || k == last) ? edgeReference : sideReference;
        const double mean = power_[k] / static_cast<double>(segments_);
        if (mean > 0)
            levels[k] = std::max(floorDb, 10 * std::log10(mean / reference));
    }
    return levels;
}

}  // namespace nullmeter
