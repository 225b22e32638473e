// Averaged power spectrum of a stream (Welch: Hann window, half-overlapping
// segments), with the signal library's FFT. Memory is one segment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nullmeter {

class SpectrumAccumulator {
  public:
    // Segments of 2^log2Size samples (5 ... 15).
    explicit SpectrumAccumulator(int log2Size = 12);

    // Appends samples of the stream (non-finite ones count as 0).
    void add(const double* samples, std::size_t count);

    int size() const { return size_; }
    std::int64_t segments() const { return segments_; }

    // Bins 0 ... size/2, in dB relative to a full-scale sine's peak bin
    // (a sine of amplitude 1 at a bin's centre reads 0 dB); bins with no
    // energy, or no segments at all, read `floorDb`.
    std::vector<double> levelsDb(double floorDb = -400.0) const;

  private:
    void finishSegment();

    int log2Size_;
    int size_;
    std::vector<double> window_;   // periodic Hann, size_ values
    std::vector<double> pending_;  // the segment being filled, size_ values
    std::size_t filled_ = 0;       // how many of pending_ hold samples
    std::vector<double> buffer_;   // the transform, size_ complex values
    std::vector<double> power_;    // summed |X|^2 per bin
    std::int64_t segments_ = 0;
};

}  // namespace nullmeter
