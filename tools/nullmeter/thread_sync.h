// The lock and condition variable the tool's threads hand work over with:
// std's natively; on Windows the system's slim reader/writer lock and
// condition variable, which Windows and Wine wait on in user space, where
// std's (mingw-w64's threads library over kernel semaphores) cost a system
// call, and under Wine a round trip to its server, at every hand-over.
#pragma once

#include <condition_variable>
#include <mutex>

namespace nullmeter {

#ifdef _WIN32
class Mutex {
  public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock();
    void unlock();

  private:
    friend class ConditionVariable;
    void* lock_ = nullptr;  // an SRWLOCK, SRWLOCK_INIT
};

class ConditionVariable {
  public:
    ConditionVariable() = default;
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;
    void notify_one();
    void notify_all();
    // `lock` holds the mutex, as for std::condition_variable.
    void wait(std::unique_lock<Mutex>& lock);
    template <typename Ready> void wait(std::unique_lock<Mutex>& lock, Ready ready) {
        while (!ready())
            wait(lock);
    }

  private:
    void* condition_ = nullptr;  // a CONDITION_VARIABLE, CONDITION_VARIABLE_INIT
};
#else
using Mutex = std::mutex;
using ConditionVariable = std::condition_variable;
#endif

}  // namespace nullmeter
