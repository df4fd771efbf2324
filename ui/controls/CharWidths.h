// How wide characters are: the edit's text store measures through this, so it runs without GDI.
#pragma once

#include <cstdint>

class CharWidths {
public:
    virtual ~CharWidths() = default;
    // The advance width in pixels of one character, given as a code point (a surrogate pair
    // arrives joined; a lone surrogate as itself). Never negative.
    virtual int32_t width(char32_t c) = 0;
};
