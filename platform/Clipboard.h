// Owners for the clipboard: opened for one scope, global memory freed unless handed over, locked for one scope.
#pragma once

#include "UniqueResource.h"

#include <windows.h>

#include <cstddef>

namespace platform {

// OpenClipboard for one scope; closed on every path. Test it: the clipboard may be held by
// another program, and then nothing may be read or written.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope()
    {
        if (open_)
            CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// Global memory freed with GlobalFree unless released to its new owner (SetClipboardData owns
// the memory once it has succeeded).
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static constexpr Type empty = nullptr;
    static Type normal(Type memory) { return memory; }
    static void close(Type memory) { GlobalFree(memory); }
};
using GlobalMemory = UniqueResource<GlobalMemoryTraits>;

// GlobalLock for one scope. get() is null when the lock failed; size() is what the block holds
// (it may be more than was asked for, never less).
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory)
        : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr), size_(data_ ? GlobalSize(memory) : 0)
    {
    }
    ~GlobalLockScope()
    {
        if (data_)
            GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* get() const { return data_; }
    size_t size() const { return size_; }

private:
    HGLOBAL memory_;
    void* data_;
    size_t size_;
};

}  // namespace platform
