// A mutex and a condition variable for threads that hand work to each other many times a second
// (the payload's decoders, the worker's file writers). On Windows they are the system's slim
// reader/writer lock and condition variable, which wait inside the process (Wine waits on a
// futex); the C++ library's own, through this toolchain's POSIX threads layer, wait on kernel
// semaphores: under Wine a round trip to its single server for every wait and every wake-up, the
// same server every file creation waits for. Elsewhere they are the standard ones.
#pragma once

#include <condition_variable>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

#ifdef _WIN32

// BasicLockable, for std::lock_guard and std::unique_lock.
class Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native() { return &lock_; }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class ConditionVariable {
public:
    ConditionVariable() = default;
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;
    void notify_one() { WakeConditionVariable(&variable_); }
    void notify_all() { WakeAllConditionVariable(&variable_); }
    // Like std::condition_variable's: may wake without a notification.
    void wait(std::unique_lock<Mutex>& lock) { SleepConditionVariableSRW(&variable_, lock.mutex()->native(), INFINITE, 0); }
    template <class Predicate>
    void wait(std::unique_lock<Mutex>& lock, Predicate ready)
    {
        while (!ready())
            wait(lock);
    }

private:
    CONDITION_VARIABLE variable_ = CONDITION_VARIABLE_INIT;
};

#else

using Mutex = std::mutex;
using ConditionVariable = std::condition_variable;

#endif

}  // namespace platform
