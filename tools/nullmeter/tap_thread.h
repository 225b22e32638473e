// Runs a block tap on a thread of its own: the measuring thread hands over a
// copy of each block and goes on, so a costly tap (the band analysis) runs
// beside the measurement instead of after each block of it. At most kBlocks
// copies wait; the measuring thread waits only when the tap falls that far
// behind. The tap sees the blocks in order, on one thread: all their
// channels, or the ones it was given, in that order.
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

#include "tools/nullmeter/measurement.h"
#include "tools/nullmeter/thread_sync.h"

namespace nullmeter {

class TapThread {
  public:
    static constexpr int kBlocks = 3;

    // Without a thread (none could be started) the tap runs in block().
    explicit TapThread(BlockTap tap, std::vector<std::size_t> channels = {});
    // Waits until the tap has taken every block handed over.
    ~TapThread();
    TapThread(const TapThread&) = delete;
    TapThread& operator=(const TapThread&) = delete;

    void block(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b,
               std::int64_t frames);
    // Returns once the tap has taken every block so far, and stops the thread.
    void finish();

  private:
    struct Block {
        std::vector<std::vector<double>> a, b;
        std::int64_t frames = 0;
    };
    void work();

    BlockTap tap_;
    std::vector<std::size_t> channels_;  // empty: every channel
    Mutex mutex_;
    ConditionVariable changed_;
    Block ring_[kBlocks];
    int head_ = 0, count_ = 0;  // the oldest waiting block and how many wait
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace nullmeter
