// linePool: a free list of line records, refilled a slab at a time.
#include "LinePool.h"

#include <memory>
#include <new>
#include <vector>

namespace {

LineRecord* freeList;
size_t freeRecords;
// Slabs live as long as the process: records handed out must stay valid whatever order the
// edits are destroyed in, static destruction included.
std::vector<LineRecord*>* slabs;

void refill()
{
    if (!slabs)
        slabs = new std::vector<LineRecord*>;
    auto* slab = new LineRecord[linePool::kRecordsPerSlab];
    slabs->push_back(slab);
    for (size_t i = linePool::kRecordsPerSlab; i-- > 0;) {
        slab[i].next = freeList;
        freeList = &slab[i];
    }
    freeRecords += linePool::kRecordsPerSlab;
}

} // namespace

namespace linePool {

LineRecord* acquire()
{
    if (!freeList)
        refill();
    LineRecord* record = freeList;
    freeList = record->next;
    --freeRecords;
    *record = LineRecord{};
    return record;
}

void release(LineRecord* record)
{
    record->prev = nullptr;
    record->next = freeList;
    freeList = record;
    ++freeRecords;
}

void releaseChain(LineRecord* first, LineRecord* stop)
{
    while (first && first != stop) {
        LineRecord* next = first->next;
        release(first);
        first = next;
    }
}

size_t recordCount()
{
    return slabs ? slabs->size() * kRecordsPerSlab : 0;
}

size_t freeCount()
{
    return freeRecords;
}

} // namespace linePool
