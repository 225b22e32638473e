#include "tools/nullmeter/fractional_delay.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"

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
    // The taps reversed (the outputs are correlations with them) and zero
    // padded, transformed once, with the inverse transform's 1 / n folded in.
    const std::size_t n = std::size_t{1} << kLog2Block;
    if (!vexmold::ensureFftTables())
        return;  // the direct sum serves alone
    spectrum_.assign(2 * n, 0.0);
    for (std::size_t t = 0; t < taps_.size(); ++t)
        spectrum_[2 * t] = taps_[taps_.size() - 1 - t] / static_cast<double>(n);
    vexmold::fftDispatch(kLog2Block, spectrum_.data(), vexmold::kFftForward);
    block_.assign(2 * n, 0.0);
}

// Outputs from `first` (an index into the history) on, `count` of them, by
// the direct sum: for the stretches too short for a transform.
void FractionalDelay::direct(std::size_t first, std::size_t count, double* out) const {
    const auto width = static_cast<std::size_t>(channels_);
    // Tap by tap over a stretch small enough to stay in the first cache
    // level: the inner loop runs along contiguous memory and vectorises
    // without reordering any sum.
    constexpr std::size_t kStretch = 1024;
    const std::size_t begin = first * width, end = (first + count) * width;
    for (std::size_t from = begin; from < end; from += kStretch) {
        const std::size_t n = std::min(kStretch, end - from);
        for (std::size_t t = 0; t < taps_.size(); ++t) {
            const double c = taps_[t];
            const double* in = history_.data() + t * width + from;
            double* o = out + from;
            for (std::size_t i = 0; i < n; ++i)
                o[i] += c * in[i];
        }
    }
}

// kBlockOutputs outputs from `first` on by overlap-save: two channels share
// one complex transform (the taps are real, so real and imaginary parts stay
// apart), multiplied by the taps' transform in the FFT's own order.
void FractionalDelay::transformed(std::size_t first, double* out) {
    const auto width = static_cast<std::size_t>(channels_);
    const std::size_t n = std::size_t{1} << kLog2Block;
    const std::size_t lead = taps_.size() - 1;
    for (std::size_t c = 0; c < width; c += 2) {
        const bool pair = c + 1 < width;
        for (std::size_t j = 0; j < n; ++j) {
            const double* frame = history_.data() + (first + j) * width;
            block_[2 * j] = frame[c];
            block_[2 * j + 1] = pair ? frame[c + 1] : 0.0;
        }
        vexmold::fftDispatch(kLog2Block, block_.data(), vexmold::kFftForward);
        for (std::size_t j = 0; j < 2 * n; j += 2) {
            const double re = block_[j], im = block_[j + 1];
            block_[j] = re * spectrum_[j] - im * spectrum_[j + 1];
            block_[j + 1] = re * spectrum_[j + 1] + im * spectrum_[j];
        }
        vexmold::fftDispatch(kLog2Block, block_.data(), vexmold::kFftInverse);
        for (std::size_t k = 0; k < kBlockOutputs; ++k) {
            double* frame = out + (first + k) * width;
            frame[c] = block_[2 * (k + lead)];
            if (pair)
                frame[c + 1] = block_[2 * (k + lead) + 1];
        }
    }
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
    std::size_t done = 0;
    if (!spectrum_.empty())
        for (; have - done >= (std::size_t{1} << kLog2Block); done += kBlockOutputs)
            transformed(done, out);
    direct(done, outputs - done, out);
    history_.erase(history_.begin(),
                   history_.begin() + static_cast<std::ptrdiff_t>(outputs * width));
}

}  // namespace nullmeter
