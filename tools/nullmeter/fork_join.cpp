#include "tools/nullmeter/fork_join.h"

#include <algorithm>
#include <chrono>

namespace nullmeter {

namespace {

// Rounds follow each other within a fraction of a millisecond, which is
// about what a sleeping thread may take to wake: waiting threads spin a
// little first. They never yield while spinning: with more threads than
// cores a yield can hand the core away for a whole time slice.
constexpr auto kSpin = std::chrono::microseconds(30);

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

template <typename Ready>
bool spinUntil(Ready ready) {
    const auto until = std::chrono::steady_clock::now() + kSpin;
    do {
        for (int i = 0; i < 32; ++i) {
            if (ready())
                return true;
            relax();
        }
    } while (std::chrono::steady_clock::now() < until);
    return ready();
}

}  // namespace

ForkJoin::ForkJoin(int helpers) {
    for (int i = 0; i < helpers; ++i)
        threads_.emplace_back([this] { help(); });
}

ForkJoin::~ForkJoin() {
    {
        std::lock_guard<Mutex> lock(mutex_);
        stop_ = true;
        round_.fetch_add(1);
    }
    start_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void ForkJoin::take(const std::function<void(int)>& task) {
    for (int i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1))
        task(i);
}

void ForkJoin::run(int count, const std::function<void(int)>& task) {
    if (threads_.empty() || count <= 1) {
        for (int i = 0; i < count; ++i)
            task(i);
        return;
    }
    {
        std::lock_guard<Mutex> lock(mutex_);
        task_ = &task;
        count_ = count;
        next_.store(0);
        busy_.store(static_cast<int>(threads_.size()));
        round_.fetch_add(1);
    }
    start_.notify_all();
    take(task);
    if (!spinUntil([this] { return busy_.load() == 0; })) {
        std::unique_lock<Mutex> lock(mutex_);
        done_.wait(lock, [this] { return busy_.load() == 0; });
    }
}

void ForkJoin::help() {
    unsigned long seen = 0;
    for (;;) {
        if (!spinUntil([&] { return round_.load() != seen; })) {
            std::unique_lock<Mutex> lock(mutex_);
            start_.wait(lock, [&] { return round_.load() != seen; });
        }
        const std::function<void(int)>* task = nullptr;
        {
            std::lock_guard<Mutex> lock(mutex_);
            if (stop_)
                return;
            seen = round_.load();
            task = task_;
        }
        take(*task);
        std::lock_guard<Mutex> lock(mutex_);
        if (busy_.fetch_sub(1) == 1)
            done_.notify_one();
    }
}

int measurementHelpers(int channels) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::max(0, std::min(channels, cores) - 1);
}

}  // namespace nullmeter
