// The shared process list: a named 4096-byte page-file mapping guarded by a named mutex.
#pragma once

#include <platform/Handle.h>

#include <cstddef>
#include <string>

// Another program enters the processes it wants stopped; the installer only reads the list.
class SharedBlock {
public:
    static constexpr size_t kSize = 4096;
    static const wchar_t kMappingName[];
    static const wchar_t kMutexName[];

    SharedBlock() = default;
    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // Creates or opens the mutex and the mapping (zero-filled when this call created it). False when
    // the mutex stays busy for 100 ms or the mapping cannot be made; everything is then closed.
    bool open();
    // Copies `length` bytes from `offset`; false past the block's end or when the mutex stays busy.
    bool read(void* out, size_t length, size_t offset);
    void close();

    // The list as text: up to the first zero unit or the block's end. Empty when the block cannot
    // be opened or read.
    static std::wstring readText();

private:
    platform::UniqueHandle mutex_;
    platform::UniqueHandle mapping_;
    void* view_ = nullptr;
};
