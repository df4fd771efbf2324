// The window-markup package the toolkit owns; what it holds is the markup layer's business.
#pragma once

// The markup layer makes it (through the parts builder) and reads it; the core only keeps it
// and lets it go at shut-down, so it needs no package type.
class FramePackage {
public:
    virtual ~FramePackage() = default;
};
