// Opening, reading and closing the shared process list.
#include "SharedBlock.h"

#include "IntegrityLabel.h"

#include <cstring>
#include <cwchar>

const wchar_t SharedBlock::kMappingName[] = L"4DC1097A-58F5-40F4-AD49-F77C1C1B9858";
const wchar_t SharedBlock::kMutexName[] = L"B225A8E1-72D4-4ED6-834F-55BD8E70E63A";

namespace {

constexpr DWORD kMutexWaitMs = 100;

// An abandoned mutex still passes ownership to us; the block holds plain text, so it stays usable.
bool acquire(HANDLE mutex)
{
    DWORD wait = WaitForSingleObject(mutex, kMutexWaitMs);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

} // namespace

SharedBlock::~SharedBlock()
{
    close();
}

bool SharedBlock::open()
{
    close();
    mutex_.reset(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex_)
        return false;
    setLowIntegrityLabel(mutex_.get());
    if (!acquire(mutex_.get())) {
        mutex_.reset();
        return false;
    }
    mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(kSize), kMappingName));
    bool created = mapping_ && GetLastError() != ERROR_ALREADY_EXISTS;
    if (mapping_) {
        if (created)
            setLowIntegrityLabel(mapping_.get());
        view_ = MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSize);
    }
    if (!view_) {
        ReleaseMutex(mutex_.get());
        close();
        return false;
    }
    if (created)
        std::memset(view_, 0, kSize);
    ReleaseMutex(mutex_.get());
    return true;
}

bool SharedBlock::read(void* out, size_t length, size_t offset)
{
    if (!view_ || offset > kSize || length > kSize - offset)
        return false;
    if (!acquire(mutex_.get()))
        return false;
    // Another program may have made the mapping (as a reserved section with no committed pages,
    // say), so the view can fault: copied through ReadProcessMemory, a fault is a failed read
    // instead of an access violation in the installer.
    SIZE_T copied = 0;
    bool ok = ReadProcessMemory(GetCurrentProcess(), static_cast<const char*>(view_) + offset, out, length, &copied) &&
              copied == length;
    ReleaseMutex(mutex_.get());
    return ok;
}

void SharedBlock::close()
{
    if (mutex_) {
        // Only fails when this thread does not own it, which is the usual case here.
        ReleaseMutex(mutex_.get());
        mutex_.reset();
    }
    if (view_) {
        UnmapViewOfFile(view_);
        view_ = nullptr;
    }
    mapping_.reset();
}

std::wstring SharedBlock::readText()
{
    wchar_t units[kSize / sizeof(wchar_t)];
    SharedBlock block;
    if (!block.open() || !block.read(units, sizeof(units), 0))
        return {};
    block.close();
    return std::wstring(units, wcsnlen(units, kSize / sizeof(wchar_t)));
}
