#include "tools/nullmeter/read_ahead.h"

#include <algorithm>
#include <utility>

namespace nullmeter {

ReadAhead::ReadAhead(plux::audio::Reader& reader, std::int64_t blockFrames,
                     std::vector<int> channels, Stage stage)
    : reader_(reader), blockFrames_(blockFrames), channels_(std::move(channels)),
      stage_(std::move(stage)), thread_([this] { decode(); }) {}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard<Mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ReadAhead::decode() {
    const auto width = static_cast<std::size_t>(reader_.info().channels);
    const std::size_t kept = channels_.size();
    const bool everyChannel = keepsEveryChannel(channels_, reader_.info().channels);
    std::vector<double> decoded, samples, derived;
    for (;;) {
        decoded.resize(static_cast<std::size_t>(blockFrames_) * width);
        std::string error;
        std::int64_t frames = reader_.read(decoded.data(), blockFrames_, error);
        // The selection is made here, off the measuring thread.
        if (everyChannel) {
            std::swap(decoded, samples);
        } else if (frames > 0) {
            samples.resize(static_cast<std::size_t>(frames) * kept);
            for (std::size_t i = 0; i < static_cast<std::size_t>(frames); ++i)
                for (std::size_t c = 0; c < kept; ++c)
                    samples[i * kept + c] =
                        decoded[i * width + static_cast<std::size_t>(channels_[c])];
        }
        derived.clear();
        if (stage_ && frames >= 0 && !stage_(samples.data(), frames, derived, error))
            frames = -1;
        std::unique_lock<Mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stop_ || count_ < kBlocks; });
        if (stop_)
            return;
        Block& block = ring_[(head_ + count_) % kBlocks];
        std::swap(block.samples, samples);
        std::swap(block.derived, derived);
        block.frames = frames;
        if (frames < 0)
            error_ = error;
        ++count_;
        changed_.notify_all();
        if (frames <= 0)
            return;  // the end, or an error: nothing more to decode
    }
}

std::int64_t ReadAhead::next(std::vector<double>& interleaved, std::vector<double>& derived,
                             std::string& error) {
    std::unique_lock<Mutex> lock(mutex_);
    changed_.wait(lock, [this] { return count_ > 0; });
    Block& block = ring_[head_];
    const std::int64_t frames = block.frames;
    derived.clear();
    std::swap(derived, block.derived);
    if (frames > 0) {
        std::swap(interleaved, block.samples);
        head_ = (head_ + 1) % kBlocks;
        --count_;
        changed_.notify_all();
    } else if (frames < 0) {
        error = error_;  // stays at the head: every later call says the same
    }
    return frames;
}

bool keepsEveryChannel(const std::vector<int>& channels, int fileChannels) {
    if (channels.size() != static_cast<std::size_t>(std::max(0, fileChannels)))
        return false;
    for (std::size_t c = 0; c < channels.size(); ++c)
        if (channels[c] != static_cast<int>(c))
            return false;
    return true;
}

}  // namespace nullmeter
