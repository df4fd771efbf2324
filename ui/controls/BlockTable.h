// The edit's characters: a chain of fixed-size blocks and the table that finds them by index.
#pragma once

#include "TextBlock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Positions in the table (0-based) of the blocks an edit created, refilled or merged into; the
// lines starting in them must be assigned again.
struct BlockSpan {
    size_t first = 0;
    size_t last = 0;
};

// There is always at least one block: an empty text is one empty block (first 0, last -1). The
// table grows with the text; the whole text is limited to kMaxLength characters so that every
// index and sum of indices stays inside int32.
class BlockTable {
public:
    static constexpr int32_t kMaxLength = 0x3FFFFFFF;

    BlockTable();
    ~BlockTable();
    BlockTable(const BlockTable&) = delete;
    BlockTable& operator=(const BlockTable&) = delete;

    // Replaces everything: blocks of kBlockFill characters, the last holding the rest. False,
    // changing nothing, when the text is longer than kMaxLength.
    bool assign(std::wstring_view text);
    // Inserts `count` characters before `index` (0..length). A block that would overflow is
    // replaced by several. False, changing nothing, when the text would exceed kMaxLength.
    bool insert(int32_t index, const wchar_t* chars, int32_t count, BlockSpan& changed);
    // Removes the characters [from, to) (0 <= from < to <= length), then merges the blocks
    // around the cut while neighbours fit into kBlockFill together.
    void erase(int32_t from, int32_t to, BlockSpan& changed);

    int32_t length() const { return length_; }
    size_t count() const { return blocks_.size(); }
    TextBlock* at(size_t position) const { return blocks_[position]; }
    // The position of the block holding `index`; an index at or past the end gives the last block.
    size_t positionOf(int32_t index) const;
    wchar_t charAt(int32_t index) const;
    // Appends the characters [from, to) to `out`.
    void copy(int32_t from, int32_t to, std::wstring& out) const;

private:
    // Block positions from `from` on get their first and last from their predecessors and their
    // chain links from the table; the total length follows the last block.
    void renumberFrom(size_t from);
    // Merges neighbours within positions [from, to] and drops empty blocks there (keeping one
    // block in the table); returns the position of the last block of the range afterwards.
    size_t compact(size_t from, size_t to);
    void clear();

    std::vector<TextBlock*> blocks_;   // owned, in text order
    int32_t length_ = 0;
};

// Reads characters one after another without a table search per character.
class BlockReader {
public:
    explicit BlockReader(const BlockTable& table) : table_(table), block_(table.at(0)) {}
    // `index` must lie inside the text.
    wchar_t at(int32_t index)
    {
        if (index < block_->first || index > block_->last) {
            // reading on into the next block is the common case; anything else searches
            if (position_ + 1 < table_.count() && index >= block_->first && index <= table_.at(position_ + 1)->last)
                ++position_;
            else
                position_ = table_.positionOf(index);
            block_ = table_.at(position_);
        }
        return block_->text[index - block_->first];
    }

private:
    const BlockTable& table_;
    const TextBlock* block_;
    size_t position_ = 0;
};
