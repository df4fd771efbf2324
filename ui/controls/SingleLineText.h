// The characters of a one-line text box: a bounded run of UTF-16 units that never holds half a surrogate pair by its own doing.
#pragma once

#include "CharWidths.h"

#include <cstdint>
#include <string>
#include <string_view>

// Indices are UTF-16 unit offsets. A boundary is an index that is not between the two halves of
// a surrogate pair; every operation that takes an index first moves it to a boundary, so caret
// moves, deletions and truncation keep pairs whole. Lone surrogates already in the text (a
// script's setText may bring them) count as one character each.
class SingleLineText {
public:
    explicit SingleLineText(int32_t capacity) : capacity_(capacity) {}

    const std::wstring& chars() const { return chars_; }
    int32_t length() const { return int32_t(chars_.size()); }
    int32_t capacity() const { return capacity_; }
    int32_t room() const { return capacity_ - length(); }

    // The longest prefix of `text` that fits into `room` units without cutting a pair.
    static std::wstring_view fitting(std::wstring_view text, int32_t room);

    // Inserts as much of `text` as fits at `index` and returns how many units went in.
    int32_t insert(int32_t index, std::wstring_view text);
    // Removes [from, to) (in either order).
    void erase(int32_t from, int32_t to);
    // Replaces the whole text by as much of `text` as fits.
    void assign(std::wstring_view text);

    // `index` clamped into [0, length] and moved back off the middle of a pair.
    int32_t boundary(int32_t index) const;
    // The boundary one character before or after `index` (the same index at either end).
    int32_t previous(int32_t index) const;
    int32_t next(int32_t index) const;

    // Sum of the advances of the characters before `index`.
    int32_t widthTo(int32_t index, CharWidths& widths) const;
    // The boundary nearest to `x` (pixels from the text's start): the first character whose right
    // edge reaches x gives its right boundary when x is past its middle, else its left one. Past the
    // last character, the length; at or before the start, 0.
    int32_t indexAt(int32_t x, CharWidths& widths) const;

private:
    // The character starting at `index` as a code point, and how many units it takes.
    char32_t characterAt(int32_t index, int32_t& units) const;

    std::wstring chars_;
    int32_t capacity_;
};
