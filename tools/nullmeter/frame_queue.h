// A queue of interleaved frames between a file and a measurement that may
// start at another frame of it: the first `skip` frames pushed are dropped,
// so a measurement of B shifted by an offset reads the same stream as the
// unshifted one without a second pass over the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nullmeter {

class FrameQueue {
  public:
    FrameQueue(int channels, std::int64_t skip) : channels_(channels), skip_(skip) {}

    void push(const double* frames, std::int64_t count) {
        const std::int64_t dropped = count < skip_ ? count : skip_;
        skip_ -= dropped;
        frames += dropped * channels_;
        count -= dropped;
        if (count <= 0)
            return;
        // Reclaim the consumed front before growing.
        if (head_ > 0 && head_ * 2 >= data_.size()) {
            data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        data_.insert(data_.end(), frames, frames + count * channels_);
    }
    // The same for a whole block the caller will not read again: when
    // nothing is queued the block is taken by swapping buffers instead of
    // copied, and `frames` gets the queue's old buffer back to refill.
    void take(std::vector<double>& frames, std::int64_t count) {
        if (skip_ == 0 && head_ == data_.size() && count > 0 &&
            frames.size() == static_cast<std::size_t>(count * channels_)) {
            data_.swap(frames);
            head_ = 0;
            return;
        }
        push(frames.data(), count);
    }
    std::int64_t size() const {
        return static_cast<std::int64_t>((data_.size() - head_) / static_cast<std::size_t>(channels_));
    }
    const double* front() const { return data_.data() + head_; }
    void pop(std::int64_t count) { head_ += static_cast<std::size_t>(count * channels_); }

  private:
    int channels_;
    std::int64_t skip_;
    std::vector<double> data_;
    std::size_t head_ = 0;
};

}  // namespace nullmeter
