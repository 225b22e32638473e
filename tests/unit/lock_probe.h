// Whether a lock is held by the calling thread, seen from another thread.
#pragma once

#include <thread>

// True when another thread cannot take the lock at this moment.
template <typename Lock> bool heldElsewhere(Lock& lock) {
    bool acquired = false;
    std::thread probe([&] {
        acquired = lock.try_lock();
        if (acquired)
            lock.unlock();
    });
    probe.join();
    return !acquired;
}
