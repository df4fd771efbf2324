// One block of the edit's text: a run of consecutive characters in a chain of blocks.
#pragma once

#include <cstdint>

struct LineRecord;

// A block never holds more than kBlockCapacity characters. Whole texts are cut into blocks of
// kBlockFill characters, which leaves room to type into a block before it has to be split, and
// neighbours are merged after a deletion while they fit into kBlockFill together.
constexpr int32_t kBlockCapacity = 2000;
constexpr int32_t kBlockFill = 1500;

struct TextBlock {
    int32_t first = 0;                 // index of the first character in the whole text
    int32_t last = -1;                 // index of the last one; first - 1 when empty
    LineRecord* firstLine = nullptr;   // first line starting in this block, or null; not owned
    LineRecord* lastLine = nullptr;    // last line starting in this block; not owned
    TextBlock* prev = nullptr;         // neighbours in text order; not owned (the table owns)
    TextBlock* next = nullptr;
    wchar_t text[kBlockCapacity];      // characters first..last, not NUL-terminated

    int32_t length() const { return last - first + 1; }
};
