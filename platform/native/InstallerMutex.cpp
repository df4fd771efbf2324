// The process-wide installer mutex slot.
#include "InstallerMutex.h"

#include <platform/Handle.h>

#include <atomic>

const wchar_t kInstallerMutexName[] = L"Global\\ORVOINSTALLER";

namespace {

std::atomic<HANDLE> installerMutex{nullptr};

} // namespace

void setInstallerMutex(HANDLE mutex)
{
    HANDLE previous = installerMutex.exchange(mutex);
    if (previous != mutex)
        platform::UniqueHandle closed(previous);
}

bool releaseInstallerMutex()
{
    // Closing the last handle abandons ownership; the family's other programs only ever test
    // for the name's existence, so the mutex is never released with ReleaseMutex.
    platform::UniqueHandle handle(installerMutex.exchange(nullptr));
    return bool(handle);
}
