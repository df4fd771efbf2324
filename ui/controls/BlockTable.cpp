// BlockTable: assignment, insertion with block splits, deletion with merging, and lookups.
#include "BlockTable.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

// When a split leaves more than this over after the full kBlockFill shares, it gets a block of its own.
constexpr int32_t kLargeRest = 500;

TextBlock* newBlock(int32_t length)
{
    auto* block = new TextBlock;
    block->first = 0;
    block->last = length - 1;
    return block;
}

// The characters of a block being split, seen as one sequence without copying them first:
// the block's head, the inserted characters, the block's tail.
class SplitSource {
public:
    SplitSource(const TextBlock* block, int32_t offset, const wchar_t* chars, int32_t count)
        : parts_{{block->text, offset}, {chars, count}, {block->text + offset, block->length() - offset}}
    {
    }
    void take(wchar_t* out, int32_t count)
    {
        while (count > 0) {
            Part& part = parts_[part_];
            int32_t n = std::min(count, part.length - used_);
            std::memcpy(out, part.chars + used_, n * sizeof(wchar_t));
            out += n;
            count -= n;
            used_ += n;
            if (used_ == part.length) {
                ++part_;
                used_ = 0;
            }
        }
    }

private:
    struct Part {
        const wchar_t* chars;
        int32_t length;
    };
    Part parts_[3];
    int part_ = 0;
    int32_t used_ = 0;
};

} // namespace

BlockTable::BlockTable()
{
    blocks_.push_back(newBlock(0));
}

BlockTable::~BlockTable()
{
    clear();
}

void BlockTable::clear()
{
    for (TextBlock* block : blocks_)
        delete block;
    blocks_.clear();
    length_ = 0;
}

bool BlockTable::assign(std::wstring_view text)
{
    if (text.size() > static_cast<size_t>(kMaxLength))
        return false;
    clear();
    int32_t length = static_cast<int32_t>(text.size());
    blocks_.reserve(length / kBlockFill + 1);
    for (int32_t at = 0; at < length || blocks_.empty(); at += kBlockFill) {
        int32_t n = std::min(kBlockFill, length - at);
        TextBlock* block = newBlock(n);
        std::memcpy(block->text, text.data() + at, n * sizeof(wchar_t));
        blocks_.push_back(block);
    }
    renumberFrom(0);
    return true;
}

bool BlockTable::insert(int32_t index, const wchar_t* chars, int32_t count, BlockSpan& changed)
{
    assert(index >= 0 && index <= length_ && count >= 0 && "insertion outside the text");
    if (count > kMaxLength - length_)
        return false;
    size_t position = positionOf(index);
    TextBlock* block = blocks_[position];
    int32_t offset = index - block->first;
    int32_t combined = block->length() + count;

    if (combined <= kBlockCapacity) {
        std::memmove(block->text + offset + count, block->text + offset, (block->length() - offset) * sizeof(wchar_t));
        std::memcpy(block->text + offset, chars, count * sizeof(wchar_t));
        block->last += count;
        changed = {position, position};
    } else {
        // split: k blocks of about kBlockFill characters, one more when the rest is large; the
        // remainder of combined / k goes out one character to each of the first blocks, so no
        // block ever gets more than one character above the even share
        int32_t k = combined / kBlockFill + (combined % kBlockFill > kLargeRest ? 1 : 0);
        int32_t share = combined / k;
        int32_t remainder = combined % k;
        std::vector<TextBlock*> parts;
        parts.reserve(k);
        SplitSource source(block, offset, chars, count);
        for (int32_t i = 0; i < k; ++i) {
            TextBlock* part = newBlock(share + (i < remainder ? 1 : 0));
            source.take(part->text, part->length());
            parts.push_back(part);
        }
        blocks_[position] = parts[0];
        blocks_.insert(blocks_.begin() + position + 1, parts.begin() + 1, parts.end());
        delete block;
        changed = {position, position + k - 1};
    }
    renumberFrom(position);
    return true;
}

void BlockTable::erase(int32_t from, int32_t to, BlockSpan& changed)
{
    assert(from >= 0 && from < to && to <= length_ && "deletion outside the text");
    size_t firstPosition = positionOf(from);
    size_t lastPosition = positionOf(to - 1);
    TextBlock* head = blocks_[firstPosition];
    if (firstPosition == lastPosition) {
        std::memmove(head->text + (from - head->first), head->text + (to - head->first),
                     (head->last + 1 - to) * sizeof(wchar_t));
        head->last -= to - from;
    } else {
        // cut the first block after `from`, the last one before `to`, drop the ones between
        TextBlock* tail = blocks_[lastPosition];
        int32_t dropped = to - tail->first;
        std::memmove(tail->text, tail->text + dropped, (tail->length() - dropped) * sizeof(wchar_t));
        tail->last -= dropped;
        head->last = from - 1;
        for (size_t p = firstPosition + 1; p < lastPosition; ++p)
            delete blocks_[p];
        blocks_.erase(blocks_.begin() + firstPosition + 1, blocks_.begin() + lastPosition);
        lastPosition = firstPosition + 1;
    }
    // compact around the cut only: blocks elsewhere keep their characters, so the lines
    // starting in them stay where they are
    size_t start = firstPosition > 0 ? firstPosition - 1 : 0;
    size_t end = compact(start, std::min(lastPosition + 1, blocks_.size() - 1));
    start = std::min(start, end);
    renumberFrom(start);
    changed = {start, end};
}

size_t BlockTable::compact(size_t from, size_t to)
{
    size_t end = to + 1;   // the range is [from, end) while blocks go away
    // empty blocks go, except that the table keeps one
    for (size_t p = end; p-- > from;) {
        if (blocks_[p]->length() == 0 && blocks_.size() > 1) {
            delete blocks_[p];
            blocks_.erase(blocks_.begin() + p);
            --end;
        }
    }
    // each run of neighbours goes into its first block while they fit together
    for (size_t p = from; p + 1 < end;) {
        TextBlock* block = blocks_[p];
        TextBlock* next = blocks_[p + 1];
        if (block->length() + next->length() <= kBlockFill) {
            std::memcpy(block->text + block->length(), next->text, next->length() * sizeof(wchar_t));
            block->last += next->length();
            delete next;
            blocks_.erase(blocks_.begin() + p + 1);
            --end;
        } else {
            ++p;
        }
    }
    return std::min(std::max(end, from + 1) - 1, blocks_.size() - 1);
}

void BlockTable::renumberFrom(size_t from)
{
    for (size_t p = from; p < blocks_.size(); ++p) {
        TextBlock* block = blocks_[p];
        int32_t length = block->length();
        block->first = p == 0 ? 0 : blocks_[p - 1]->last + 1;
        block->last = block->first + length - 1;
        block->prev = p == 0 ? nullptr : blocks_[p - 1];
        block->next = nullptr;
        if (p > 0)
            blocks_[p - 1]->next = block;
    }
    if (from > 0)
        blocks_[from - 1]->next = from < blocks_.size() ? blocks_[from] : nullptr;
    length_ = blocks_.back()->last + 1;
}

size_t BlockTable::positionOf(int32_t index) const
{
    if (index >= length_)
        return blocks_.size() - 1;
    if (index <= 0)
        return 0;
    // the last block whose first is <= index
    size_t low = 0;
    size_t high = blocks_.size() - 1;
    while (low < high) {
        size_t middle = (low + high + 1) / 2;
        if (blocks_[middle]->first <= index)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

wchar_t BlockTable::charAt(int32_t index) const
{
    assert(index >= 0 && index < length_ && "character outside the text");
    const TextBlock* block = blocks_[positionOf(index)];
    return block->text[index - block->first];
}

void BlockTable::copy(int32_t from, int32_t to, std::wstring& out) const
{
    from = std::max(from, 0);
    to = std::min(to, length_);
    if (from >= to)
        return;
    out.reserve(out.size() + (to - from));
    for (size_t p = positionOf(from); p < blocks_.size() && from < to; ++p) {
        const TextBlock* block = blocks_[p];
        int32_t n = std::min(to, block->last + 1) - from;
        out.append(block->text + (from - block->first), n);
        from += n;
    }
}
