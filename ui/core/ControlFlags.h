// The bits of the control flag word and the unbounded layout extent.
#pragma once

#include <cstdint>

// Bits not listed are never set by the toolkit itself, but scripts may set any bit.
namespace Flag {
constexpr uint64_t enabled = 0x1;               // receives input
constexpr uint64_t visible = 0x2;               // painted and hit-testable
constexpr uint64_t focused = 0x4;
constexpr uint64_t captured = 0x8;              // holds the mouse capture; styles draw it pressed
constexpr uint64_t hovered = 0x10;
constexpr uint64_t repaintOnInteraction = 0x20;
constexpr uint64_t captureOnPress = 0x40;
constexpr uint64_t focusOnPress = 0x80;
constexpr uint64_t pressClearsFocus = 0x100;
constexpr uint64_t mouseTransparent = 0x400;    // never hit
constexpr uint64_t doubleClicks = 0x800;
constexpr uint64_t collapsed = 0x1000;          // measured as (0, 0), never painted
constexpr uint64_t container = 0x2000;          // a Panel with a child list
constexpr uint64_t checked = 0x4000;
constexpr uint64_t wheelAdjusts = 0x8000;
constexpr uint64_t tabItemMark = 0x20000;
constexpr uint64_t scriptObject = 0x40000;      // has a script object to unregister
constexpr uint64_t focusCue = 0x80000;          // focused while the window shows focus cues (the keyboard was used)
constexpr uint64_t keyPressed = 0x100000;       // held down by the Space key; styles draw it pressed
} // namespace Flag

// The available width or height where a panel places its children without limit.
constexpr int32_t kUnbounded = 0x10000;
