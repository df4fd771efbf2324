// A buffer read through a file system and given back through that same file system.
#include "FileBuffer.h"

#include "FileSystem.h"

#include <utility>

FileBuffer FileBuffer::read(FileSystem* files, const std::wstring& name)
{
    FileBuffer buffer;
    if (!files)
        return buffer;
    uint64_t size = 0;
    buffer.data_ = files->readFile(name.c_str(), &size);
    if (buffer.data_) {
        buffer.files_ = files;
        buffer.size_ = size;
    }
    return buffer;
}

FileBuffer::FileBuffer(FileBuffer&& other) noexcept
    : files_(std::exchange(other.files_, nullptr)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0))
{
}

FileBuffer& FileBuffer::operator=(FileBuffer&& other) noexcept
{
    if (this != &other) {
        reset();
        files_ = std::exchange(other.files_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void FileBuffer::reset()
{
    if (data_)
        files_->freeData(data_);
    files_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}
