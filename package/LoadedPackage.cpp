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
    package_.reset();
    image_.reset();
}
