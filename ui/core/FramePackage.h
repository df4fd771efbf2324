// The window-markup package and the file buffer it was opened over; empty until loaded.
#pragma once

#include <Package.h>

#include <memory>

struct FramePackage {
    std::unique_ptr<Package> package;
    void* image = nullptr;   // from readFile of the current file system; freed through it
};
