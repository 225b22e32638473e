// A band-limited delay by a fixed fraction of a sample: a Kaiser-windowed
// sinc of 2 * kHalfTaps taps, accurate to about -100 dB up to 0.45 of the
// sample rate. Output k is the input read at k + fraction, so the filter
// advances the signal; a caller that wants B at position s + f feeds B from
// frame s - (kHalfTaps - 1) and gets B(s + f), B(s + 1 + f), ...
#pragma once

#include <cstddef>
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

    // Long inputs are filtered by overlap-save in transforms of 2^kLog2Block
    // points, each giving kBlockOutputs outputs; the rest by the direct sum.
    static constexpr int kLog2Block = 13;
    static constexpr std::size_t kBlockOutputs = (std::size_t{1} << kLog2Block) - 2 * kHalfTaps + 1;

  private:
    void direct(std::size_t first, std::size_t count, double* out) const;
    void transformed(std::size_t first, double* out);

    int channels_;
    std::vector<double> taps_;      // taps_[t] weighs input frame k + t - (kHalfTaps - 1)
    std::vector<double> history_;   // the input frames not yet used up, interleaved
    std::vector<double> spectrum_;  // the taps' transform (empty: direct sums only)
    std::vector<double> block_;     // one transform's worth
};

}  // namespace nullmeter
