// The process-wide installer mutex slot.
#include "InstallerMutex.h"

#include <atomic>

const wchar_t kInstallerMutexName[] = L"Global\\ORVOINSTALLER";

namespace {

std::atomic<HANDLE> installerMutex{nullptr};

} // namespace

void setInstallerMutex(HANDLE mutex)
{
    HANDLE previous = installerMutex.exchange(mutex);
    if (previous && previous != mutex)
        CloseHandle(previous);
}

bool releaseInstallerMutex()
{
    HANDLE handle = installerMutex.exchange(nullptr);
    if (!handle)
        return false;
    // Closing the last handle abandons ownership; the family's other programs only ever test
    // for the name's existence, so the mutex is never released with ReleaseMutex.
    CloseHandle(handle);
    return true;
}
