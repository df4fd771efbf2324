// A buffer read through a file system and given back through that same file system.
#pragma once

#include <cstdint>
#include <string>

class FileSystem;

class FileBuffer {
public:
    FileBuffer() = default;
    // Reads `name` through `files`; empty when there is no file system or the file cannot be read.
    // The file system must outlive the buffer.
    static FileBuffer read(FileSystem* files, const std::wstring& name);

    ~FileBuffer() { reset(); }
    FileBuffer(FileBuffer&& other) noexcept;
    FileBuffer& operator=(FileBuffer&& other) noexcept;
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    const uint8_t* data() const { return static_cast<const uint8_t*>(data_); }
    uint64_t size() const { return size_; }
    // The contents as zero-terminated text: every file-system buffer ends in 4 zero bytes.
    const char* text() const { return static_cast<const char*>(data_); }
    void reset();

private:
    FileSystem* files_ = nullptr;   // not owned
    void* data_ = nullptr;
    uint64_t size_ = 0;
};
