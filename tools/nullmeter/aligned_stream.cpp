#include "tools/nullmeter/aligned_stream.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "tools/nullmeter/drift_resampler.h"
#include "tools/nullmeter/fractional_delay.h"

namespace nullmeter {

AlignedStream::AlignedStream(int channels, double start, double step, std::int64_t origin)
    : channels_(channels) {
    const bool drift = step != 1.0;
    // With a resampler, start early enough that its settling outputs fall
    // before the first wanted one.
    const std::int64_t settle = drift ? DriftResampler::kSupport : 0;
    const double first = start - static_cast<double>(settle) * step;
    const double whole = std::floor(first);
    const double fraction = first - whole;
    std::int64_t inputStart = static_cast<std::int64_t>(whole);
    if (fraction != 0.0) {
        delay_ = std::make_unique<FractionalDelay>(channels, fraction);
        inputStart -= FractionalDelay::lead();
    }
    if (drift)
        resampler_ = std::make_unique<DriftResampler>(channels, step);
    discard_ = settle;
    if (inputStart >= origin)
        skip_ = inputStart - origin;
    else
        zeros_ = origin - inputStart;
}

AlignedStream::~AlignedStream() = default;

bool AlignedStream::ok() const {
    return !resampler_ || resampler_->ok();
}

std::string AlignedStream::error() const {
    return resampler_ ? resampler_->error() : std::string();
}

std::int64_t AlignedStream::support() const {
    return (delay_ ? FractionalDelay::kHalfTaps : 0) + (resampler_ ? DriftResampler::kSupport : 0);
}

void AlignedStream::emit(std::vector<double>& produced, std::vector<double>& output) {
    const auto width = static_cast<std::size_t>(channels_);
    const auto frames = static_cast<std::int64_t>(produced.size() / width);
    const std::int64_t dropped = std::min(frames, discard_);
    discard_ -= dropped;
    output.insert(output.end(), produced.begin() + static_cast<std::ptrdiff_t>(dropped) * channels_,
                  produced.end());
    produced.clear();
}

void AlignedStream::consume(const double* frames, std::int64_t count, std::vector<double>& output) {
    if (count <= 0)
        return;
    if (!delay_ && !resampler_) {
        output.insert(output.end(), frames, frames + count * channels_);
        return;
    }
    const double* stage = frames;
    std::int64_t stageFrames = count;
    if (delay_) {
        delayed_.clear();
        delay_->process(frames, count, delayed_);
        stage = delayed_.data();
        stageFrames = static_cast<std::int64_t>(delayed_.size()) / channels_;
    }
    if (resampler_) {
        resampler_->process(stage, stageFrames, resampled_);
        emit(resampled_, output);
    } else {
        emit(delayed_, output);
    }
}

void AlignedStream::push(const double* frames, std::int64_t count, std::vector<double>& output) {
    if (zeros_ > 0) {
        const std::vector<double> silence(static_cast<std::size_t>(zeros_ * channels_), 0.0);
        zeros_ = 0;
        consume(silence.data(), static_cast<std::int64_t>(silence.size()) / channels_, output);
    }
    const std::int64_t dropped = std::min(count, skip_);
    skip_ -= dropped;
    consume(frames + dropped * channels_, count - dropped, output);
}

void AlignedStream::finish(std::vector<double>& output) {
    // Silence after B lets the filters bring out their last outputs.
    const std::int64_t tail =
        (delay_ ? 2 * FractionalDelay::kHalfTaps : 0) + (resampler_ ? DriftResampler::kSupport : 0);
    if (tail > 0) {
        const std::vector<double> silence(static_cast<std::size_t>(tail * channels_), 0.0);
        consume(silence.data(), tail, output);
    }
    if (resampler_) {
        resampler_->flush(resampled_);
        emit(resampled_, output);
    }
}

}  // namespace nullmeter
