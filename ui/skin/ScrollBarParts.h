// What the scroll-bar skin reads from its control beyond the flag word: the parts and their states.
#pragma once

#include <Geometry.h>

#include <cstdint>

// Implemented by the scroll bar. Rectangles are in the control's own coordinates.
class ScrollBarParts {
public:
    // partState bits: the pressed part, and the part under the pointer (pressed bits >> 4)
    static constexpr int32_t kUpArrowOver = 0x1;
    static constexpr int32_t kDownArrowOver = 0x2;
    static constexpr int32_t kThumbOver = 0x4;
    static constexpr int32_t kUpArrowPressed = 0x10;
    static constexpr int32_t kDownArrowPressed = 0x20;
    static constexpr int32_t kThumbPressed = 0x40;
    static constexpr int32_t kPageUpPressed = 0x1000;
    static constexpr int32_t kPageDownPressed = 0x2000;

    virtual ~ScrollBarParts() = default;
    virtual int32_t partState() const = 0;
    virtual Rect upArrowRect() const = 0;
    virtual Rect downArrowRect() const = 0;
    // Empty when the bar shows no thumb (nothing to scroll).
    virtual Rect thumbRect() const = 0;
};
