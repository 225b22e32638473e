#include "tools/nullmeter/thread_sync.h"

#include <windows.h>

namespace nullmeter {

namespace {

// Both system types are one pointer wide and start as zero.
static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*), "a CONDITION_VARIABLE is one pointer");

PSRWLOCK srw(void*& state) {
    return reinterpret_cast<PSRWLOCK>(&state);
}
PCONDITION_VARIABLE condition(void*& state) {
    return reinterpret_cast<PCONDITION_VARIABLE>(&state);
}

}  // namespace

void Mutex::lock() {
    AcquireSRWLockExclusive(srw(lock_));
}

void Mutex::unlock() {
    ReleaseSRWLockExclusive(srw(lock_));
}

void ConditionVariable::notify_one() {
    WakeConditionVariable(condition(condition_));
}

void ConditionVariable::notify_all() {
    WakeAllConditionVariable(condition(condition_));
}

void ConditionVariable::wait(std::unique_lock<Mutex>& lock) {
    SleepConditionVariableSRW(condition(condition_), srw(lock.mutex()->lock_), INFINITE, 0);
}

}  // namespace nullmeter
