// A band-limited delay by a fixed fraction of a sample: a Kaiser-windowed
// sinc of 2 * kHalfTaps taps, accurate to about -100 dB up to 0.45 of the
// sample rate. Output k is the input read at k + fraction, so the filter
// advances the signal; a caller that wants B at position s + f feeds B from
// frame s - (kHalfTaps - 1) and gets B(s + f), B(s + 1 + f), ...
#pragma once

#include <cstdint>
#include <vector>

namespace nullmeter {

class FractionalDelay {
  public:
    static constexpr int kHalfTaps = 48;

    // `fraction` in [0, 1); interleaved frames of `channels` channels.
    FractionalDelay(int channels, double fraction);

    // Frames of input the first output needs before its own position.
    static constexpr std::int64_t lead() { return kHalfTaps - 1; }

    // Appends the outputs `input` completes to `output` (interleaved): after
    // the first 2 * kHalfTaps - 1 frames, one output per input frame.
    void process(const double* input, std::int64_t frames, std::vector<double>& output);

    const std::vector<double>& taps() const { return taps_; }

  private:
    int channels_;
    std::vector<double> taps_;     // taps_[t] weighs input frame k + t - (kHalfTaps - 1)
    std::vector<double> history_;  // the last 2 * kHalfTaps - 1 input frames, interleaved
};

}  // namespace nullmeter
