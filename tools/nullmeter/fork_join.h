// Runs numbered tasks on the calling thread and on helper threads kept for
// the object's life, and returns when all are done: a measurement hands
// each channel pair to it, so the channels of one block are measured on all
// the cores. With no helpers the caller runs every task itself.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/nullmeter/thread_sync.h"

namespace nullmeter {

class ForkJoin {
  public:
    explicit ForkJoin(int helpers);
    ~ForkJoin();
    ForkJoin(const ForkJoin&) = delete;
    ForkJoin& operator=(const ForkJoin&) = delete;

    // Calls task(0) ... task(count - 1), each once, in any order and on any
    // of the threads. `task` must not throw.
    void run(int count, const std::function<void(int)>& task);

    int helpers() const { return static_cast<int>(threads_.size()); }

  private:
    void help();
    void take(const std::function<void(int)>& task);

    Mutex mutex_;
    ConditionVariable start_, done_;
    const std::function<void(int)>* task_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    std::atomic<int> busy_{0};              // helpers still working on this round
    std::atomic<unsigned long> round_{0};  // a new round wakes the helpers
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

// How many helper threads a measurement of `channels` channel pairs can use
// on this machine: one per further core, none for a single pair.
int measurementHelpers(int channels);

}  // namespace nullmeter
