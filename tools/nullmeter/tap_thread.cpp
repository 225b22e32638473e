#include "tools/nullmeter/tap_thread.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <utility>

namespace nullmeter {
namespace {

// Copies `frames` values of the chosen channels (all when none are chosen;
// a channel the block lacks is left empty), keeping the buffers' capacity
// from one block to the next.
void copyBlock(const std::vector<std::vector<double>>& from, std::int64_t frames,
               const std::vector<std::size_t>& channels, std::vector<std::vector<double>>& to) {
    to.resize(channels.empty() ? from.size() : channels.size());
    for (std::size_t c = 0; c < to.size(); ++c) {
        const std::size_t source = channels.empty() ? c : channels[c];
        if (source >= from.size()) {
            to[c].clear();
            continue;
        }
        const auto n = std::min(from[source].size(), static_cast<std::size_t>(frames));
        to[c].assign(from[source].begin(), from[source].begin() + static_cast<std::ptrdiff_t>(n));
    }
}

}  // namespace

TapThread::TapThread(BlockTap tap, std::vector<std::size_t> channels)
    : tap_(std::move(tap)), channels_(std::move(channels)) {
    try {
        thread_ = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // block() runs the tap itself.
    }
}

TapThread::~TapThread() {
    finish();
}

void TapThread::block(const std::vector<std::vector<double>>& a,
                      const std::vector<std::vector<double>>& b, std::int64_t frames) {
    if (!thread_.joinable()) {
        if (tap_ && channels_.empty()) {
            tap_(a, b, frames);
        } else if (tap_) {
            copyBlock(a, frames, channels_, ring_[0].a);
            copyBlock(b, frames, channels_, ring_[0].b);
            tap_(ring_[0].a, ring_[0].b, frames);
        }
        return;
    }
    std::unique_lock<Mutex> lock(mutex_);
    changed_.wait(lock, [this] { return count_ < kBlocks; });
    // The free slot is this thread's until it is counted: the tap reads only
    // counted ones, so the copy needs no lock.
    Block& slot = ring_[(head_ + count_) % kBlocks];
    lock.unlock();
    copyBlock(a, frames, channels_, slot.a);
    copyBlock(b, frames, channels_, slot.b);
    slot.frames = frames;
    lock.lock();
    ++count_;
    changed_.notify_all();
}

void TapThread::finish() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard<Mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void TapThread::work() {
    std::unique_lock<Mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || count_ > 0; });
        if (count_ == 0)
            return;  // stopped, and every block taken
        Block& slot = ring_[head_];
        lock.unlock();
        if (tap_)
            tap_(slot.a, slot.b, slot.frames);
        lock.lock();
        head_ = (head_ + 1) % kBlocks;
        --count_;
        changed_.notify_all();
    }
}

}  // namespace nullmeter
