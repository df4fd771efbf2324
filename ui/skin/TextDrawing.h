// The two text helpers of the painters, the text formats they use, and the label measuring DC.
#pragma once

#include <Geometry.h>
#include <NativeTypes.h>

#include <cstdint>

struct HFONT__;

// DrawTextW formats used by the painters (DT_CENTER 0x1, DT_RIGHT 0x2, DT_VCENTER 0x4,
// DT_WORDBREAK 0x10, DT_SINGLELINE 0x20, DT_CALCRECT 0x400, DT_NOPREFIX 0x800).
namespace TextFormat {
constexpr uint32_t caption = 0x25;           // button captions; icon-button captions without an icon
constexpr uint32_t besideIcon = 0x24;        // check-button, combo-box and icon-button text beside its icon
constexpr uint32_t belowIcon = 0x21;         // icon-button text below its icon
constexpr uint32_t measureCaption = 0x420;   // measuring an icon-button caption
constexpr uint32_t measureLabel = 0xC20;     // measuring a label
constexpr uint32_t labelLeft = 0x824;        // a label's line (also each edit line)
constexpr uint32_t labelCenter = 0x825;
constexpr uint32_t labelRight = 0x826;
constexpr uint32_t textBoxLine = 0x834;      // the text box's line
} // namespace TextFormat

// SetTextColor, then DrawTextW of the NUL-terminated text in the DC's current font. Returns what
// DrawTextW returns (the text height); with DT_CALCRECT the rectangle receives the measured size.
int drawText(DeviceContext dc, Rect& rect, const wchar_t* text, uint32_t colour, uint32_t format);
// As drawText, in `font` for this one call (the DC's font is put back afterwards). A null font
// draws in the DC's current font.
int drawTextInFont(DeviceContext dc, Rect& rect, const wchar_t* text, HFONT__* font, uint32_t colour,
                   uint32_t format);

// The memory DC labels measure their text in: made on first use and kept for the process. Callers
// select their font, measure, and select the previous font back. UI thread only.
DeviceContext labelMeasureDC();
