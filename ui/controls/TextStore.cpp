// TextStore: wrapping, local re-wrapping after an edit, and the index, line and x lookups.
#include "TextStore.h"

#include "LinePool.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace {

bool isHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A chain of new line records being built.
struct LineChain {
    LineRecord* head = nullptr;
    LineRecord* tail = nullptr;

    void append(int32_t number, int32_t start, int32_t end, int32_t breakKind)
    {
        LineRecord* line = linePool::acquire();
        line->number = number;
        line->start = start;
        line->end = end;
        line->breakKind = breakKind;
        line->prev = tail;
        if (tail)
            tail->next = line;
        else
            head = line;
        tail = line;
    }
};

} // namespace

TextStore::TextStore(CharWidths& widths) : widths_(&widths)
{
    wrapAll();
}

TextStore::~TextStore()
{
    releaseLines();
}

void TextStore::releaseLines()
{
    linePool::releaseChain(firstLine_);
    firstLine_ = lastLine_ = nullptr;
    lineCount_ = 0;
    for (size_t p = 0; p < blocks_.count(); ++p)
        blocks_.at(p)->firstLine = blocks_.at(p)->lastLine = nullptr;
}

bool TextStore::setText(std::wstring_view text)
{
    if (!blocks_.assign(text))
        return false;
    wrapAll();
    return true;
}

std::wstring TextStore::getText() const
{
    std::wstring text;
    blocks_.copy(0, length(), text);
    return text;
}

void TextStore::copyText(int32_t from, int32_t to, std::wstring& out) const
{
    blocks_.copy(from, to, out);
}

void TextStore::setWrapWidth(int32_t width)
{
    width = std::max(width, 0);
    if (width == wrapWidth_)
        return;
    wrapWidth_ = width;
    wrapAll();
}

// --- wrapping ---

int32_t TextStore::unitsAt(BlockReader& reader, int32_t index) const
{
    if (isHighSurrogate(reader.at(index)) && index + 1 < length() && isLowSurrogate(reader.at(index + 1)))
        return 2;
    return 1;
}

char32_t TextStore::codePointAt(BlockReader& reader, int32_t index, int32_t units) const
{
    char32_t c = reader.at(index);
    if (units == 2)
        c = 0x10000 + ((c - 0xD800) << 10) + (reader.at(index + 1) - 0xDC00);
    return c;
}

TextStore::Wrapped TextStore::wrapLine(BlockReader& reader, int32_t start) const
{
    const int32_t total = length();
    int64_t sum = 0;
    for (int32_t i = start; i < total;) {
        wchar_t c = reader.at(i);
        if (c == L'\n')
            return {i, LineBreak::LineFeed};
        if (c == L'\r')
            return {i + 1 < total ? i + unitsAt(reader, i + 1) : i, LineBreak::CarriageReturn};
        int32_t units = unitsAt(reader, i);
        if (wrapWidth_ > 0) {
            int32_t width = widths_->width(codePointAt(reader, i, units));
            // the first character stays whatever its width: a line never ends before it
            if (i > start && sum + width > wrapWidth_)
                return {i - 1, LineBreak::Soft};
            sum += width;
        }
        i += units;
    }
    return {total - 1, LineBreak::Soft};
}

void TextStore::wrapAll()
{
    releaseLines();
    LineChain chain;
    BlockReader reader(blocks_);
    int32_t number = 0;
    for (int32_t start = 0; start < length();) {
        Wrapped line = wrapLine(reader, start);
        chain.append(number++, start, line.end, line.breakKind);
        start = line.end + 1;
    }
    // the line the caret sits on after a final line break, or in an empty text
    if (!chain.tail || chain.tail->hardBreak())
        chain.append(number, length(), length() - 1, LineBreak::Soft);
    firstLine_ = chain.head;
    lastLine_ = chain.tail;
    lineCount_ = lastLine_->number + 1;
    assignLines(0, blocks_.count() - 1, firstLine_);
}

void TextStore::relayout(LineRecord* firstOld, int32_t at, int32_t removed, int32_t inserted, BlockSpan changed)
{
    const int32_t delta = inserted - removed;
    const int32_t editEnd = at + inserted;
    const int32_t total = length();
    const int32_t regionStart = firstOld->start;   // before the edit, so the same in old and new text
    LineRecord* before = firstOld->prev;           // stays as it is

    // wrap: new lines until one starts past the edit exactly where an old line started. A line's
    // extent depends only on where it starts and on the text from there, which past the edit is
    // the old text moved by delta: from there on the old lines stay valid. (Where characters have
    // equal widths that meeting point is usually the next hard line break.) The final empty line
    // is never kept: whether it is needed depends on the line before it.
    LineChain chain;
    int32_t number = before ? before->number + 1 : 0;
    LineRecord* kept = firstOld;   // the first old line not replaced
    bool joined = false;
    BlockReader reader(blocks_);
    for (int32_t start = regionStart; start < total && !joined;) {
        Wrapped line = wrapLine(reader, start);
        chain.append(number++, start, line.end, line.breakKind);
        start = line.end + 1;
        if (start < editEnd || start >= total)
            continue;
        int32_t oldStart = start - delta;
        while (kept && kept->start < oldStart)
            kept = kept->next;
        joined = kept && kept->start == oldStart;
    }
    if (!joined) {
        kept = nullptr;
        LineRecord* last = chain.tail ? chain.tail : before;
        if (!last || last->hardBreak())
            chain.append(number, total, total - 1, LineBreak::Soft);
    }

    // splice: the replaced records go back to the pool, the new ones take their place
    linePool::releaseChain(firstOld, kept);
    LineRecord* first = chain.head ? chain.head : kept;
    if (chain.head)
        chain.head->prev = before;
    if (before)
        before->next = first;
    else
        firstLine_ = first;
    if (chain.tail)
        chain.tail->next = kept;
    if (kept) {
        kept->prev = chain.tail ? chain.tail : before;
        int32_t renumber = number - kept->number;
        if (delta != 0 || renumber != 0) {
            for (LineRecord* line = kept; line; line = line->next) {
                line->start += delta;
                line->end += delta;
                line->number += renumber;
            }
        }
    } else {
        lastLine_ = chain.tail ? chain.tail : before;
    }
    lineCount_ = lastLine_->number + 1;

    // the blocks the edit rebuilt and those the new lines start in get their lines again; the
    // blocks after them moved together with their lines
    size_t from = std::min(blocks_.positionOf(regionStart), changed.first);
    size_t to = std::max(kept ? blocks_.positionOf(kept->start) : blocks_.count() - 1, changed.last);
    assignLines(from, std::min(to, blocks_.count() - 1), first ? first : lastLine_);
}

void TextStore::assignLines(size_t from, size_t to, LineRecord* near)
{
    const int32_t low = blocks_.at(from)->first;
    LineRecord* line = near;
    while (line->prev && line->prev->start >= low)
        line = line->prev;
    while (line && line->start < low)
        line = line->next;
    for (size_t p = from; p <= to; ++p)
        blocks_.at(p)->firstLine = blocks_.at(p)->lastLine = nullptr;
    const size_t lastBlock = blocks_.count() - 1;
    size_t p = from;
    for (; line; line = line->next) {
        // the final empty line starts at the text's length: it belongs to the last block
        while (p < lastBlock && line->start > blocks_.at(p)->last)
            ++p;
        if (p > to)
            break;
        TextBlock* block = blocks_.at(p);
        if (!block->firstLine)
            block->firstLine = line;
        block->lastLine = line;
    }
}

// --- edits ---

bool TextStore::insertAt(int32_t index, const wchar_t* chars, int32_t count)
{
    if (count == 0)
        return true;
    if (count < 0 || !chars || count > BlockTable::kMaxLength - length())
        return false;
    index = std::clamp(index, 0, length());
    // the line before the edit is wrapped again too: a narrower first character may now fit
    // at its end
    LineRecord* line = const_cast<LineRecord*>(lineOfIndex(index));
    LineRecord* firstOld = line->prev ? line->prev : line;
    BlockSpan changed;
    if (!blocks_.insert(index, chars, count, changed))
        return false;
    relayout(firstOld, index, 0, count, changed);
    return true;
}

bool TextStore::deleteRange(int32_t a, int32_t b)
{
    int32_t from = std::clamp(std::min(a, b), 0, length());
    int32_t to = std::clamp(std::max(a, b), 0, length());
    if (from >= to)
        return false;
    LineRecord* line = const_cast<LineRecord*>(lineOfIndex(from));
    LineRecord* firstOld = line->prev ? line->prev : line;
    BlockSpan changed;
    blocks_.erase(from, to, changed);
    relayout(firstOld, from, to - from, 0, changed);
    return true;
}

// --- lookups ---

const LineRecord* TextStore::lineOfIndex(int32_t index) const
{
    if (index >= length())
        return lastLine_;
    index = std::max(index, 0);
    size_t p = blocks_.positionOf(index);
    const TextBlock* block = blocks_.at(p);
    if (!block->firstLine || block->firstLine->start > index) {
        // the line began in an earlier block: the last line of the nearest block with lines
        // (the first block always has one, starting at 0)
        do
            block = blocks_.at(--p);
        while (!block->lastLine);
        return block->lastLine;
    }
    const LineRecord* line = block->firstLine;
    while (line->end < index && line->next)
        line = line->next;
    return line;
}

const LineRecord* TextStore::lineOfNumber(int32_t number) const
{
    number = std::clamp(number, 0, lineCount_ - 1);
    // the last block with lines whose first line is at or before the number; blocks inside a
    // long line have none and are passed over
    size_t low = 0;
    size_t high = blocks_.count() - 1;
    while (low < high) {
        size_t middle = (low + high + 1) / 2;
        size_t q = middle;
        while (q <= high && !blocks_.at(q)->firstLine)
            ++q;
        if (q <= high && blocks_.at(q)->firstLine->number <= number)
            low = q;
        else
            high = middle - 1;
    }
    const LineRecord* line = blocks_.at(low)->firstLine;
    while (line->number < number)
        line = line->next;
    return line;
}

int32_t TextStore::indexAtX(const LineRecord* line, int32_t x) const
{
    BlockReader reader(blocks_);
    int64_t sum = 0;
    for (int32_t i = line->start; i <= line->end;) {
        wchar_t c = reader.at(i);
        if (c == L'\r' || c == L'\n')
            return i;
        int32_t units = unitsAt(reader, i);
        int32_t width = widths_->width(codePointAt(reader, i, units));
        sum += width;
        if (sum >= x)
            return sum - width / 2 < x ? i + units : i;
        i += units;
    }
    return line->end + 1;
}

int32_t TextStore::xOfIndex(int32_t index) const
{
    index = std::clamp(index, 0, length());
    return xInLine(lineOfIndex(index), index);
}

int32_t TextStore::xInLine(const LineRecord* line, int32_t index) const
{
    BlockReader reader(blocks_);
    int64_t sum = 0;
    for (int32_t i = line->start; i < index && i <= line->end;) {
        int32_t units = unitsAt(reader, i);
        sum += widths_->width(codePointAt(reader, i, units));
        i += units;
    }
    return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

int32_t TextStore::breakStart(const LineRecord* line) const
{
    int32_t end = line->end;
    switch (line->breakKind) {
    case LineBreak::LineFeed:
        return end;
    case LineBreak::CarriageReturn:
        // the CR stands before the unit or surrogate pair it took as its LF, or at the end when
        // it was the text's last character
        if (end - 2 >= line->start && isLowSurrogate(charAt(end)) && isHighSurrogate(charAt(end - 1)) &&
            charAt(end - 2) == L'\r')
            return end - 2;
        if (end - 1 >= line->start && charAt(end - 1) == L'\r')
            return end - 1;
        return end;
    default:
        return end + 1;
    }
}

int32_t TextStore::previousIndex(int32_t index) const
{
    if (index <= 0)
        return 0;
    index = std::min(index, length());
    int32_t previous = index - 1;
    if (previous > 0 && isLowSurrogate(charAt(previous)) && isHighSurrogate(charAt(previous - 1)))
        --previous;
    const LineRecord* line = lineOfIndex(previous);
    if (line->breakKind == LineBreak::CarriageReturn && previous > breakStart(line))
        return breakStart(line);
    return previous;
}

int32_t TextStore::nextIndex(int32_t index) const
{
    if (index >= length())
        return length();
    index = std::max(index, 0);
    const LineRecord* line = lineOfIndex(index);
    if (line->breakKind == LineBreak::CarriageReturn && index >= breakStart(line))
        return line->end + 1;
    BlockReader reader(blocks_);
    return index + unitsAt(reader, index);
}

int32_t TextStore::caretPositionAt(int32_t index) const
{
    if (index >= length())
        return length();
    if (index <= 0)
        return 0;
    // a caret position steps forward and back to itself; one inside a pair comes back before it
    return previousIndex(nextIndex(index));
}
