#include "tools/nullmeter/fractional_delay.h"

#include <cmath>
#include <cstddef>

namespace nullmeter {
namespace {

// Kaiser's beta for about 100 dB of stopband rejection.
constexpr double kBeta = 10.0;
constexpr double kPi = 3.14159265358979323846;

double besselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

}  // namespace

FractionalDelay::FractionalDelay(int channels, double fraction) : channels_(channels) {
    const int taps = 2 * kHalfTaps;
    taps_.resize(static_cast<std::size_t>(taps));
    double sum = 0;
    for (int t = 0; t < taps; ++t) {
        // Distance from the wanted position to input frame k + t - (H - 1).
        const double x = static_cast<double>(t - (kHalfTaps - 1)) - fraction;
        const double sinc = x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
        const double u = x / kHalfTaps;
        const double window =
            u * u < 1 ? besselI0(kBeta * std::sqrt(1 - u * u)) / besselI0(kBeta) : 0;
        taps_[static_cast<std::size_t>(t)] = sinc * window;
        sum += sinc * window;
    }
    // Unity gain at DC, so a constant passes unchanged.
    for (double& tap : taps_)
        tap /= sum;
}

void FractionalDelay::process(const double* input, std::int64_t frames,
                              std::vector<double>& output) {
    const auto width = static_cast<std::size_t>(channels_);
    const std::size_t taps = taps_.size();
    history_.insert(history_.end(), input, input + static_cast<std::size_t>(frames) * width);
    const std::size_t have = history_.size() / width;
    if (have < taps)
        return;
    const std::size_t outputs = have - taps + 1;
    const std::size_t base = output.size();
    output.resize(base + outputs * width, 0.0);
    double* out = output.data() + base;
    // Tap by tap over the whole block: the inner loop runs along contiguous
    // memory, which the compiler vectorises without reordering any sum.
    for (std::size_t t = 0; t < taps; ++t) {
        const double c = taps_[t];
        const double* in = history_.data() + t * width;
        for (std::size_t i = 0; i < outputs * width; ++i)
            out[i] += c * in[i];
    }
    history_.erase(history_.begin(),
                   history_.begin() + static_cast<std::ptrdiff_t>(outputs * width));
}

}  // namespace nullmeter
