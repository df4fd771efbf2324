// The edit's text and its wrapped lines, with the lookups between indices, lines and x positions.
#pragma once

#include "BlockTable.h"
#include "CharWidths.h"
#include "LineRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

// Indices are UTF-16 positions from 0 to length(). Lines cover the whole text without gaps and
// always exist: an empty text, or one ending with a line break, ends with an empty line on which
// the caret can sit.
//
// Wrapping: a line ends at an LF; at a CR together with the character after it, taken as its LF
// whatever it is (a surrogate pair whole; nothing when the CR is the text's last character); or
// before the first character that does not fit into the wrap width. Every line keeps at least its
// first character, so a width narrower than one character gives one character per line, and a
// width of 0 or less wraps nothing: lines end only at line breaks. A surrogate pair is never cut.
class TextStore {
public:
    explicit TextStore(CharWidths& widths);
    ~TextStore();
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // Replaces the text and wraps it. False, changing nothing, for a text longer than
    // BlockTable::kMaxLength.
    bool setText(std::wstring_view text);
    std::wstring getText() const;
    // Appends the characters [from, to) to `out` (clamped to the text).
    void copyText(int32_t from, int32_t to, std::wstring& out) const;
    int32_t length() const { return blocks_.length(); }
    wchar_t charAt(int32_t index) const { return blocks_.charAt(index); }

    // Inserts `count` characters before `index` (clamped to 0..length) and re-wraps the lines
    // around it. False, changing nothing, when the text would grow past BlockTable::kMaxLength.
    bool insertAt(int32_t index, const wchar_t* chars, int32_t count);
    // Removes the characters from min(a, b) up to max(a, b) (clamped to the text) and re-wraps
    // around the cut. False when that range is empty: nothing changes then.
    bool deleteRange(int32_t a, int32_t b);

    // The pixel width lines wrap at; a change re-wraps everything.
    void setWrapWidth(int32_t width);
    int32_t wrapWidth() const { return wrapWidth_; }
    // Wraps the whole text again (after the character widths changed).
    void wrapAll();

    int32_t lineCount() const { return lineCount_; }
    const LineRecord* firstLine() const { return firstLine_; }
    const LineRecord* lastLine() const { return lastLine_; }
    // The line holding the index: an index that starts a line belongs to that line, so the
    // position after a soft-wrapped line's last character shows at the start of the next one.
    // An index at or past the end gives the last line.
    const LineRecord* lineOfIndex(int32_t index) const;
    // The line of that number, clamped to the lines there are.
    const LineRecord* lineOfNumber(int32_t number) const;

    // The index nearest to x pixels from the line's left edge: a CR or LF stops the search at its
    // own index; past a character's middle gives the index after it; past the line's end gives
    // end + 1; an empty line gives its start. Never inside a surrogate pair.
    int32_t indexAtX(const LineRecord* line, int32_t x) const;
    // Pixels from the left edge of the index's line to the index.
    int32_t xOfIndex(int32_t index) const;
    // Pixels from the line's left edge to `index`, counting at most the line's own characters
    // (so end + 1 of a soft-wrapped line is its right end, not the next line's start).
    int32_t xInLine(const LineRecord* line, int32_t index) const;
    // The neighbouring caret positions: a CR with the character it takes as its LF, and a
    // surrogate pair, are stepped over whole.
    int32_t previousIndex(int32_t index) const;
    int32_t nextIndex(int32_t index) const;
    // Where the line's break characters begin: its LF, its CR, or end + 1 for a soft end.
    int32_t breakStart(const LineRecord* line) const;
    // The caret position at or before `index` (clamped to the text): never between a CR and the
    // character it takes as its LF, nor inside a surrogate pair.
    int32_t caretPositionAt(int32_t index) const;

    const BlockTable& blocks() const { return blocks_; }

private:
    struct Wrapped {
        int32_t end;
        int32_t breakKind;
    };
    // Forms the line starting at `start` (< length) by the wrapping rule.
    Wrapped wrapLine(BlockReader& reader, int32_t start) const;
    // How many units the character at `index` (< length) takes: 2 for a whole surrogate pair.
    int32_t unitsAt(BlockReader& reader, int32_t index) const;
    char32_t codePointAt(BlockReader& reader, int32_t index, int32_t units) const;
    // Re-wraps after an edit at `at` that removed `removed` and inserted `inserted` characters:
    // new lines from `firstOld`'s start until one starts past the edit where an old line started;
    // the old lines up to there go back to the pool and the ones after it move along. `changed`
    // names the blocks the edit rebuilt.
    void relayout(LineRecord* firstOld, int32_t at, int32_t removed, int32_t inserted, BlockSpan changed);
    // Sets firstLine and lastLine of the blocks at positions [from, to]; `near` is any line
    // starting at or after the first of those blocks, not far from it.
    void assignLines(size_t from, size_t to, LineRecord* near);
    void releaseLines();

    CharWidths* widths_;   // not owned
    BlockTable blocks_;
    LineRecord* firstLine_ = nullptr;   // the chain; records belong to linePool
    LineRecord* lastLine_ = nullptr;
    int32_t lineCount_ = 0;
    int32_t wrapWidth_ = 0;
};
