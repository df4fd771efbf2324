// Character widths from the font selected into a device context, remembered per character.
#pragma once

#include "CharWidths.h"

#include <NativeTypes.h>

#include <cstdint>
#include <memory>

// Widths are GetCharWidth32W advances (no kerning, no shaping); a surrogate pair is measured as
// one text run. Each width of the Basic Multilingual Plane is asked of GDI once and kept, in
// pages of 256 made on first use. Call reset when the DC's font changes.
class GdiCharWidths : public CharWidths {
public:
    explicit GdiCharWidths(DeviceContext dc = nullptr) : dc_(dc) {}
    void setDC(DeviceContext dc);
    void reset();
    int32_t width(char32_t c) override;

private:
    static constexpr int kPageSize = 256;
    DeviceContext dc_;   // not owned
    std::unique_ptr<int32_t[]> pages_[0x10000 / kPageSize];
};
