// One displayed line of the edit: a run of characters after wrapping, in a chain of lines.
#pragma once

#include <cstdint>

namespace LineBreak {
enum : int32_t {
    Soft = 0,             // the next character did not fit, or the text ends here
    LineFeed = 1,         // ends with an LF
    CarriageReturn = 2,   // ends with a CR and the character it takes as its LF (none at the text's end)
};
} // namespace LineBreak

struct LineRecord {
    int32_t number;      // 0-based, consecutive along the chain
    int32_t breakKind;   // a LineBreak value
    int32_t start;       // index of the first character
    int32_t end;         // index of the last one, line-break characters included; start - 1 when empty
    LineRecord* prev;    // not owned: records belong to linePool
    LineRecord* next;

    bool hardBreak() const { return breakKind != LineBreak::Soft; }
};
