// The value formats of markup attributes: integers, rectangles, sizes, colours and keywords.
#pragma once

#include <cstdint>
#include <string>

namespace duiField {

// Reads a decimal integer as "%d" does: leading whitespace, an optional sign, digits up to the
// first other character ("12px" gives 12). No digits: 0. Values past the 32-bit range saturate.
int32_t parseInt(const std::u16string& text);

// Reads up to `count` comma-separated integers ("%d,%d,..."): each number may be preceded by
// whitespace, each comma must follow its number directly. Fields that are not reached stay 0.
// Returns how many fields were read.
int parseInts(const std::u16string& text, int32_t* fields, int count);

// "#RRGGBB"-style text: the first character is not examined, then three pairs of hexadecimal
// digits P1 P2 P3 (any other character counts as 0; missing characters too). The result is
// P1 * 65536 + P2 * 256 + P3.
int32_t parseColor(const std::u16string& text);

} // namespace duiField
