// A package read through a file system and opened over that image.
#include "LoadedPackage.h"

LoadedPackage::Status LoadedPackage::load(FileSystem* files, const std::wstring& name, std::string* reason)
{
    reset();
    FileBuffer image = FileBuffer::read(files, name);
    if (!image)
        return Status::unreadable;
    std::unique_ptr<Package> package = Package::open(image.data(), size_t(image.size()), reason);
    if (!package)
        return Status::damaged;
    image_ = std::move(image);
    package_ = std::move(package);
    return Status::loaded;
}

void LoadedPackage::reset()
{
    decoders_.reset();
    package_.reset();
    image_.reset();
}

void LoadedPackage::decodeAhead(unsigned decoders, size_t budget)
{
    decoders_.reset();
    // without decoders too when the package has blocks: a block is then decoded once for all its files
    if (package_ && (decoders > 0 || !package_->blocks().empty()))
        decoders_ = std::make_unique<DecodeAhead>(*package_, decoders, budget);
}

uint8_t* LoadedPackage::readEntry(const wchar_t* name, uint64_t* size)
{
    if (!package_ || !name)
        return nullptr;
    if (!decoders_)
        return package_->readEntry(name, size);
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    return decoders_->readEntry(std::u16string(reinterpret_cast<const char16_t*>(name)), size);
}
