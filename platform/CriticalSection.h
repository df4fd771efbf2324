// Critical sections; hold one for a scope with std::lock_guard (both are BasicLockable).
#pragma once

#include <windows.h>

namespace platform {

// A critical section owned by an object and deleted with it.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSectionAndSpinCount(&section_, 100); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// A critical section for process-wide state, never deleted: another thread may still be inside
// it while the process runs its exit handlers, and deleting it then would be undefined.
class ProcessCriticalSection {
public:
    ProcessCriticalSection() { InitializeCriticalSectionAndSpinCount(&section_, 100); }
    ProcessCriticalSection(const ProcessCriticalSection&) = delete;
    ProcessCriticalSection& operator=(const ProcessCriticalSection&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace platform
