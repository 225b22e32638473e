// B read where A's frames fall: output k is B at position start + k * step,
// for a start with any fraction (a band-limited fractional delay) and a step
// that undoes a clock difference (a resampler). A whole start and a step of
// exactly 1 copy B's samples unchanged, so whole-sample alignment stays bit
// for bit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nullmeter {

class DriftResampler;
class FractionalDelay;

class AlignedStream {
  public:
    // `origin`: B's frame index of the first frame that will be pushed.
    AlignedStream(int channels, double start, double step, std::int64_t origin);
    ~AlignedStream();
    AlignedStream(const AlignedStream&) = delete;
    AlignedStream& operator=(const AlignedStream&) = delete;

    bool ok() const;
    std::string error() const;

    // Frames on each side of an output that it depends on: outputs nearer
    // than this to B's first or last frame are not exact.
    std::int64_t support() const;
    bool exact() const { return !delay_ && !resampler_; }

    // B's frames, interleaved, continuing from `origin`; appends the outputs
    // they complete to `output`.
    void push(const double* frames, std::int64_t count, std::vector<double>& output);
    // B has ended: appends the outputs still held (the last ones inexact).
    void finish(std::vector<double>& output);

  private:
    void consume(const double* frames, std::int64_t count, std::vector<double>& output);
    void emit(std::vector<double>& produced, std::vector<double>& output);

    int channels_;
    std::unique_ptr<FractionalDelay> delay_;
    std::unique_ptr<DriftResampler> resampler_;
    std::int64_t skip_ = 0;     // pushed frames to drop before the first one needed
    std::int64_t zeros_ = 0;    // silent frames to put before the first pushed one
    std::int64_t discard_ = 0;  // outputs of the resampler's settling to drop
    std::vector<double> delayed_, resampled_;
};

}  // namespace nullmeter
